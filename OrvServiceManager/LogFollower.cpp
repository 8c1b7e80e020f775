#include "OrvServiceManager/LogFollower.h"
#include "OrvServiceManager/LogReading.h"
#include "common/DirUtils.h"
#include "common/Log.h"
#include <algorithm>

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
            ReadNewText(file, 0, change.text, scratch);
        }
        offset = 0;
    }
    ReadNewText(path, offset, change.text, offset);
    current_ = path;
    offset_ = offset;
    return change;
}
