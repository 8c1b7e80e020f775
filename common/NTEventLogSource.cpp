#include "common/NTEventLogSource.h"
#include "classlib/CRegKey.h"
#include <atomic>
#include <vector>

namespace {

std::atomic<EventLogSink*> g_sink{nullptr};

const char kEventLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";
const REGSAM kInstallAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

CString FormatNumber(DWORD number, BOOL hex) {
    CString text;
    if (hex)
        text.Format("%X", static_cast<unsigned>(number));
    else
        text.Format("%d", static_cast<int>(number));
    return text;
}

}  // namespace

CNTEventLogSource::CNTEventLogSource() : log_("Application") {}

CNTEventLogSource::CNTEventLogSource(const char* serverName, const char* sourceName, const char* logName)
    : server_(serverName), source_(sourceName), log_(logName) {}

CNTEventLogSource::CNTEventLogSource(const char* serverName, const char* sourceName)
    : server_(serverName), source_(sourceName), log_("Application") {}

CNTEventLogSource::~CNTEventLogSource() { Deregister(); }

BOOL CNTEventLogSource::Register() {
    Deregister();
    handle_.Reset(RegisterEventSourceA(server_.IsEmpty() ? nullptr : static_cast<LPCSTR>(server_), source_));
    return handle_.IsValid();
}

BOOL CNTEventLogSource::Deregister() {
    // Released by hand here only to hand the platform's answer on.
    if (!handle_.IsValid()) return TRUE;
    return DeregisterEventSource(handle_.Release());
}

void CNTEventLogSource::Attach(HANDLE handle) {
    if (handle_.Get() != handle) Deregister();
    handle_.Reset(handle);
}

HANDLE CNTEventLogSource::Detach() { return handle_.Release(); }

EventLogSink* CNTEventLogSource::SetSink(EventLogSink* sink) { return g_sink.exchange(sink); }

BOOL CNTEventLogSource::Report(WORD type, WORD category, DWORD eventId, PSID userSid, WORD stringCount,
                               DWORD dataSize, const char** strings, void* data) {
    // Registered per report and never kept open, so the threads of the service never share a handle.
    CSingleLock lock(&lock_, TRUE);
    Register();
    BOOL result;
    if (EventLogSink* sink = g_sink.load()) {
        result = sink->Report(server_, source_, type, category, eventId, userSid, stringCount, dataSize, strings,
                              data);
    } else {
        result = ReportEventA(handle_.Get(), type, category, eventId, userSid, stringCount, dataSize,
                              const_cast<LPCSTR*>(strings), data);
    }
    DWORD error = GetLastError();
    Deregister();
    SetLastError(error);
    return result;
}

BOOL CNTEventLogSource::Report(WORD type, DWORD eventId) {
    return Report(type, 0, eventId, nullptr, 0, 0, nullptr, nullptr);
}

BOOL CNTEventLogSource::Report(WORD type, const char* string) { return ReportString(type, 0x40000010, string); }

BOOL CNTEventLogSource::ReportString(WORD type, DWORD eventId, const char* string) {
    const char* strings[] = {string};
    return Report(type, 0, eventId, nullptr, 1, 0, strings, nullptr);
}

BOOL CNTEventLogSource::Report(WORD type, DWORD eventId, const char* string1, const char* string2) {
    const char* strings[] = {string1, string2};
    return Report(type, 0, eventId, nullptr, 2, 0, strings, nullptr);
}

BOOL CNTEventLogSource::Report(WORD type, DWORD eventId, const char* string1, const char* string2,
                               const char* string3) {
    const char* strings[] = {string1, string2, string3};
    return Report(type, 0, eventId, nullptr, 3, 0, strings, nullptr);
}

BOOL CNTEventLogSource::Report(WORD type, DWORD eventId, const char* string1, const char* string2, DWORD number,
                               BOOL hex) {
    CString text = FormatNumber(number, hex);
    const char* strings[] = {string1, string2, text};
    return Report(type, 0, eventId, nullptr, 3, 0, strings, nullptr);
}

BOOL CNTEventLogSource::Report(WORD type, DWORD eventId, DWORD number, BOOL hex) {
    CString text = FormatNumber(number, hex);
    const char* strings[] = {text};
    return Report(type, 0, eventId, nullptr, 1, 0, strings, nullptr);
}

