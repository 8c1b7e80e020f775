// What the Logs page shows of the service's monthly log files: the previous month's file and
// then the current month's, followed as the service appends to it. Each refresh gives one piece
// of text to append, or a whole new text when the month changed or the current file shrank.
#pragma once
#include "classlib/CString.h"
#include <string>
#include <vector>

class LogFollower {
public:
    struct Change {
        bool rebuilt = false;  // the view is emptied before the text is appended
        std::string text;      // whole lines, each ended by "\r\n"; empty when nothing came
    };

    // Reads what changed since the last refresh; the first refresh, the first after the month
    // changed and the first after the current file shrank read both files from their starts.
    // Throws Exception "Unable to read new lines from file."; the follower then stays where it
    // was, so the next refresh reads the same again.
    Change Refresh();

    const CString& GetCurrentPath() const { return current_; }
    // Bytes of the current month's file that have been given.
    ULONGLONG GetOffset() const { return offset_; }

private:
    CString current_;
    ULONGLONG offset_ = 0;
};
