#include "OrvServiceManager/TaskFile.h"
#include "classlib/HandleOwner.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include <algorithm>
#include <climits>

namespace {
const char* const kGeneral = "General";
const char* const kTasksCount = "TasksCount";

CString SectionName(int number) {
    CString name;
    name.Format("Task%d", number);
    return name;
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

// A file that exists but cannot be opened for writing fails here with the reason, rather than
// reading as a file without the task.
void CheckWritable(const CString& path) {
    ScopedHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid() && GetLastError() != ERROR_FILE_NOT_FOUND) ThrowTaskFileWriteFailure(path);
}

// Throws TaskFileChanged unless the section still holds the expected task: every value it
// stores but those the service writes. Two tasks of one kind on one document are ordinary (runs
// at 9:00 and at 18:00), and either may have moved into the other's section. `sections` are the
// file's TaskSectionsToLoad.
void CheckSectionHolds(const IniFile& file, const std::vector<int>& sections, int number,
                       const EditableTask& expected) {
    bool holds = false;
    if (std::binary_search(sections.begin(), sections.end(), number)) {
        try {
            holds = CreateTaskFromIni(file, SectionName(number))->StoresSameAs(expected);
        } catch (...) {
        }
    }
    if (holds) return;
    CString message;
    message.Format("Another program changed the task file: Task%d no longer holds the %s task of \"%s\" that "
                   "was chosen, so nothing was written. The list shows the task file as it is now.",
                   number, expected.GetDisplayName().GetString(), expected.GetOrvPath().GetString());
    throw TaskFileChanged(message);
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
    for (int n : TaskSectionsToLoad(file)) {
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
    // After every task section the file holds, loaded or not: one beyond TasksCount, or below a
    // count that is negative, is a task too, written by hand or by a program that failed halfway.
    const std::vector<int> held = TaskSectionNumbers(file);
    const int last = held.empty() ? 0 : held.back();
    if (last == INT_MAX) {
        CString message;
        message.Format("No task can be added after Task%d, the highest task number the task file can hold.", last);
        throw Exception(message);
    }
    const int number = last + 1;
    task.Save(file, SectionName(number));
    WriteTaskFileInt(file, kGeneral, kTasksCount, number);
    task.MarkStored(number);
    return number;
}

void SaveTaskAt(int number, EditableTask& task, const EditableTask& opened, const CString& path) {
    CheckWritable(path);
    IniFile file(path);
    CheckSectionHolds(file, TaskSectionsToLoad(file), number, opened);
    const CString section = SectionName(number);
    task.TakeServiceValues(file, section);
    task.Save(file, section);
    task.MarkStored(number);
}

void RemoveTaskAt(int number, const EditableTask& chosen, const CString& path) {
    CheckWritable(path);
    const IniFile old(path);
    const std::vector<int> sections = TaskSectionsToLoad(old);
    CheckSectionHolds(old, sections, number, chosen);
    const int last = sections.back();  // the chosen section is among them

    TemporaryFile temp(DirUtils::CreateTempFileOrDir(DirUtils::GetParentFolder(path), "tmp"));
    if (!CopyFileA(path, temp.Path(), FALSE)) ThrowTaskFileWriteFailure(path);
    const IniFile out(temp.Path());
    // Each later section takes the number before its own as it stands, loadable or not; an
    // empty one leaves no section behind, and a number without a section stays without one.
    // Only the sections the file holds are walked: one numbered in the millions costs no more.
    const std::vector<int> later(std::upper_bound(sections.begin(), sections.end(), number), sections.end());
    auto check = [&out](BOOL written) {
        if (!written) ThrowTaskFileWriteFailure(out.GetPath());
    };
    check(WritePrivateProfileStringA(SectionName(number), nullptr, nullptr, out.GetPath()));
    for (int n : later) check(WritePrivateProfileStringA(SectionName(n), nullptr, nullptr, out.GetPath()));
    for (int n : later) {
        const std::vector<char> lines = old.ReadRawSection(SectionName(n));
        if (lines[0]) check(WritePrivateProfileSectionA(SectionName(n - 1), lines.data(), out.GetPath()));
    }
    WriteTaskFileInt(out, kGeneral, kTasksCount, last - 1);
    if (!MoveFileExA(temp.Path(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowTaskFileWriteFailure(path);
    temp.Keep();
}
