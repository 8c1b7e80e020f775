// Access to the task file: escaped string values, integers, the guarded per-section reader, the
// LastRun/LastEvent time text, the week-day list and the task type identifiers.
#pragma once
#include "classlib/CString.h"
#include "classlib/CSync.h"
#include "classlib/CTime.h"
#include <boost/shared_ptr.hpp>
#include <vector>

// Escaping of values: a backslash as "\\", a line feed as "\n", a carriage return as "\r".
CString EscapeIniValue(const CString& value);
CString UnescapeIniValue(const CString& value);

// The longest value, as stored (escaped), that IniFile::ReadString reads back whole: the
// platform's profile functions give longer values back as another text (Wine: empty or cut), so
// a document path that long is refused before it is stored (OrvPathProblem).
const int kIniValueMaxLength = 32766;

// One INI file by path; takes no lock.
class IniFile {
public:
    explicit IniFile(const CString& path) : path_(path) {}
    const CString& GetPath() const { return path_; }
    // The whole value, up to kIniValueMaxLength characters as stored.
    CString ReadString(const char* section, const char* key, const char* defaultValue) const;
    // The platform's reading of an integer (ParseProfileInt), the default for a missing or empty
    // value; a number beyond an int's range gives the nearest int.
    int ReadInt(const char* section, const char* key, int defaultValue) const;
    // Writes report whether the platform stored the value (FALSE: read-only file, folder
    // refusing writes, ...); the last error then says why.
    BOOL WriteString(const char* value, const char* section, const char* key) const;
    BOOL WriteInt(int value, const char* section, const char* key) const;
    // Removes the key; a key that was not there counts as removed.
    BOOL DeleteKey(const char* section, const char* key) const;
    // Removes every key of the section.
    BOOL EmptySection(const char* section) const;
    // The section's "key=value" lines exactly as stored (no unescaping), each ended by a NUL and
    // the whole by one more: the form WritePrivateProfileSectionA takes back.
    std::vector<char> ReadRawSection(const char* section) const;

private:
    // The value as the platform gives it (no unescaping), whole.
    CString ReadRawValue(const char* section, const char* key, const char* defaultValue) const;

    CString path_;
};

// One section of one INI file.
class IniReader {
public:
    virtual ~IniReader() {}
    virtual CString ReadString(const char* key, const char* defaultValue) = 0;
    virtual int ReadInt(const char* key, int defaultValue) = 0;
    // FALSE when the value was not stored.
    virtual BOOL WriteString(const char* value, const char* key) = 0;
    virtual BOOL WriteInt(int value, const char* key) = 0;
    virtual BOOL DeleteKey(const char* key) = 0;
    virtual CString GetSection() = 0;
};

typedef boost::shared_ptr<IniReader> IniReaderPtr;

// The reader the service uses: every call holds the process-wide named mutex
// "Brellix.OrvService.SafeIniReader"; each reader owns its own handle to it. The calls of one
// process are serialised by a lock of its own as well, so a mutex that another process keeps
// beyond kMutexWaitLimitMs is given up on: the call goes on under that lock alone, as when the
// mutex cannot be opened at all, and later calls only try the mutex until they get it again.
class SafeIniReader : public IniReader {
public:
    SafeIniReader(const CString& path, const CString& section);
    CString ReadString(const char* key, const char* defaultValue) override;
    int ReadInt(const char* key, int defaultValue) override;
    BOOL WriteString(const char* value, const char* key) override;
    BOOL WriteInt(int value, const char* key) override;
    BOOL DeleteKey(const char* key) override;
    CString GetSection() override { return section_; }

    // Its holders keep the mutex for one profile call; any process of the session may open the
    // name, and one that keeps it (hung or hostile) must not hold the service's threads, and
    // with them its stop.
    static const DWORD kMutexWaitLimitMs = 2000;
    // Whether the process's last try of the mutex went without it: later calls only try it.
    static bool IsMutexKeptElsewhere();

private:
    class Guard;
    CMutex mutex_;
    IniFile file_;
    CString section_;
};

// The numbers N of the "Task<N>" sections the file holds, ascending, each once.
std::vector<int> TaskSectionNumbers(const IniFile& file);
// The task sections both programs load: those the file holds, up to TasksCount. They are walked
// by the names the file holds, never by counting: one hand-edited [Task2000000] must not cost a
// pass per number below it.
std::vector<int> TaskSectionsToLoad(const IniFile& file);

// "%d:%d:%d;%d:%d": local year, month, day, hour and minute.
CString FormatIniTime(const CTime& time);
// The zero time for empty, garbled or out-of-range text.
CTime ParseIniTime(const CString& text);

// Appends the section's week-day numbers (1 = Sunday) in key order; throws Exception.
void GetWeekDays(const IniReaderPtr& reader, std::vector<int>& days);

CString GetPeriodicalTypeId();
CString GetDayScheduledTypeId();
CString GetWatchTypeId();
CString GetDayScheduledDisplayName();
bool IsPeriodicalType(const CString& text);
bool IsDayScheduledType(const CString& text);
bool IsWatchType(const CString& text);
