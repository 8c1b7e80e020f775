// Owners of service-control-manager handles: the manager (with its database lock) and one
// service. Functions older systems lack are bound at run time and answer 120 when missing.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"

class CNTScmService;

typedef BOOL (*EnumServicesCallback)(void* context, ENUM_SERVICE_STATUSA& status);
typedef BOOL (*EnumServicesExCallback)(void* context, ENUM_SERVICE_STATUS_PROCESSA& status);

class CNTServiceControlManager {
public:
    CNTServiceControlManager();
    ~CNTServiceControlManager();
    CNTServiceControlManager(const CNTServiceControlManager&) = delete;
    CNTServiceControlManager& operator=(const CNTServiceControlManager&) = delete;

    SC_HANDLE GetHandle() const { return handle_.Get(); }
    void Attach(SC_HANDLE handle);
    SC_HANDLE Detach();

    BOOL Open(const char* machineName, DWORD access);
    BOOL Close();
    BOOL Lock();
    BOOL Unlock();
    // Allocates *buffer with new[]; the caller deletes it.
    BOOL QueryLockStatus(LPQUERY_SERVICE_LOCK_STATUSA& buffer);
    BOOL EnumServices(DWORD serviceType, DWORD serviceState, void* context, EnumServicesCallback callback);
    BOOL EnumServicesEx(DWORD serviceType, DWORD serviceState, const char* groupName, void* context,
                        EnumServicesExCallback callback);
    BOOL OpenService(const char* serviceName, DWORD access, CNTScmService& service);

    // For tests of systems that lack a function.
    void ForgetEnumServicesStatusEx() { enumServicesStatusEx_ = nullptr; }

private:
    ScopedServiceHandle handle_;
    ScopedServiceLock lock_;
    HMODULE advapi_;
    FARPROC registerServiceCtrlHandlerEx_;
    FARPROC enumServicesStatusEx_;
};

typedef BOOL (*EnumDependentsCallback)(void* context, ENUM_SERVICE_STATUSA& status);

class CNTScmService {
public:
    CNTScmService();
    ~CNTScmService();
    CNTScmService(const CNTScmService&) = delete;
    CNTScmService& operator=(const CNTScmService&) = delete;

    SC_HANDLE GetHandle() const { return handle_.Get(); }
    void Attach(SC_HANDLE handle);
    SC_HANDLE Detach();
    BOOL Close();

    BOOL Create(CNTServiceControlManager& manager, const char* name, const char* displayName, DWORD access,
                DWORD serviceType, DWORD startType, DWORD errorControl, const char* binaryPath,
                const char* loadOrderGroup, LPDWORD tagId, const char* dependencies, const char* account,
                const char* password);
    BOOL Delete();
    BOOL ChangeConfig(DWORD serviceType, DWORD startType, DWORD errorControl, const char* binaryPath,
                      const char* loadOrderGroup, LPDWORD tagId, const char* dependencies, const char* account,
                      const char* password, const char* displayName);
    BOOL Control(DWORD code);
    BOOL Stop();
    BOOL Pause();
    BOOL Continue();
    BOOL Interrogate();
    BOOL Start(DWORD argc, const char** argv);
    BOOL QueryStatus(SERVICE_STATUS& status);
    BOOL QueryStatusEx(SERVICE_STATUS_PROCESS& status);
    BOOL AcceptsStop(BOOL& accepts);
    BOOL AcceptsPauseContinue(BOOL& accepts);
    BOOL AcceptsShutdown(BOOL& accepts);
    // Two-step reads: the buffer is allocated with new[] (as BYTE) for the caller to delete[].
    BOOL QueryConfig(LPQUERY_SERVICE_CONFIGA& buffer);
    BOOL SetObjectSecurity(SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor);
    BOOL QueryObjectSecurity(SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR& buffer);
    BOOL EnumDependents(DWORD serviceState, void* context, EnumDependentsCallback callback);
    BOOL QueryDescription(CString& description);
    BOOL QueryFailureActions(LPSERVICE_FAILURE_ACTIONSA& buffer);
    BOOL ChangeDescription(const char* description);
    BOOL ChangeFailureActions(LPSERVICE_FAILURE_ACTIONSA actions);
    BOOL WaitForStatus(DWORD timeout, DWORD wantedState, DWORD pollInterval);
    BOOL WaitForStop(DWORD timeout);

    // For tests of systems that lack these functions.
    void ForgetOptionalFunctions() { queryConfig2_ = changeConfig2_ = queryStatusEx_ = nullptr; }

private:
    ScopedServiceHandle handle_;
    HMODULE advapi_;
    FARPROC queryConfig2_;
    FARPROC changeConfig2_;
    FARPROC queryStatusEx_;
};
