// The service program's command line: parsing and carrying out the command.
#include "common/NTService.h"
#include "common/CommandLineWord.h"
#include "common/NTServiceRes.h"
#include <cstdlib>

void CNTService::ParseCommandLine(CNTServiceCommandLineInfo& info) {
    if (__argc > 1) ParseArguments(info, __argc - 1, __argv + 1);
}

void CNTService::ParseArguments(CNTServiceCommandLineInfo& info, int count, const char* const* words) {
    for (int i = 0; i < count; ++i) {
        const char* word = words[i];
        BOOL isFlag = word[0] == '-' || word[0] == '/';
        info.ParseParam(isFlag ? word + 1 : word, isFlag, i + 1 == count);
    }
}

namespace {
// Appends ` "<prefix><value>"`, quoted so that the program's own parsing gives the value back
// unchanged at every start.
void AppendQuotedWord(CString& commandLine, const char* prefix, const CString& value) {
    commandLine += " " + QuoteCommandLineWord(CString(prefix) + value);
}
}  // namespace

void CNTService::PrepareInstall(CNTServiceCommandLineInfo& info, const char* programPath) {
    m_sBinaryPath = programPath;
    if (m_sBinaryPath.Find(' ') >= 0) m_sBinaryPath = "\"" + m_sBinaryPath + "\"";
    if (m_bAllowNameChange && !info.m_sServiceName.IsEmpty())
        AppendQuotedWord(m_sBinaryPath, "/SN:", info.m_sServiceName);
    if (m_bAllowDisplayNameChange && !info.m_sServiceDisplayName.IsEmpty())
        AppendQuotedWord(m_sBinaryPath, "/SDN:", info.m_sServiceDisplayName);
    if (m_bAllowDescriptionChange && !info.m_sServiceDescription.IsEmpty())
        AppendQuotedWord(m_sBinaryPath, "/SD:", info.m_sServiceDescription);
    if (m_bAllowCommandLine && !info.m_sCommandLine.IsEmpty()) m_sBinaryPath += " " + info.m_sCommandLine;

    if (!info.m_sUserName.IsEmpty()) m_sUserName = info.m_sUserName;
    if (!info.m_sPassword.IsEmpty()) m_sPassword = info.m_sPassword;
    info.m_sUserName.SecureEmpty();
    info.m_sPassword.SecureEmpty();

    if (info.m_bAutoStart) m_dwStartType = SERVICE_AUTO_START;
}

DWORD CNTService::ProcessShellCommand(CNTServiceCommandLineInfo& info) {
    if (m_bAllowNameChange && !info.m_sServiceName.IsEmpty()) m_sServiceName = info.m_sServiceName;
    if (m_bAllowDisplayNameChange && !info.m_sServiceDisplayName.IsEmpty())
        SetDisplayName(info.m_sServiceDisplayName);
    if (m_bAllowDescriptionChange && !info.m_sServiceDescription.IsEmpty())
        m_sDescription = info.m_sServiceDescription;

    DWORD error = 0;
    CString text;
    // A step that reports success leaves no error behind: callers read any non-zero exit code
    // as failure.
    auto changeState = [&](DWORD target, UINT failureText) -> DWORD {
        if (SetServiceToStatus(target, error, info.m_dwTimeout, 250)) return 0;
        FormatErrorMessage(text, failureText, error, FALSE);
        return error;
    };

    DWORD result = 0;
    switch (info.m_nShellCommand) {
        case CNTServiceCommandLineInfo::RunAsService:
            // Nothing is shown: outside the service control manager this is the expected end.
            return RunAsService() ? 0 : GetLastError();
        case CNTServiceCommandLineInfo::StartTheService:
            result = changeState(TargetStart, IDS_NTSERV_FAIL_START);
            break;
        case CNTServiceCommandLineInfo::PauseTheService:
            result = changeState(TargetPause, IDS_NTSERV_FAIL_PAUSE);
            break;
        case CNTServiceCommandLineInfo::ContinueTheService:
            result = changeState(TargetContinue, IDS_NTSERV_FAIL_CONTINUE);
            break;
        case CNTServiceCommandLineInfo::StopTheService:
            result = changeState(TargetStop, IDS_NTSERV_FAIL_STOP);
            break;
        case CNTServiceCommandLineInfo::InstallService: {
            char path[MAX_PATH * 2] = "";
            GetModuleFileNameA(nullptr, path, sizeof(path));
            PrepareInstall(info, path);
            result = Install(text, error) ? 0 : error;
            break;
        }
        case CNTServiceCommandLineInfo::UninstallService:
            result = Uninstall(text, error, info.m_dwTimeout) ? 0 : error;
            break;
        case CNTServiceCommandLineInfo::DebugService:
            try {
                DebugRun();
            } catch (const CNTServiceTerminateException& e) {
                return e.m_dwWin32ExitCode;
            } catch (...) {
                return ERROR_EXCEPTION_IN_SERVICE;
            }
            return 0;
        case CNTServiceCommandLineInfo::ShowServiceHelp:
            ShowHelp();
            return 0;
        default:
            return 0;
    }
    if (result != 0 && !info.m_bSilent && !text.IsEmpty()) ShowFailure(text);
    return result;
}
