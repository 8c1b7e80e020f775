// The service program's parsed command line: the command to carry out and its options.
#pragma once
#include "classlib/CString.h"

class CNTServiceCommandLineInfo {
public:
    enum {
        RunAsService = 0,
        StartTheService = 1,
        PauseTheService = 2,
        ContinueTheService = 3,
        StopTheService = 4,
        InstallService = 5,
        UninstallService = 6,
        DebugService = 7,
        ShowServiceHelp = 8
    };

    CNTServiceCommandLineInfo();
    virtual ~CNTServiceCommandLineInfo();

    // One word of the command line, with its leading '-' or '/' already taken off when it had
    // one (then `isFlag` is true).
    virtual void ParseParam(const char* param, BOOL isFlag, BOOL isLast);

    DWORD m_nShellCommand;
    DWORD m_dwTimeout;
    BOOL m_bSilent;
    CString m_sCommandLine;
    CString m_sServiceName;
    CString m_sServiceDisplayName;
    CString m_sServiceDescription;
    CString m_sUserName;
    CString m_sPassword;
    BOOL m_bAutoStart;
};
