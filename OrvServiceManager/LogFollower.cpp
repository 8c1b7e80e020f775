#include "OrvServiceManager/LogFollower.h"
#include "OrvServiceManager/LogReading.h"
#include "common/DirUtils.h"
#include "common/Log.h"
#include <algorithm>

namespace {
void AppendLines(const std::vector<CString>& lines, std::string& text) {
    size_t size = text.size();
    for (const CString& line : lines) size += static_cast<size_t>(line.GetLength()) + 2;
    text.reserve(size);
    for (const CString& line : lines) {
        text += line.str();
        text += "\r\n";
    }
}

// The lines of the file from the offset on; the offset moves past them.
void ReadInto(const CString& path, ULONGLONG& offset, std::string& text) {
    std::vector<CString> lines;
    ReadNewLines(path, offset, lines, offset);
    AppendLines(lines, text);
}
}  // namespace

LogFollower::Change LogFollower::Refresh() {
    const CString path = Log::GetCurrentLogFilePath();
    Change change;
    ULONGLONG offset = offset_;
    bool rebuild = path.CompareNoCase(current_) != 0;
    if (!rebuild) {
        const ULONGLONG length = GetFileLength(path);
        if (length == offset_) return change;
        if (length < offset_) {
            // 0 is also the length of a file that cannot be read at the moment: wait for a
            // length that says the file was really replaced (or is gone).
            if (length == 0 && DirUtils::Exists(path)) return change;
            rebuild = true;
        }
    }
    if (rebuild) {
        change.rebuilt = true;
        std::vector<CString> previous;
        GetPreviousMonthLogPaths(previous);
        std::sort(previous.begin(), previous.end());
        for (const CString& file : previous) {
            ULONGLONG scratch = 0;
            ReadInto(file, scratch, change.text);
        }
        offset = 0;
    }
    ReadInto(path, offset, change.text);
    current_ = path;
    offset_ = offset;
    return change;
}
