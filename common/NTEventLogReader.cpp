#include "common/NTEventLogReader.h"

namespace {
const char* NullIfEmpty(const char* text) { return text && *text ? text : nullptr; }
}  // namespace

CNTEventLogEntry::CNTEventLogEntry()
    : recordNumber(0), eventId(0), eventType(0), eventCategory(0) {}

CNTEventLogEntry::CNTEventLogEntry(const EVENTLOGRECORD& record)
    : recordNumber(record.RecordNumber), timeGenerated(static_cast<__time64_t>(record.TimeGenerated)),
      timeWritten(static_cast<__time64_t>(record.TimeWritten)), eventId(record.EventID),
      eventType(record.EventType), eventCategory(record.EventCategory) {
    const BYTE* base = reinterpret_cast<const BYTE*>(&record);
    const DWORD length = record.Length;
    // The record's offsets come from outside: nothing is copied that lies beyond its length.
    auto inside = [length](DWORD offset, DWORD size) { return offset <= length && size <= length - offset; };

    // Source and computer names follow the fixed part, each NUL-terminated.
    const DWORD fixed = sizeof(EVENTLOGRECORD);
    if (length > fixed) {
        const char* names = reinterpret_cast<const char*>(base + fixed);
        const size_t room = length - fixed;
        size_t sourceLength = strnlen(names, room);
        sourceName = CString(names, static_cast<int>(sourceLength));
        if (sourceLength + 1 < room)
            computerName = CString(names + sourceLength + 1,
                                   static_cast<int>(strnlen(names + sourceLength + 1, room - sourceLength - 1)));
    }
    if (record.UserSidLength && inside(record.UserSidOffset, record.UserSidLength))
        userSid.assign(base + record.UserSidOffset, base + record.UserSidOffset + record.UserSidLength);
    if (record.DataLength && inside(record.DataOffset, record.DataLength))
        data.assign(base + record.DataOffset, base + record.DataOffset + record.DataLength);
    DWORD offset = record.StringOffset;
    for (WORD i = 0; i < record.NumStrings && offset < length; ++i) {
        const char* text = reinterpret_cast<const char*>(base + offset);
        size_t textLength = strnlen(text, length - offset);
        strings.Add(CString(text, static_cast<int>(textLength)));
        offset += static_cast<DWORD>(textLength) + 1;
    }
}

CNTEventLogReader::CNTEventLogReader(){}

CNTEventLogReader::~CNTEventLogReader() { Close(); }

void CNTEventLogReader::Attach(HANDLE handle) {
    if (handle_.Get() != handle) Close();
    handle_.Reset(handle);
}

HANDLE CNTEventLogReader::Detach() { return handle_.Release(); }

BOOL CNTEventLogReader::Open(const char* serverName, const char* logName) {
    Close();
    handle_.Reset(OpenEventLogA(NullIfEmpty(serverName), logName));
    return handle_.IsValid();
}

BOOL CNTEventLogReader::OpenBackup(const char* serverName, const char* fileName) {
    Close();
    handle_.Reset(OpenBackupEventLogA(NullIfEmpty(serverName), fileName));
    return handle_.IsValid();
}

BOOL CNTEventLogReader::Close() {
    // Released by hand here only to hand the platform's answer on.
    if (!handle_.IsValid()) return TRUE;
    return CloseEventLog(handle_.Release());
}

BOOL CNTEventLogReader::Backup(const char* fileName) { return BackupEventLogA(handle_.Get(), fileName); }

BOOL CNTEventLogReader::Clear(const char* backupFileName) {
    return ClearEventLogA(handle_.Get(), backupFileName);
}

BOOL CNTEventLogReader::GetNumberOfRecords(DWORD& count) {
    return GetNumberOfEventLogRecords(handle_.Get(), &count);
}

BOOL CNTEventLogReader::GetOldestRecord(DWORD& recordNumber) {
    return GetOldestEventLogRecord(handle_.Get(), &recordNumber);
}

BOOL CNTEventLogReader::NotifyChange(HANDLE event) { return NotifyChangeEventLog(handle_.Get(), event); }

BOOL CNTEventLogReader::ReadNext(CNTEventLogEntry& entry) { return Read(EVENTLOG_FORWARDS_READ, entry); }

BOOL CNTEventLogReader::ReadPrev(CNTEventLogEntry& entry) { return Read(EVENTLOG_BACKWARDS_READ, entry); }

BOOL CNTEventLogReader::Read(DWORD direction, CNTEventLogEntry& entry) {
    const DWORD flags = EVENTLOG_SEQUENTIAL_READ | direction;
    std::vector<BYTE> buffer(sizeof(EVENTLOGRECORD));
    DWORD read = 0, needed = 0;
    BOOL ok =
        ReadEventLogA(handle_.Get(), flags, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &needed);
    if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size()) {
        buffer.assign(needed, 0);
        ok = ReadEventLogA(handle_.Get(), flags, 0, buffer.data(), needed, &read, &needed);
    }
    if (!ok) return FALSE;
    if (read < sizeof(EVENTLOGRECORD)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    // The entry trusts the record's own length: keep it within what was actually read.
    EVENTLOGRECORD* record = reinterpret_cast<EVENTLOGRECORD*>(buffer.data());
    if (record->Length > read) record->Length = read;
    entry = CNTEventLogEntry(*record);
    return TRUE;
}
