#include "common/IniFile.h"
#include "common/Exception.h"
#include "common/IntegerText.h"
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {
const char* const kSafeIniMutexName = "Brellix.OrvService.SafeIniReader";

// A list of strings, each ended by a NUL and the whole by one more, from a profile function that
// gives back the buffer's size less two when the list did not fit.
template <class Read>
std::vector<char> ReadWholeList(Read read) {
    std::vector<char> buffer(4096);
    for (;;) {
        const DWORD n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n + 2 < buffer.size()) {
            buffer.resize(n + 2);
            buffer[n] = buffer[n + 1] = '\0';
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}
}  // namespace

CString EscapeIniValue(const CString& value) {
    CString out(value);
    out.Replace("\\", "\\\\");
    out.Replace("\n", "\\n");
    out.Replace("\r", "\\r");
    return out;
}

CString UnescapeIniValue(const CString& value) {
    CString out;
    const int n = value.GetLength();
    for (int i = 0; i < n; ++i) {
        char c = value[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= n) break;  // a lone trailing backslash is dropped
        char next = value[++i];
        out += next == 'n' ? '\n' : (next == 'r' ? '\r' : next);
    }
    return out;
}

CString IniFile::ReadRawValue(const char* section, const char* key, const char* defaultValue) const {
    // A value that did not fit comes back cut to the buffer's size less one: read it again into a
    // larger buffer, so that a long document path is never shortened.
    std::vector<char> buffer(1024);
    DWORD n = 0;
    for (;;) {
        n = GetPrivateProfileStringA(section, key, defaultValue ? defaultValue : "", buffer.data(),
                                     static_cast<DWORD>(buffer.size()), path_);
        if (n + 1 < buffer.size() || buffer.size() > static_cast<size_t>(kIniValueMaxLength)) break;
        buffer.resize(buffer.size() * 2);
    }
    return CString(buffer.data(), static_cast<int>(n));
}

CString IniFile::ReadString(const char* section, const char* key, const char* defaultValue) const {
    const CString value = ReadRawValue(section, key, defaultValue);
    if (value.IsEmpty()) return CString();
    return UnescapeIniValue(value);
}

int IniFile::ReadInt(const char* section, const char* key, int defaultValue) const {
    // GetPrivateProfileIntA's reading, whose number wraps past 32 bits: a hand-written
    // Interval=4294967298 would come back as 2 hours, DaysCount=4294967297 as one day.
    const CString value = ReadRawValue(section, key, "");
    if (value.IsEmpty()) return defaultValue;
    return ParseProfileInt(value);
}

BOOL IniFile::WriteString(const char* value, const char* section, const char* key) const {
    // Always a string: a null value would delete the key.
    CString escaped = EscapeIniValue(CString(value ? value : ""));
    return WritePrivateProfileStringA(section, key, escaped, path_);
}

BOOL IniFile::WriteInt(int value, const char* section, const char* key) const {
    CString text;
    text.Format("%i", value);
    return WriteString(text, section, key);
}

BOOL IniFile::DeleteKey(const char* section, const char* key) const {
    return WritePrivateProfileStringA(section, key, nullptr, path_);
}

BOOL IniFile::EmptySection(const char* section) const {
    // An empty key list removes every key, keeping the section header.
    return WritePrivateProfileSectionA(section, "\0", path_);
}

std::vector<char> IniFile::ReadRawSection(const char* section) const {
    return ReadWholeList([&](char* buffer, DWORD size) { return GetPrivateProfileSectionA(section, buffer, size, path_); });
}

std::vector<int> TaskSectionNumbers(const IniFile& file) {
    const std::vector<char> names =
        ReadWholeList([&](char* buffer, DWORD size) { return GetPrivateProfileSectionNamesA(buffer, size, file.GetPath()); });
    std::vector<int> numbers;
    for (const char* name = names.data(); *name; name += strlen(name) + 1) {
        // Sections are found by name case-insensitively, but "Task05" is not "Task5".
        if (_strnicmp(name, "Task", 4) != 0) continue;
        const char* digits = name + 4;
        if (*digits < '1' || *digits > '9') continue;
        long long number = 0;
        const char* p = digits;
        for (; *p >= '0' && *p <= '9' && number <= INT_MAX; ++p) number = number * 10 + (*p - '0');
        if (*p != '\0' || number > INT_MAX) continue;
        numbers.push_back(static_cast<int>(number));
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::vector<int> TaskSectionsToLoad(const IniFile& file) {
    std::vector<int> numbers = TaskSectionNumbers(file);
    const int count = file.ReadInt("General", "TasksCount", 0);
    numbers.erase(std::upper_bound(numbers.begin(), numbers.end(), std::max(0, count)), numbers.end());
    return numbers;
}

namespace {
CCriticalSection& SafeIniProcessLock() {
    static CCriticalSection lock;
    return lock;
}
// Set while another process keeps the mutex beyond the limit.
volatile LONG g_mutexKeptElsewhere = 0;
}  // namespace

// Holds the process's lock and, unless another process keeps it, the named mutex, for one call.
class SafeIniReader::Guard {
public:
    explicit Guard(CMutex& mutex) : process_(&SafeIniProcessLock(), TRUE), mutex_(&mutex) {
        // Only one thread of the process waits for the mutex at a time, so a wait that ends
        // without it means another process keeps it; once that is known, a try is enough.
        const bool locked = mutex_.Lock(IsMutexKeptElsewhere() ? 0 : kMutexWaitLimitMs) != FALSE;
        InterlockedExchange(&g_mutexKeptElsewhere, locked ? 0 : 1);
    }

private:
    CSingleLock process_;
    CSingleLock mutex_;
};

bool SafeIniReader::IsMutexKeptElsewhere() { return InterlockedCompareExchange(&g_mutexKeptElsewhere, 0, 0) != 0; }

SafeIniReader::SafeIniReader(const CString& path, const CString& section)
    : mutex_(FALSE, kSafeIniMutexName), file_(path), section_(section) {}

CString SafeIniReader::ReadString(const char* key, const char* defaultValue) {
    Guard guard(mutex_);
    return file_.ReadString(section_, key, defaultValue);
}

int SafeIniReader::ReadInt(const char* key, int defaultValue) {
    Guard guard(mutex_);
    return file_.ReadInt(section_, key, defaultValue);
}

BOOL SafeIniReader::WriteString(const char* value, const char* key) {
    Guard guard(mutex_);
    return file_.WriteString(value, section_, key);
}

BOOL SafeIniReader::WriteInt(int value, const char* key) {
    Guard guard(mutex_);
    return file_.WriteInt(value, section_, key);
}

BOOL SafeIniReader::DeleteKey(const char* key) {
    Guard guard(mutex_);
    return file_.DeleteKey(section_, key);
}

CString FormatIniTime(const CTime& time) {
    CString text;
    text.Format("%d:%d:%d;%d:%d", time.GetYear(), time.GetMonth(), time.GetDay(), time.GetHour(), time.GetMinute());
    return text;
}

CTime ParseIniTime(const CString& text) {
    if (text.IsEmpty()) return CTime();
    static const char separators[4] = {':', ':', ';', ':'};
    int fields[5] = {0, 0, 0, 0, 0};
    int pos = 0;
    for (int i = 0; i < 4; ++i) {
        int found = text.Find(separators[i], pos);
        CString field;
        if (found >= 0) {
            field = text.Mid(pos, found - pos);
            pos = found;
        }
        fields[i] = ParseLeadingInt(field);
        ++pos;  // may pass the end: Mid then gives the empty text
    }
    fields[4] = ParseLeadingInt(text.Mid(pos));
    const int year = fields[0], month = fields[1], day = fields[2], hour = fields[3], minute = fields[4];
    if (year < 1970 || year > 2038 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return CTime();
    CTime result(year, month, day, hour, minute, 0, -1);
    // In the hour that the autumn change repeats, the system may pick the second occurrence. A
    // last run noted in the first would then lie ahead of the clock, and the due rules take that
    // for a clock set back: the generator would be started again at every examination for an
    // hour. Of two real times with these fields, the earlier one is taken.
    CTime daylight(year, month, day, hour, minute, 0, 1);
    struct tm local;
    if (daylight != CTime() && daylight < result && daylight.GetLocalTm(&local) && local.tm_isdst > 0 &&
        local.tm_year + 1900 == year && local.tm_mon + 1 == month && local.tm_mday == day &&
        local.tm_hour == hour && local.tm_min == minute)
        result = daylight;
    return result;
}

void GetWeekDays(const IniReaderPtr& reader, std::vector<int>& days) {
    if (!reader) throw Exception("Incorrect ini file handler passed to GetWeekDays () function.");
    int count = reader->ReadInt("DaysCount", 0);
    if (count < 1 || count > 7) throw Exception("Incorrect number of days.");
    for (int n = 1; n <= count; ++n) {
        CString key;
        key.Format("Day%d", n);
        int day = reader->ReadInt(key, 0);
        if (day < 1 || day > 7) {
            CString message;
            message.Format("%d value is incorrect.", day);
            throw Exception(message);
        }
        days.push_back(day);
    }
}

CString GetPeriodicalTypeId() { return "Periodical"; }
CString GetDayScheduledTypeId() { return "DayScheduled"; }
CString GetWatchTypeId() { return "Watch"; }
CString GetDayScheduledDisplayName() { return "Day Scheduled"; }
bool IsPeriodicalType(const CString& text) { return text == GetPeriodicalTypeId(); }
bool IsDayScheduledType(const CString& text) { return text == GetDayScheduledTypeId(); }
bool IsWatchType(const CString& text) { return text == GetWatchTypeId(); }
