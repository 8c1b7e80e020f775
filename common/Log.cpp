#include "common/Log.h"
#include "classlib/CFile.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include <cstdlib>
#include <ctime>

namespace {
CString LogFilePathFor(const CTime& time) {
    return DirUtils::JoinPath(AppData::GetLogsFolder(), Log::GetLogFileName(time.GetYear(), time.GetMonth()));
}
}  // namespace

CString Log::GetLogFileName(int year, int month) {
    CString monthText;
    monthText.Format(month < 10 ? "0%d" : "%d", month);
    CString name;
    name.Format("%d-%s.log", year, static_cast<LPCSTR>(monthText));
    return name;
}

CString Log::GetCurrentLogFileName() {
    CTime now = Clock::Now();
    return GetLogFileName(now.GetYear(), now.GetMonth());
}

CString Log::GetCurrentLogFilePath() { return LogFilePathFor(Clock::Now()); }

void Log::Write(const char* message) {
    try {
        // One reading of the clock for both the file and the time text, so a line written at a
        // month's last instant cannot land in the other month's file.
        CTime now = Clock::Now();
        CString path = LogFilePathFor(now);
        // Others may read the file while the line is written (the manager's Logs page does).
        CStdioFile file;
        CFileException error(0, path);
        if (!file.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite |
                                 CFile::typeText,
                       &error))
            throw error;
        file.SeekToEnd();
        char timeText[128] = "";
        struct tm local;
        if (!now.GetLocalTm(&local) || strftime(timeText, sizeof(timeText), "%Y %b %d, %H:%M", &local) == 0)
            timeText[0] = '\0';
        CString line;
        line.Format("%s  %s\n", timeText, message ? message : "");
        file.WriteString(line);
        file.Close();
    } catch (...) {
        // The log is the place failures are reported to: there is nowhere else to go.
    }
}

bool Log::ParseLogFileName(const CString& name, int& year, int& month) {
    if (name.GetLength() != 11 || name.Find('-') != 4) return false;
    int y = std::atoi(name.Left(4));
    int m = std::atoi(name.Mid(5, 2));
    if (y < 1970 || y > 2038 || m < 1 || m > 12) return false;
    year = y;
    month = m;
    return true;
}

bool Log::IsLogFileExpired(int currentYear, int currentMonth, int fileYear, int fileMonth, int limit) {
    return (currentYear * 12 + currentMonth) - (fileYear * 12 + fileMonth) > limit;
}

void Log::GetPreviousMonth(int& year, int& month) {
    if (year < 1970 || year > 2038 || month < 1 || month > 12)
        throw Exception("Log::GetPreviousMonth: Incorrect year or month value passed.");
    if (month == 1) {
        --year;
        month = 12;
    } else {
        --month;
    }
}
