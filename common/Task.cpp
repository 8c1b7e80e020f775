#include "common/Task.h"
#include "common/Exception.h"

Task::Task(const CString& tasksIniPath, const CString& section)
    : reader_(new SafeIniReader(tasksIniPath, section)), lastRunStoreFailing_(false) {
    ReadPriority();
    ReadOrvPath();
}

Task::~Task() {}

CString Task::GetName() { return GetReader()->GetSection(); }

CTime Task::GetLastRun() { return ParseIniTime(GetReader()->ReadString("LastRun", "")); }

BOOL Task::SetLastRun(const CTime& time) {
    BOOL stored = GetReader()->WriteString(FormatIniTime(time), "LastRun");
    lastRunStoreFailing_ = !stored;
    return stored;
}

IniReaderPtr Task::GetReader() const {
    if (!reader_) throw Exception("Reader is not initialized.");
    return reader_;
}

void Task::ReadPriority() {
    CString priority = GetReader()->ReadString("Priority", "");
    if (priority.IsEmpty()) priority = "/s2";
    if (priority != "/s1" && priority != "/s2" && priority != "/s3")
        throw Exception("Error: Incorrect priority identifier.");
    priority_ = priority;
}

void Task::ReadOrvPath() {
    CString path = GetReader()->ReadString("OrvPath", "");
    path.Trim();
    const CString problem = OrvPathProblem(path);
    if (!problem.IsEmpty()) throw Exception("Error: " + problem);
    orvPath_ = path;
}

CString OrvPathProblem(const CString& path) {
    CString trimmed(path);
    trimmed.Trim();
    if (trimmed.IsEmpty()) return "Orv document path is empty.";
    // The path goes between double quotes on the generator's command lines: a quote of its own
    // would end it there and let the rest pass as switches. No valid path holds one.
    if (trimmed.Find('"') >= 0) return "Orv document path contains a double quote.";
    // A closing backslash would escape the closing quote in the same way and take the generator's
    // switches into the document's name. No document path ends in one.
    if (trimmed[trimmed.GetLength() - 1] == '\\') return "Orv document path ends with a backslash.";
    // Longer, the task file would give back another path than the one stored.
    if (EscapeIniValue(trimmed).GetLength() > kIniValueMaxLength)
        return "Orv document path is too long to be stored whole.";
    return CString();
}
