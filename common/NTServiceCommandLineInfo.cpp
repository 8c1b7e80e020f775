#include "common/NTServiceCommandLineInfo.h"
#include <cstdlib>

CNTServiceCommandLineInfo::CNTServiceCommandLineInfo()
    : m_nShellCommand(RunAsService), m_dwTimeout(5000), m_bSilent(FALSE), m_bAutoStart(FALSE) {}

CNTServiceCommandLineInfo::~CNTServiceCommandLineInfo() {
    m_sUserName.SecureEmpty();
    m_sPassword.SecureEmpty();
}

namespace {
// A prefix only counts when the word also carries at least one character of value.
bool TakePrefix(const CString& upper, const CString& word, const char* prefix, CString& value) {
    int length = static_cast<int>(strlen(prefix));
    if (upper.GetLength() <= length || upper.Left(length) != prefix) return false;
    value = word.Mid(length);
    return true;
}
}  // namespace

void CNTServiceCommandLineInfo::ParseParam(const char* param, BOOL isFlag, BOOL) {
    if (!isFlag || !param) return;
    CString word(param);

    struct Keyword {
        const char* text;
        int command;  // -1: not a command
    };
    static const Keyword keywords[] = {
        {"install", InstallService}, {"silent", -1},       {"start", StartTheService},
        {"pause", PauseTheService},  {"continue", ContinueTheService}, {"stop", StopTheService},
        {"auto", -1},                {"remove", UninstallService},    {"uninstall", UninstallService},
        {"debug", DebugService},     {"app", DebugService},           {"application", DebugService},
        {"console", DebugService},   {"help", ShowServiceHelp},       {"?", ShowServiceHelp},
    };
    for (const Keyword& k : keywords) {
        if (word.CompareNoCase(k.text) != 0) continue;
        if (k.command >= 0)
            m_nShellCommand = static_cast<DWORD>(k.command);
        else if (word.CompareNoCase("silent") == 0)
            m_bSilent = TRUE;
        else
            m_bAutoStart = TRUE;
        return;
    }

    CString upper(word);
    upper.MakeUpper();
    CString value;
    if (TakePrefix(upper, word, "T:", value))
        m_dwTimeout = static_cast<DWORD>(atoi(value));
    else if (TakePrefix(upper, word, "SCL:", value))
        m_sCommandLine = value;
    else if (TakePrefix(upper, word, "SD:", value))
        m_sServiceDescription = value;
    else if (TakePrefix(upper, word, "SN:", value))
        m_sServiceName = value;
    else if (TakePrefix(upper, word, "SDN:", value))
        m_sServiceDisplayName = value;
    else if (TakePrefix(upper, word, "P:", value))
        m_sPassword = value;
    else if (TakePrefix(upper, word, "U:", value))
        m_sUserName = value;
}
