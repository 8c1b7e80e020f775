#include "OrvServiceManager/LogFollower.h"
#include "OrvServiceManager/LogReading.h"
#include "common/Log.h"
#include <algorithm>

LogFollower::Change LogFollower::Refresh() {
    const CString path = Log::GetCurrentLogFilePath();
    Change change;
    ULONGLONG offset = offset_;
    bool rebuild = path.CompareNoCase(current_) != 0;
    if (!rebuild) {
        // A file that cannot be read at the moment is reported, not taken for an empty one.
        const ULONGLONG length = GetReadableFileLength(path);
        if (length == offset_) return change;
        if (length < offset_) rebuild = true;
    }
    if (rebuild) {
        change.rebuilt = true;
        std::vector<CString> previous;
        GetPreviousMonthLogPaths(previous);
        std::sort(previous.begin(), previous.end());
        for (const CString& file : previous) {
            ULONGLONG scratch = 0;
            ReadNewText(file, 0, change.text, scratch);
        }
        offset = 0;
    }
    ReadNewText(path, offset, change.text, offset);
    current_ = path;
    offset_ = offset;
    return change;
}
