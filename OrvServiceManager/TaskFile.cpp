#include "OrvServiceManager/TaskFile.h"
#include "OrvServiceManager/TaskFileLock.h"
#include "classlib/HandleOwner.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include <algorithm>
#include <climits>
#include <cstring>

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

std::function<void()> g_beforeLastWrite;

void BeforeLastWrite() {
    if (g_beforeLastWrite) g_beforeLastWrite();
}

// Every change goes through a copy of the task file beside it, which then replaces it in one
// step: a change that fails partway (a full disk, a file another program locks meanwhile) leaves
// the task file exactly as it was, never half a task the next New would count in. The change
// reads and writes the copy alone, never the copy mixed with what the live file holds by then; a
// write the copy is refused is reported as one to the task file, the file the user knows. A task
// file not there yet gives an empty copy.
void ChangeThroughCopy(const CString& path, const std::function<void(const IniFile& copy)>& change) {
    CheckWritable(path);
    TemporaryFile temp(DirUtils::CreateTempFileOrDir(DirUtils::GetParentFolder(path), "tmp"));
    if (!CopyFileA(path, temp.Path(), FALSE) && GetLastError() != ERROR_FILE_NOT_FOUND) ThrowTaskFileWriteFailure(path);
    try {
        change(IniFile(temp.Path()));
    } catch (const TaskFileWriteFailure& failure) {
        throw TaskFileWriteFailure(path, failure.GetError());
    }
    BeforeLastWrite();
    if (!MoveFileExA(temp.Path(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowTaskFileWriteFailure(path);
    temp.Keep();
}

// What the section stores, as the file holds it, less the keys the service writes.
EditableTask::StoredLines ReadStoredLines(const IniFile& file, const CString& section) {
    EditableTask::StoredLines lines;
    const std::vector<char> raw = file.ReadRawSection(section);
    for (const char* line = raw.data(); *line; line += strlen(line) + 1) {
        CString key(line);
        const int equals = key.Find('=');
        if (equals >= 0) key = key.Left(equals);
        key.Trim();
        // Keys are found case-insensitively: the service's write of "LastRun" replaces a "lastrun".
        if (key.CompareNoCase("LastRun") == 0 || key.CompareNoCase("LastEvent") == 0) continue;
        lines.push_back(line);
    }
    return lines;
}

// Throws TaskFileChanged unless the section still stores what it stored when the expected task
// was loaded from it, key for key, apart from what the service writes. Two tasks of one kind on
// one document are ordinary (runs at 9:00 and at 18:00), and either may have moved into the
// other's section; a hand-written Interval=100 loads as 48, yet it is not the task of an
// Interval=48. `sections` are the file's TaskSectionsToLoad.
void CheckSectionHolds(const IniFile& file, const std::vector<int>& sections, int number,
                       const EditableTask& expected) {
    if (std::binary_search(sections.begin(), sections.end(), number) &&
        expected.StoresSameAs(ReadStoredLines(file, SectionName(number))))
        return;
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
            // The lines before the values: a section changed in between then fails the check of
            // the next write, instead of passing it with the older values.
            const EditableTask::StoredLines lines = ReadStoredLines(file, SectionName(n));
            EditableTaskPtr task = CreateTaskFromIni(file, SectionName(n));
            task->MarkStored(n, lines);
            tasks.push_back(task);
        } catch (...) {
        }
    }
}

int AppendTask(EditableTask& task, const CString& path) {
    TaskFileLock lock;
    int number = 0;
    EditableTask::StoredLines stored;
    ChangeThroughCopy(path, [&](const IniFile& file) {
        // After every task section the file holds, loaded or not: one beyond TasksCount, or below
        // a count that is negative, is a task too, written by hand or by a program that failed
        // halfway.
        const std::vector<int> held = TaskSectionNumbers(file);
        const int last = held.empty() ? 0 : held.back();
        if (last == INT_MAX) {
            CString message;
            message.Format("No task can be added after Task%d, the highest task number the task file can hold.",
                           last);
            throw Exception(message);
        }
        number = last + 1;
        task.Save(file, SectionName(number));
        WriteTaskFileInt(file, kGeneral, kTasksCount, number);
        stored = ReadStoredLines(file, SectionName(number));
    });
    task.MarkStored(number, stored);
    return number;
}

void SaveTaskAt(int number, EditableTask& task, const EditableTask& opened, const CString& path) {
    TaskFileLock lock;
    EditableTask::StoredLines stored;
    ChangeThroughCopy(path, [&](const IniFile& file) {
        CheckSectionHolds(file, TaskSectionsToLoad(file), number, opened);
        const CString section = SectionName(number);
        task.TakeServiceValues(file, section);
        task.Save(file, section);
        stored = ReadStoredLines(file, section);
    });
    task.MarkStored(number, stored);
}

void RemoveTaskAt(int number, const EditableTask& chosen, const CString& path) {
    TaskFileLock lock;
    ChangeThroughCopy(path, [&](const IniFile& out) {
        // A task file deleted since the list was loaded (an empty copy) holds the chosen task no
        // more.
        const std::vector<int> sections = TaskSectionsToLoad(out);
        CheckSectionHolds(out, sections, number, chosen);
        const int last = sections.back();  // the chosen section is among them

        // Each later section takes the number before its own as it stands, loadable or not; an
        // empty one leaves no section behind, and a number without a section stays without one.
        // Only the sections the file holds are walked: one numbered in the millions costs no more.
        auto check = [&out](BOOL written) {
            if (!written) ThrowTaskFileWriteFailure(out.GetPath());
        };
        check(WritePrivateProfileStringA(SectionName(number), nullptr, nullptr, out.GetPath()));
        for (auto n = std::upper_bound(sections.begin(), sections.end(), number); n != sections.end(); ++n) {
            // The number before is free: the chosen one, or one emptied in the step before, or none.
            const std::vector<char> lines = out.ReadRawSection(SectionName(*n));
            check(WritePrivateProfileStringA(SectionName(*n), nullptr, nullptr, out.GetPath()));
            if (lines[0]) check(WritePrivateProfileSectionA(SectionName(*n - 1), lines.data(), out.GetPath()));
        }
        WriteTaskFileInt(out, kGeneral, kTasksCount, last - 1);
    });
}

std::function<void()> SetBeforeLastTaskFileWriteForTesting(std::function<void()> hook) {
    std::function<void()> previous = g_beforeLastWrite;
    g_beforeLastWrite = hook;
    return previous;
}
