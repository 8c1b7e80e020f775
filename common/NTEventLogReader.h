// Reads records of a Windows event log, and backs up or clears a log.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include "classlib/CTime.h"
#include <vector>

// One event-log record, copied out of the system's buffer.
class CNTEventLogEntry {
public:
    CNTEventLogEntry();
    explicit CNTEventLogEntry(const EVENTLOGRECORD& record);

    DWORD recordNumber;
    CTime timeGenerated;
    CTime timeWritten;
    DWORD eventId;
    WORD eventType;
    WORD eventCategory;
    std::vector<BYTE> userSid;
    CStringArray strings;
    std::vector<BYTE> data;
    CString sourceName;
    CString computerName;
};

class CNTEventLogReader {
public:
    CNTEventLogReader();
    ~CNTEventLogReader();
    CNTEventLogReader(const CNTEventLogReader&) = delete;
    CNTEventLogReader& operator=(const CNTEventLogReader&) = delete;

    HANDLE GetHandle() const { return handle_.Get(); }
    void Attach(HANDLE handle);
    HANDLE Detach();

    // A null or empty server name means the local machine.
    BOOL Open(const char* serverName, const char* logName);
    BOOL OpenApplication(const char* serverName = nullptr) { return Open(serverName, "Application"); }
    BOOL OpenSystem(const char* serverName = nullptr) { return Open(serverName, "System"); }
    BOOL OpenSecurity(const char* serverName = nullptr) { return Open(serverName, "Security"); }
    BOOL OpenBackup(const char* serverName, const char* fileName);
    BOOL Close();

    BOOL Backup(const char* fileName);
    // Backs the log up into backupFileName first when it is not null.
    BOOL Clear(const char* backupFileName = nullptr);
    BOOL GetNumberOfRecords(DWORD& count);
    BOOL GetOldestRecord(DWORD& recordNumber);
    BOOL NotifyChange(HANDLE event);

    // Sequential reads; false with ERROR_HANDLE_EOF after the last record.
    BOOL ReadNext(CNTEventLogEntry& entry);
    BOOL ReadPrev(CNTEventLogEntry& entry);

private:
    BOOL Read(DWORD direction, CNTEventLogEntry& entry);

    ScopedEventLog handle_;
};
