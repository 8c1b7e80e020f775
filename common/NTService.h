// Base class of an NT service program: dispatcher, control handler, status reports, console run,
// installation, state changes and the service's registry profile.
#pragma once
#include "classlib/CString.h"
#include "classlib/CSync.h"
#include "common/NTEventLogSource.h"
#include "common/NTServiceCommandLineInfo.h"

// Thrown from inside the service's work to end it; the service then reports itself stopped
// with these exit codes.
class CNTServiceTerminateException {
public:
    CNTServiceTerminateException(DWORD win32ExitCode, DWORD serviceSpecificExitCode)
        : m_dwWin32ExitCode(win32ExitCode), m_dwServiceSpecificExitCode(serviceSpecificExitCode) {}

    DWORD m_dwWin32ExitCode;
    DWORD m_dwServiceSpecificExitCode;
};

// Where control-handler registrations and status reports go. The default is the service control
// manager; tests install their own, since the platform only accepts them inside a started service.
class ServiceStatusPort {
public:
    virtual ~ServiceStatusPort() {}
    virtual SERVICE_STATUS_HANDLE RegisterHandlerEx(const char* serviceName, LPHANDLER_FUNCTION_EX handler,
                                                    void* context) = 0;
    virtual SERVICE_STATUS_HANDLE RegisterHandler(const char* serviceName, LPHANDLER_FUNCTION handler) = 0;
    virtual BOOL SetStatus(SERVICE_STATUS_HANDLE handle, const SERVICE_STATUS& status) = 0;
};

class CNTService {
public:
    // How a failure text shown to the user is put: see FormatErrorMessage.
    enum { ErrorCodeOnly = 0, ErrorPair = 1, SystemText = 2, ResourceWithCode = 3, ResourceWithPair = 4,
           ResourceWithSystemText = 5 };
    // What SetServiceToStatus asks of the service.
    enum { TargetStart = 0, TargetPause = 1, TargetContinue = 2, TargetStop = 3 };

    CNTService();
    CNTService(const char* serviceName, const char* displayName = nullptr,
               DWORD controlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE,
               const char* description = nullptr);
    virtual ~CNTService();
    CNTService(const CNTService&) = delete;
    CNTService& operator=(const CNTService&) = delete;

    // The object that the static entry points serve; null when none exists.
    static CNTService* GetInstance();

    void SetServiceName(const char* name) { m_sServiceName = name; }
    void SetDisplayName(const char* name);
    void SetDescription(const char* description) { m_sDescription = description; }
    const CString& GetServiceName() const { return m_sServiceName; }
    const CString& GetDisplayName() const { return m_sDisplayName; }
    const CString& GetDescription() const { return m_sDescription; }
    DWORD GetCurrentState() const { return m_dwCurrentState; }
    const CString& GetBinaryPath() const { return m_sBinaryPath; }