BOOL CNTEventLogSource::Report(WORD type, DWORD eventId, const char* string, DWORD number, BOOL hex) {
    CString text = FormatNumber(number, hex);
    const char* strings[] = {string, text};
    return Report(type, 0, eventId, nullptr, 2, 0, strings, nullptr);
}

BOOL CNTEventLogSource::InstallSource(const char* logName, const char* sourceName, const char* messageFile,
                                      DWORD typesSupported) {
    // The log itself must already exist: a source is never allowed to invent a log.
    CRegKey logKey;
    LONG r = logKey.Open(HKEY_LOCAL_MACHINE, CString(kEventLogKey) + logName, kInstallAccess);
    if (r != ERROR_SUCCESS) {
        SetLastError(r);
        return FALSE;
    }

    CRegKey sourceKey;
    r = sourceKey.Create(logKey, sourceName, kInstallAccess);
    if (r != ERROR_SUCCESS) {
        SetLastError(r);
        return FALSE;
    }
    r = sourceKey.SetStringValue("EventMessageFile", messageFile ? messageFile : "");
    if (r == ERROR_SUCCESS) r = sourceKey.SetDWORDValue("TypesSupported", typesSupported);
    BOOL ok = r == ERROR_SUCCESS;

    // Keeping the log's list of sources current is a courtesy: its failure must not turn a
    // working registration into a failed one, nor hide the error of the step above.
    CStringArray sources;
    if (ReadMultiString(logKey, "Sources", sources) == ERROR_SUCCESS) {
        bool listed = false;
        for (int i = 0; i < sources.GetSize() && !listed; ++i) listed = sources[i] == sourceName;
        if (!listed) {
            sources.Add(sourceName);
            WriteMultiString(logKey, "Sources", sources);
        }
    }

    SetLastError(ok ? ERROR_SUCCESS : static_cast<DWORD>(r));
    return ok;
}

BOOL CNTEventLogSource::InstallSource(const char* sourceName, const char* messageFile, DWORD typesSupported) {
    return InstallSource("Application", sourceName, messageFile, typesSupported);
}

BOOL CNTEventLogSource::UninstallSource(const char* logName, const char* sourceName) {
    CString path;
    path.Format("%s%s\\%s", kEventLogKey, logName, sourceName);
    LONG r = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    if (r != ERROR_SUCCESS) {
        SetLastError(r);
        return FALSE;
    }

    CRegKey logKey;
    if (logKey.Open(HKEY_LOCAL_MACHINE, CString(kEventLogKey) + logName, KEY_READ | KEY_SET_VALUE) ==
        ERROR_SUCCESS) {
        CStringArray sources;
        if (ReadMultiString(logKey, "Sources", sources) == ERROR_SUCCESS) {
            for (int i = 0; i < sources.GetSize(); ++i) {
                if (sources[i] == sourceName) {
                    sources.RemoveAt(i);
                    WriteMultiString(logKey, "Sources", sources);
                    break;
                }
            }
        }
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL CNTEventLogSource::UninstallSource(const char* sourceName) { return UninstallSource("Application", sourceName); }

LONG CNTEventLogSource::ReadMultiString(HKEY key, const char* valueName, CStringArray& out) {
    out.RemoveAll();
    DWORD type = 0, bytes = 0;
    LONG r = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &bytes);
    if (r == ERROR_SUCCESS && type != REG_MULTI_SZ) r = ERROR_INVALID_DATA;
    if (r != ERROR_SUCCESS) {
        SetLastError(r);
        return r;
    }
    // Two spare NULs: a value written without its terminators must not lead the scan astray.
    std::vector<char> data(bytes + 2, '\0');
    r = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
    if (r == ERROR_SUCCESS && type != REG_MULTI_SZ) r = ERROR_INVALID_DATA;
    if (r != ERROR_SUCCESS) {
        SetLastError(r);
        return r;
    }
    data[bytes] = data[bytes + 1] = '\0';
    for (const char* p = data.data(); *p; p += strlen(p) + 1) out.Add(p);
    return ERROR_SUCCESS;
}

LONG CNTEventLogSource::WriteMultiString(HKEY key, const char* valueName, const CStringArray& values) {
    std::string data;
    for (int i = 0; i < values.GetSize(); ++i) {
        data += values[i].str();
        data += '\0';
    }
    data += '\0';
    LONG r = RegSetValueExA(key, valueName, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size()));
    if (r != ERROR_SUCCESS) SetLastError(r);
    return r;
}
