// Writes events to a Windows event log and registers or removes an event source.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include "classlib/CSync.h"

// Where reported events go. The default sends them to the event log; tests install their own
// (the platform's event log may store nothing).
class EventLogSink {
public:
    virtual ~EventLogSink() {}
    // Same arguments and result as ReportEventA, plus the source it was registered under.
    virtual BOOL Report(const CString& server, const CString& source, WORD type, WORD category, DWORD eventId,
                        PSID userSid, WORD stringCount, DWORD dataSize, const char** strings, void* data) = 0;
};

class CNTEventLogSource {
public:
    CNTEventLogSource();
    CNTEventLogSource(const char* serverName, const char* sourceName, const char* logName);
    CNTEventLogSource(const char* serverName, const char* sourceName);
    ~CNTEventLogSource();
    CNTEventLogSource(const CNTEventLogSource&) = delete;
    CNTEventLogSource& operator=(const CNTEventLogSource&) = delete;

    BOOL Register();
    BOOL Deregister();
    HANDLE GetHandle() const { return handle_.Get(); }
    void Attach(HANDLE handle);
    HANDLE Detach();

    void SetServerName(const char* name) { server_ = name; }
    void SetSourceName(const char* name) { source_ = name; }
    void SetLogName(const char* name) { log_ = name; }
    const CString& GetServerName() const { return server_; }
    const CString& GetSourceName() const { return source_; }
    const CString& GetLogName() const { return log_; }

    BOOL Report(WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount, DWORD dataSize,
                const char** strings, void* data);
    BOOL Report(WORD type, DWORD eventId);
    BOOL Report(WORD type, const char* string);  // id 0x40000010
    BOOL ReportString(WORD type, DWORD eventId, const char* string);
    BOOL Report(WORD type, DWORD eventId, const char* string1, const char* string2);
    BOOL Report(WORD type, DWORD eventId, const char* string1, const char* string2, const char* string3);
    BOOL Report(WORD type, DWORD eventId, const char* string1, const char* string2, DWORD number, BOOL hex);
    BOOL Report(WORD type, DWORD eventId, DWORD number, BOOL hex);
    BOOL Report(WORD type, DWORD eventId, const char* string, DWORD number, BOOL hex);

    static BOOL InstallSource(const char* logName, const char* sourceName, const char* messageFile,
                              DWORD typesSupported);
    static BOOL InstallSource(const char* sourceName, const char* messageFile, DWORD typesSupported);
    static BOOL UninstallSource(const char* logName, const char* sourceName);
    static BOOL UninstallSource(const char* sourceName);

    // Replaces where every source of the process reports; null restores the event log. Gives
    // the previous sink.
    static EventLogSink* SetSink(EventLogSink* sink);

    // Multi-string registry values: read requires REG_MULTI_SZ (else ERROR_INVALID_DATA).
    static LONG ReadMultiString(HKEY key, const char* valueName, CStringArray& out);
    static LONG WriteMultiString(HKEY key, const char* valueName, const CStringArray& values);

private:
    ScopedEventSource handle_;
    CString server_;
    CString source_;
    CString log_;
    CCriticalSection lock_;
};
