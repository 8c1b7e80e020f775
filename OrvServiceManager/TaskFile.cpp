#include "OrvServiceManager/TaskFile.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include <algorithm>

namespace {
const char* const kGeneral = "General";
const char* const kTasksCount = "TasksCount";

CString SectionName(int number) {
    CString name;
    name.Format("Task%d", number);
    return name;
}

bool SectionLoads(const IniFile& file, int number) {
    try {
        CreateTaskFromIni(file, SectionName(number));
        return true;
    } catch (...) {
        return false;
    }
}

// The section's "key=value" lines exactly as stored (no unescaping), each ended by a NUL and
// the whole by one more: the form WritePrivateProfileSectionA takes back.
std::vector<char> ReadRawSection(const CString& path, const CString& section) {
    std::vector<char> buffer(4096);
    for (;;) {
        DWORD n = GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), path);
        // A list that did not fit comes back as the buffer's size less two.
        if (n + 2 < buffer.size()) {
            buffer.resize(n + 2);
            buffer[n] = buffer[n + 1] = '\0';
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// A file that is removed when the object goes, unless it was kept.
class TemporaryFile {
public:
    explicit TemporaryFile(const CString& path) : path_(path) {}
    ~TemporaryFile() {
        if (!kept_) DeleteFileA(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const CString& Path() const { return path_; }
    void Keep() { kept_ = true; }

private:
    CString path_;
    bool kept_ = false;
};

// One section of the rewritten file: a listed task (with the section it was stored in, 0 for
// none) or, without a task, a section that failed to load, copied as it is.
struct Placement {
    EditableTask* task;
    int storedIn;
};

std::vector<Placement> PlaceSections(const IniFile& old, EditableTaskList& tasks) {
    std::vector<Placement> placements;
    std::vector<bool> placed(tasks.size(), false);
    const int oldCount = old.ReadInt(kGeneral, kTasksCount, 0);
    for (int n = 1; n <= oldCount; ++n) {
        bool listed = false;
        for (size_t i = 0; i < tasks.size() && !listed; ++i) {
            if (placed[i] || !tasks[i] || tasks[i]->GetSectionNumber() != n) continue;
            placements.push_back(Placement{tasks[i].get(), n});
            placed[i] = listed = true;
        }
        // A section that loads but is not listed was removed.
        if (!listed && !SectionLoads(old, n)) placements.push_back(Placement{nullptr, n});
    }
    for (size_t i = 0; i < tasks.size(); ++i) {
        if (!placed[i] && tasks[i]) placements.push_back(Placement{tasks[i].get(), 0});
    }
    return placements;
}
}  // namespace

EditableTaskPtr CreateTaskFromIni(const IniFile& file, const CString& section) {
    CString type = file.ReadString(section, "Type", "");
    if (IsPeriodicalType(type)) return EditableTaskPtr(new EditableHourScheduledTask(file, section));
    if (IsDayScheduledType(type)) return EditableTaskPtr(new EditableDayScheduledTask(file, section));
    if (IsWatchType(type)) return EditableTaskPtr(new EditableEventTrigeredTask(file, section));
    throw Exception("Unknown task type.");
}

void LoadTasks(const CString& path, EditableTaskList& tasks) {
    tasks.clear();
    IniFile file(path);
    const int count = file.ReadInt(kGeneral, kTasksCount, 0);
    for (int n = 1; n <= count; ++n) {
        try {
            EditableTaskPtr task = CreateTaskFromIni(file, SectionName(n));
            task->MarkStored(n);
            tasks.push_back(task);
        } catch (...) {
        }
    }
}

int AppendTask(EditableTask& task, const CString& path) {
    IniFile file(path);
    const int number = std::max(file.ReadInt(kGeneral, kTasksCount, 0), 0) + 1;
    task.Save(file, SectionName(number));
    WriteTaskFileInt(file, kGeneral, kTasksCount, number);
    task.MarkStored(number);
    return number;
}

void SaveTaskAt(int number, EditableTask& task, const CString& path) {
    if (number < 1) throw Exception("Incorrect task section number.");
    IniFile file(path);
    const CString section = SectionName(number);
    task.TakeServiceValues(file, section);
    task.Save(file, section);
    task.MarkStored(number);
}

void SaveAllTasks(EditableTaskList& tasks, const CString& path) {
    const IniFile old(path);
    const std::vector<Placement> placements = PlaceSections(old, tasks);

    TemporaryFile temp(DirUtils::CreateTempFileOrDir(DirUtils::GetParentFolder(path), "tmp"));
    const IniFile out(temp.Path());
    WriteTaskFileInt(out, kGeneral, kTasksCount, static_cast<int>(placements.size()));
    for (size_t i = 0; i < placements.size(); ++i) {
        const Placement& p = placements[i];
        const CString section = SectionName(static_cast<int>(i + 1));
        if (!p.task) {
            std::vector<char> lines = ReadRawSection(old.GetPath(), SectionName(p.storedIn));
            if (!WritePrivateProfileSectionA(section, lines.data(), out.GetPath()))
                ThrowTaskFileWriteFailure(out.GetPath());
            continue;
        }
        if (p.storedIn > 0) p.task->TakeServiceValues(old, SectionName(p.storedIn));
        p.task->Save(out, section);
    }
    if (!MoveFileExA(temp.Path(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowTaskFileWriteFailure(path);
    temp.Keep();
    for (size_t i = 0; i < placements.size(); ++i) {
        if (placements[i].task) placements[i].task->MarkStored(static_cast<int>(i + 1));
    }
}