    // Failure texts of a command go to standard output (true, the service program) or to a
    // message box (false).
    void SetConsole(BOOL console) { m_bConsole = console; }
    typedef int (*MessageBoxFunction)(const char* text);
    // Replaces how the message box is shown; null restores MessageBoxA. Gives the previous one.
    static MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);

    // Null sends to the service control manager.
    void SetStatusPort(ServiceStatusPort* port) { m_pStatusPort = port; }
    // As on a system without RegisterServiceCtrlHandlerExA.
    void ForgetRegisterServiceCtrlHandlerEx() { m_lpfnRegisterServiceCtrlHandlerEx = nullptr; }

    // Registry profile under the service's key "Parameters".
    virtual BOOL WriteProfileString(const char* section, const char* entry, const char* value,
                                    DWORD* error = nullptr);
    virtual BOOL WriteProfileInt(const char* section, const char* entry, int value, DWORD* error = nullptr);
    virtual BOOL WriteProfileStringArray(const char* section, const char* entry, const CStringArray& array,
                                         DWORD* error = nullptr);
    virtual BOOL WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT bytes,
                                    DWORD* error = nullptr);
    virtual CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr,
                                     DWORD* error = nullptr);
    virtual int GetProfileInt(const char* section, const char* entry, int defaultValue, DWORD* error = nullptr);
    virtual BOOL GetProfileStringArray(const char* section, const char* entry, CStringArray& array,
                                       DWORD* error = nullptr);
    // *data is allocated with new[] for the caller to delete[].
    virtual BOOL GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes,
                                  DWORD* error = nullptr);

    // Command line.
    virtual void ParseCommandLine(CNTServiceCommandLineInfo& info);
    virtual DWORD ProcessShellCommand(CNTServiceCommandLineInfo& info);

    // Status and control. A state of -1 stands for the current state, as it is when the report
    // is stored.
    virtual BOOL ReportStatus(DWORD state, DWORD checkPoint = static_cast<DWORD>(-1),
                              DWORD waitHint = static_cast<DWORD>(-1),
                              DWORD controlsAccepted = static_cast<DWORD>(-1));
    virtual BOOL ReportCurrentStatus();
    virtual BOOL RegisterCtrlHandler();
    virtual DWORD ServiceCtrlHandler(DWORD control, DWORD eventType, LPVOID eventData);
    virtual void ServiceMain(DWORD argc, LPSTR* argv);

    virtual void OnStop();
    virtual void OnPause();
    virtual void OnContinue();
    virtual void OnInterrogate();
    virtual void OnShutdown();
    virtual void OnParamChange();
    virtual DWORD OnHardwareProfileChange(DWORD eventType, LPVOID eventData);
    virtual DWORD OnPowerEvent(DWORD eventType, LPVOID eventData);
    virtual void OnNetBindAdd();
    virtual void OnNetBindRemove();
    virtual void OnNetBindEnable();
    virtual void OnNetBindDisable();
    virtual DWORD OnDeviceEvent(DWORD eventType, LPVOID eventData);
    virtual void OnUserDefinedRequest(DWORD control);

    // Modes of running and commands.
    virtual BOOL RunAsService();
    virtual BOOL SetServiceToStatus(DWORD target, DWORD& error, DWORD timeout = 5000, DWORD pollInterval = 250);
    virtual BOOL Install(CString& errorText, DWORD& error);
    // The install step run once the service is created, for every install (the account is empty
    // for LocalSystem): makes ready what the service writes for the account it runs as. 0, or
    // the Win32 error that fails the install and deletes the service again. The base needs
    // nothing and gives 0.
    virtual DWORD GrantAccountAccess(const char* account);
    // The uninstall step for a service that logs on as a user account, run once the service is
    // stopped and before it is deleted: takes back what GrantAccountAccess gave. 0, or the Win32
    // error that fails the uninstall and keeps the service, so that the next uninstall tries
    // again. The base gave nothing and gives 0.
    virtual DWORD RevokeAccountAccess(const char* account);
    virtual BOOL Uninstall(CString& errorText, DWORD& error, DWORD timeout = 5000);
    virtual void DebugRun();
    virtual void ShowHelp();
    virtual BOOL EnumerateInstances(CStringArray& serviceNames, DWORD& error);

    virtual void RunServiceMain(DWORD argc, LPSTR* argv);
    virtual void FormatErrorMessage(CString& text, UINT stringId, DWORD error, BOOL eventForm);
    virtual UINT MapStringId(UINT id);
    virtual DWORD MapEventId(DWORD id);
    virtual BOOL SetStatus(DWORD state, DWORD checkPoint, DWORD waitHint, DWORD controlsAccepted,
                           DWORD win32ExitCode, DWORD serviceSpecificExitCode);
    // A list of NUL-terminated names ended by one more NUL, allocated with new[] for the caller
    // to delete[].
    virtual char* GetDependenciesMultiSz();
    virtual BOOL ConsoleCtrlHandler(DWORD ctrlType);

    // Throws CNTServiceTerminateException; never returns.
    [[noreturn]] static void TerminateService(DWORD win32ExitCode = 0, DWORD serviceSpecificExitCode = 0);

    // Puts the words of the command line after the program name into `info`.
    static void ParseArguments(CNTServiceCommandLineInfo& info, int count, const char* const* words);
    // Install preparation: builds the binary path for `programPath` from the options, takes
    // over the account and password (wiping them in `info`) and the start type.
    void PrepareInstall(CNTServiceCommandLineInfo& info, const char* programPath);
    // The console run on an explicit argument list (program name included).
    void RunInConsole(int argc, char** argv);

    static void WINAPI StaticServiceMain(DWORD argc, LPSTR* argv);
    static void WINAPI StaticHandler(DWORD control);
    static DWORD WINAPI StaticHandlerEx(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);
    static BOOL WINAPI StaticConsoleCtrlHandler(DWORD ctrlType);

protected:
    DWORD m_dwServiceType;
    DWORD m_dwStartType;
    DWORD m_dwErrorControl;
    CString m_sLoadOrderGroup;
    CString m_sUserName;
    CString m_sPassword;
    CString m_sEventMessageFile;
    int m_nUserMessageForm;
    int m_nEventMessageForm;
    CStringArray m_sDependencies;
    BOOL m_bEventLogSource;
    SERVICE_STATUS_HANDLE m_hStatus;
    DWORD m_dwControlsAccepted;
    DWORD m_dwCheckPoint;
    DWORD m_dwWaitHint;
    DWORD m_dwCurrentState;
    CString m_sServiceName;
    CString m_sDisplayName;
    CString m_sDescription;
    CNTEventLogSource m_EventLogSource;
    CCriticalSection m_StatusLock;
    BOOL m_bProfileWriteFlush;
    BOOL m_bAllowCommandLine;
    BOOL m_bAllowNameChange;
    BOOL m_bAllowDescriptionChange;
    BOOL m_bAllowDisplayNameChange;
    BOOL m_bConsole;
    CString m_sBinaryPath;
    HMODULE m_hAdvapi32;
    FARPROC m_lpfnRegisterServiceCtrlHandlerEx;
    ServiceStatusPort* m_pStatusPort;
    // The newest report, its number, the number of the last one sent, and whether a thread is
    // sending (see SendLatestStatus).
    SERVICE_STATUS m_LatestStatus;
    DWORD m_dwReportNumber;
    DWORD m_dwLastSentNumber;
    volatile LONG m_lSending;

private:
    void Construct(const char* serviceName, const char* displayName, DWORD controlsAccepted,
                   const char* description);
    BOOL SendLatestStatus(SERVICE_STATUS_HANDLE handle);
    void ShowFailure(const CString& text) const;
    void ReportError(DWORD eventId, const CString& text);
    // An information event whose one insertion string is the display name.
    void ReportDisplayNameEvent(DWORD eventId);
    HKEY OpenSectionKey(const char* section, BOOL write, LONG& result);
    void FinishWrite(HKEY key);

    static CNTService* sm_pService;

public:
    // The four switches that let the command line change the service.
    void AllowCommandLine(BOOL allow) { m_bAllowCommandLine = allow; }
    void AllowNameChange(BOOL allow) { m_bAllowNameChange = allow; }
    void AllowDescriptionChange(BOOL allow) { m_bAllowDescriptionChange = allow; }
    void AllowDisplayNameChange(BOOL allow) { m_bAllowDisplayNameChange = allow; }
};
