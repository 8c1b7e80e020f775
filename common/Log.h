// The service's monthly log files in the data folder's Logs folder: names, lines, expiry.
#pragma once
#include "classlib/CString.h"

class Log {
public:
    // "2024-03.log" for 2024 and 3.
    static CString GetLogFileName(int year, int month);
    static CString GetCurrentLogFileName();
    static CString GetCurrentLogFilePath();
    // Appends one line to the current month's file; a line that cannot be written is lost
    // without a report, so logging never stops the caller.
    static void Write(const char* message);
    // True, with the year and month, for a name like "2024-03.log" (the extension is not looked at).
    static bool ParseLogFileName(const CString& name, int& year, int& month);
    // True when the file's month lies more than `limit` months before the current one.
    static bool IsLogFileExpired(int currentYear, int currentMonth, int fileYear, int fileMonth, int limit);
    // Steps the year and month back by one month (January to December of the year before);
    // throws Exception for a year outside 1970 to 2038 or a month outside 1 to 12.
    static void GetPreviousMonth(int& year, int& month);
};
