#include "common/NTScmService.h"
#include <vector>

namespace {

typedef BOOL(WINAPI* EnumServicesStatusExAFn)(SC_HANDLE, SC_ENUM_TYPE, DWORD, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD,
                                              LPDWORD, LPCSTR);
typedef BOOL(WINAPI* QueryServiceConfig2AFn)(SC_HANDLE, DWORD, LPBYTE, DWORD, LPDWORD);
typedef BOOL(WINAPI* ChangeServiceConfig2AFn)(SC_HANDLE, DWORD, LPVOID);
typedef BOOL(WINAPI* QueryServiceStatusExFn)(SC_HANDLE, SC_STATUS_TYPE, LPBYTE, DWORD, LPDWORD);

// Casts between function pointer types go through void* to keep the compiler quiet about it.
template <typename Fn>
Fn Bound(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

FARPROC Lookup(HMODULE module, const char* name) { return module ? GetProcAddress(module, name) : nullptr; }

BOOL Missing() {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

// The size-then-read pattern of the service control manager. `call` reads into (buffer, size,
// &needed); the buffer is handed to `buffer` on success and freed otherwise. A size that grew
// between the two calls (a service changed meanwhile) is simply asked for again.
template <typename T, typename Call>
BOOL ReadTwoStep(T*& buffer, DWORD retryError, Call call) {
    buffer = nullptr;
    DWORD needed = 0;
    BOOL ok = call(nullptr, 0, &needed);
    for (int attempt = 0; !ok && GetLastError() == retryError && attempt < 4; ++attempt) {
        delete[] reinterpret_cast<BYTE*>(buffer);
        BYTE* bytes = new BYTE[needed ? needed : 1]();
        buffer = reinterpret_cast<T*>(bytes);
        DWORD size = needed;
        ok = call(bytes, size, &needed);
    }
    if (!ok) {
        DWORD error = GetLastError();
        delete[] reinterpret_cast<BYTE*>(buffer);
        buffer = nullptr;
        SetLastError(error);
    }
    return ok;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CNTServiceControlManager

CNTServiceControlManager::CNTServiceControlManager()
    : advapi_(GetModuleHandleA("ADVAPI32.DLL")),
      registerServiceCtrlHandlerEx_(Lookup(advapi_, "RegisterServiceCtrlHandlerExA")),
      enumServicesStatusEx_(Lookup(advapi_, "EnumServicesStatusExA")) {}

CNTServiceControlManager::~CNTServiceControlManager() {
    Unlock();
    Close();
}

void CNTServiceControlManager::Attach(SC_HANDLE handle) { handle_.Reset(handle); }

SC_HANDLE CNTServiceControlManager::Detach() { return handle_.Release(); }

BOOL CNTServiceControlManager::Open(const char* machineName, DWORD access) {
    handle_.Reset(OpenSCManagerA(machineName, SERVICES_ACTIVE_DATABASEA, access));
    return handle_.IsValid();
}

BOOL CNTServiceControlManager::Close() {
    handle_.Reset();
    return TRUE;
}

BOOL CNTServiceControlManager::Lock() {
    // A second lock would lose the first one's handle.
    Unlock();
    lock_.Reset(LockServiceDatabase(handle_.Get()));
    return lock_.IsValid();
}

BOOL CNTServiceControlManager::Unlock() {
    // Released by hand here only to hand the platform's answer on.
    if (!lock_.IsValid()) return TRUE;
    return UnlockServiceDatabase(lock_.Release());
}

BOOL CNTServiceControlManager::QueryLockStatus(LPQUERY_SERVICE_LOCK_STATUSA& buffer) {
    return ReadTwoStep(buffer, ERROR_INSUFFICIENT_BUFFER, [this](BYTE* data, DWORD size, DWORD* needed) {
        return QueryServiceLockStatusA(handle_.Get(), reinterpret_cast<LPQUERY_SERVICE_LOCK_STATUSA>(data), size, needed);
    });
}

BOOL CNTServiceControlManager::EnumServices(DWORD serviceType, DWORD serviceState, void* context,
                                            EnumServicesCallback callback) {
    DWORD count = 0;
    ENUM_SERVICE_STATUSA* entries = nullptr;
    BOOL ok = ReadTwoStep(entries, ERROR_MORE_DATA, [&](BYTE* data, DWORD size, DWORD* needed) {
        DWORD resume = 0;
        return EnumServicesStatusA(handle_.Get(), serviceType, serviceState, reinterpret_cast<ENUM_SERVICE_STATUSA*>(data),
                                   size, needed, &count, &resume);
    });
    if (ok && callback) {
        for (DWORD i = 0; i < count; ++i)
            if (!callback(context, entries[i])) break;
    }
    delete[] reinterpret_cast<BYTE*>(entries);
    return ok;
}

BOOL CNTServiceControlManager::EnumServicesEx(DWORD serviceType, DWORD serviceState, const char* groupName,
                                              void* context, EnumServicesExCallback callback) {
    if (!enumServicesStatusEx_) return Missing();
    EnumServicesStatusExAFn enumEx = Bound<EnumServicesStatusExAFn>(enumServicesStatusEx_);
    DWORD count = 0;
    ENUM_SERVICE_STATUS_PROCESSA* entries = nullptr;
    BOOL ok = ReadTwoStep(entries, ERROR_MORE_DATA, [&](BYTE* data, DWORD size, DWORD* needed) {
        DWORD resume = 0;
        return enumEx(handle_.Get(), SC_ENUM_PROCESS_INFO, serviceType, serviceState, data, size, needed, &count, &resume,
                      groupName);
    });
    if (ok && callback) {
        for (DWORD i = 0; i < count; ++i)
            if (!callback(context, entries[i])) break;
    }
    delete[] reinterpret_cast<BYTE*>(entries);
    return ok;
}

BOOL CNTServiceControlManager::OpenService(const char* serviceName, DWORD access, CNTScmService& service) {
    SC_HANDLE h = ::OpenServiceA(handle_.Get(), serviceName, access);
    if (!h) return FALSE;
    service.Attach(h);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// CNTScmService

CNTScmService::CNTScmService()
    : advapi_(GetModuleHandleA("ADVAPI32.DLL")),
      queryConfig2_(Lookup(advapi_, "QueryServiceConfig2A")),
      changeConfig2_(Lookup(advapi_, "ChangeServiceConfig2A")),
      queryStatusEx_(Lookup(advapi_, "QueryServiceStatusEx")) {}

CNTScmService::~CNTScmService() { Close(); }

void CNTScmService::Attach(SC_HANDLE handle) { handle_.Reset(handle); }

SC_HANDLE CNTScmService::Detach() { return handle_.Release(); }

BOOL CNTScmService::Close() {
    handle_.Reset();
    return TRUE;
}

BOOL CNTScmService::Create(CNTServiceControlManager& manager, const char* name, const char* displayName,
                           DWORD access, DWORD serviceType, DWORD startType, DWORD errorControl,
                           const char* binaryPath, const char* loadOrderGroup, LPDWORD tagId,
                           const char* dependencies, const char* account, const char* password) {
    handle_.Reset(CreateServiceA(manager.GetHandle(), name, displayName, access, serviceType, startType,
                                 errorControl, binaryPath, loadOrderGroup, tagId, dependencies, account, password));
    return handle_.IsValid();
}

BOOL CNTScmService::Delete() { return DeleteService(handle_.Get()); }

BOOL CNTScmService::ChangeConfig(DWORD serviceType, DWORD startType, DWORD errorControl, const char* binaryPath,
                                 const char* loadOrderGroup, LPDWORD tagId, const char* dependencies,
                                 const char* account, const char* password, const char* displayName) {
    return ChangeServiceConfigA(handle_.Get(), serviceType, startType, errorControl, binaryPath, loadOrderGroup, tagId,
                                dependencies, account, password, displayName);
}

BOOL CNTScmService::Control(DWORD code) {
    SERVICE_STATUS status = {};
    return ControlService(handle_.Get(), code, &status);
}

BOOL CNTScmService::Stop() { return Control(SERVICE_CONTROL_STOP); }
BOOL CNTScmService::Pause() { return Control(SERVICE_CONTROL_PAUSE); }
BOOL CNTScmService::Continue() { return Control(SERVICE_CONTROL_CONTINUE); }
BOOL CNTScmService::Interrogate() { return Control(SERVICE_CONTROL_INTERROGATE); }

BOOL CNTScmService::Start(DWORD argc, const char** argv) {
    return StartServiceA(handle_.Get(), argc, const_cast<LPCSTR*>(argv));
}

BOOL CNTScmService::QueryStatus(SERVICE_STATUS& status) { return QueryServiceStatus(handle_.Get(), &status); }

BOOL CNTScmService::QueryStatusEx(SERVICE_STATUS_PROCESS& status) {
    if (!queryStatusEx_) return Missing();
    DWORD needed = 0;
    return Bound<QueryServiceStatusExFn>(queryStatusEx_)(handle_.Get(), SC_STATUS_PROCESS_INFO,
                                                         reinterpret_cast<LPBYTE>(&status), sizeof(status), &needed);
}

BOOL CNTScmService::AcceptsStop(BOOL& accepts) {
    SERVICE_STATUS status = {};
    BOOL ok = QueryStatus(status);
    if (ok) accepts = (status.dwControlsAccepted & SERVICE_ACCEPT_STOP) != 0;
    return ok;
}

BOOL CNTScmService::AcceptsPauseContinue(BOOL& accepts) {
    SERVICE_STATUS status = {};
    BOOL ok = QueryStatus(status);
    if (ok) accepts = (status.dwControlsAccepted & SERVICE_ACCEPT_PAUSE_CONTINUE) != 0;
    return ok;
}

BOOL CNTScmService::AcceptsShutdown(BOOL& accepts) {
    SERVICE_STATUS status = {};
    BOOL ok = QueryStatus(status);
    if (ok) accepts = (status.dwControlsAccepted & SERVICE_ACCEPT_SHUTDOWN) != 0;
    return ok;
}

BOOL CNTScmService::QueryConfig(LPQUERY_SERVICE_CONFIGA& buffer) {
    return ReadTwoStep(buffer, ERROR_INSUFFICIENT_BUFFER, [this](BYTE* data, DWORD size, DWORD* needed) {
        return QueryServiceConfigA(handle_.Get(), reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(data), size, needed);
    });
}

BOOL CNTScmService::SetObjectSecurity(SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor) {
    return SetServiceObjectSecurity(handle_.Get(), information, descriptor);
}

BOOL CNTScmService::QueryObjectSecurity(SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR& buffer) {
    BYTE* bytes = nullptr;
    BOOL ok = ReadTwoStep(bytes, ERROR_INSUFFICIENT_BUFFER, [&](BYTE* data, DWORD size, DWORD* needed) {
        return QueryServiceObjectSecurity(handle_.Get(), information, data, size, needed);
    });
    buffer = bytes;
    return ok;
}

BOOL CNTScmService::EnumDependents(DWORD serviceState, void* context, EnumDependentsCallback callback) {
    DWORD count = 0;
    ENUM_SERVICE_STATUSA* entries = nullptr;
    BOOL ok = ReadTwoStep(entries, ERROR_MORE_DATA, [&](BYTE* data, DWORD size, DWORD* needed) {
        return EnumDependentServicesA(handle_.Get(), serviceState, reinterpret_cast<ENUM_SERVICE_STATUSA*>(data), size,
                                      needed, &count);
    });
    if (ok && callback) {
        for (DWORD i = 0; i < count; ++i)
            if (!callback(context, entries[i])) break;
    }
    delete[] reinterpret_cast<BYTE*>(entries);
    return ok;
}

BOOL CNTScmService::QueryDescription(CString& description) {
    if (!queryConfig2_) return Missing();
    QueryServiceConfig2AFn query = Bound<QueryServiceConfig2AFn>(queryConfig2_);
    SERVICE_DESCRIPTIONA* info = nullptr;
    BOOL ok = ReadTwoStep(info, ERROR_INSUFFICIENT_BUFFER, [&](BYTE* data, DWORD size, DWORD* needed) {
        return query(handle_.Get(), SERVICE_CONFIG_DESCRIPTION, data, size, needed);
    });
    if (ok) description = info && info->lpDescription ? info->lpDescription : "";
    delete[] reinterpret_cast<BYTE*>(info);
    return ok;
}

BOOL CNTScmService::QueryFailureActions(LPSERVICE_FAILURE_ACTIONSA& buffer) {
    if (!queryConfig2_) {
        buffer = nullptr;
        return Missing();
    }
    QueryServiceConfig2AFn query = Bound<QueryServiceConfig2AFn>(queryConfig2_);
    return ReadTwoStep(buffer, ERROR_INSUFFICIENT_BUFFER, [&](BYTE* data, DWORD size, DWORD* needed) {
        return query(handle_.Get(), SERVICE_CONFIG_FAILURE_ACTIONS, data, size, needed);
    });
}

BOOL CNTScmService::ChangeDescription(const char* description) {
    if (!changeConfig2_) return Missing();
    // The platform's structure takes a writable text.
    const char* source = description ? description : "";
    std::vector<char> text(source, source + strlen(source) + 1);
    SERVICE_DESCRIPTIONA info = {text.data()};
    return Bound<ChangeServiceConfig2AFn>(changeConfig2_)(handle_.Get(), SERVICE_CONFIG_DESCRIPTION, &info);
}

BOOL CNTScmService::ChangeFailureActions(LPSERVICE_FAILURE_ACTIONSA actions) {
    if (!changeConfig2_) return Missing();
    return Bound<ChangeServiceConfig2AFn>(changeConfig2_)(handle_.Get(), SERVICE_CONFIG_FAILURE_ACTIONS, actions);
}

BOOL CNTScmService::WaitForStatus(DWORD timeout, DWORD wantedState, DWORD pollInterval) {
    const DWORD start = GetTickCount();
    for (;;) {
        SERVICE_STATUS status = {};
        if (!QueryStatus(status)) return FALSE;
        if (status.dwCurrentState == wantedState) return TRUE;
        Sleep(pollInterval);
        // Unsigned difference: stays right when the tick count wraps after 49.7 days.
        if (timeout != INFINITE && GetTickCount() - start > timeout) {
            SetLastError(ERROR_TIMEOUT);
            return FALSE;
        }
    }
}

BOOL CNTScmService::WaitForStop(DWORD timeout) { return WaitForStatus(timeout, SERVICE_STOPPED, 250); }
