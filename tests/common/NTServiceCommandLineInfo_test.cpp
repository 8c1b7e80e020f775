#include "common/NTService.h"
#include "support/FreedMemoryKeeper.h"
#include <gtest/gtest.h>
#include <shellapi.h>
#include <string>
#include <vector>

namespace {
CNTServiceCommandLineInfo Parse(std::vector<const char*> words) {
    CNTServiceCommandLineInfo info;
    CNTService::ParseArguments(info, static_cast<int>(words.size()), words.data());
    return info;
}

// Exposes what install preparation leaves in the service object.
class InstallTarget : public CNTService {
public:
    InstallTarget() : CNTService("OrvPrepSvc", "Prep Service") {}
    using CNTService::m_dwStartType;
    using CNTService::m_sPassword;
    using CNTService::m_sUserName;
};
}  // namespace

TEST(CommandLineTest, KeywordsSelectTheCommandIgnoringCaseAndEitherFlagCharacter) {
    struct Case {
        const char* word;
        DWORD command;
    } cases[] = {
        {"-install", 5}, {"/INSTALL", 5}, {"-start", 1},    {"/Pause", 2},   {"-continue", 3},
        {"-stop", 4},    {"-remove", 6},  {"/uninstall", 6}, {"-debug", 7},   {"/app", 7},
        {"-application", 7}, {"-CONSOLE", 7}, {"-help", 8}, {"/?", 8},
    };
    for (const Case& c : cases) EXPECT_EQ(c.command, Parse({c.word}).m_nShellCommand) << c.word;
}

TEST(CommandLineTest, WordsThatAreNotFlagsOrMatchNothingAreIgnored) {
    EXPECT_EQ(0u, Parse({"install"}).m_nShellCommand);
    EXPECT_EQ(0u, Parse({"-installer"}).m_nShellCommand);
    EXPECT_EQ(0u, Parse({"-"}).m_nShellCommand);
    // Only one leading flag character is taken off.
    EXPECT_EQ(0u, Parse({"--install"}).m_nShellCommand);
    EXPECT_EQ(0u, Parse({"-/stop"}).m_nShellCommand);
    CNTServiceCommandLineInfo info = Parse({"-start", "bogus", "-x:1"});
    EXPECT_EQ(1u, info.m_nShellCommand);
}

TEST(CommandLineTest, LaterWordWinsAndOptionsCombine) {
    EXPECT_EQ(4u, Parse({"-start", "-stop"}).m_nShellCommand);
    CNTServiceCommandLineInfo info = Parse({"-install", "/AUTO", "-silent"});
    EXPECT_EQ(5u, info.m_nShellCommand);
    EXPECT_TRUE(info.m_bAutoStart);
    EXPECT_TRUE(info.m_bSilent);
    EXPECT_EQ(CString("b"), Parse({"-SN:a", "-SN:b"}).m_sServiceName);
}

TEST(CommandLineTest, TimeOutPrefix) {
    EXPECT_EQ(5000u, CNTServiceCommandLineInfo().m_dwTimeout);
    EXPECT_EQ(20000u, Parse({"-T:20000"}).m_dwTimeout);
    EXPECT_EQ(0u, Parse({"-T:abc"}).m_dwTimeout);
    EXPECT_EQ(5000u, Parse({"-T:"}).m_dwTimeout);  // too short to carry a value
    EXPECT_EQ(0xFFFFFFFFu, Parse({"/t:-1"}).m_dwTimeout);
}

TEST(CommandLineTest, PrefixesIgnoreCaseButKeepTheValueAsTyped) {
    CNTServiceCommandLineInfo info =
        Parse({"-sn:MyService", "-SDN:Display Name", "-SD:Some Text", "/scl:-x Y", "-u:Dom\\User", "-P:PaSS"});
    EXPECT_EQ(CString("MyService"), info.m_sServiceName);
    EXPECT_EQ(CString("Display Name"), info.m_sServiceDisplayName);
    EXPECT_EQ(CString("Some Text"), info.m_sServiceDescription);
    EXPECT_EQ(CString("-x Y"), info.m_sCommandLine);
    EXPECT_EQ(CString("Dom\\User"), info.m_sUserName);
    EXPECT_EQ(CString("PaSS"), info.m_sPassword);
    EXPECT_EQ(0u, info.m_nShellCommand);
}

TEST(CommandLineTest, DisplayNameWordNeverSetsTheDescription) {
    CNTServiceCommandLineInfo info = Parse({"-SDN:X"});
    EXPECT_EQ(CString("X"), info.m_sServiceDisplayName);
    EXPECT_TRUE(info.m_sServiceDescription.IsEmpty());
    info = Parse({"-SD:X"});
    EXPECT_EQ(CString("X"), info.m_sServiceDescription);
    EXPECT_TRUE(info.m_sServiceDisplayName.IsEmpty());
}

TEST(CommandLineTest, PrefixesNeedAValueCharacter) {
    CNTServiceCommandLineInfo info = Parse({"-SN:", "-SD:", "-SDN:", "-SCL:", "-U:", "-P:"});
    EXPECT_TRUE(info.m_sServiceName.IsEmpty());
    EXPECT_TRUE(info.m_sServiceDescription.IsEmpty());
    EXPECT_TRUE(info.m_sServiceDisplayName.IsEmpty());
    EXPECT_TRUE(info.m_sCommandLine.IsEmpty());
    EXPECT_TRUE(info.m_sUserName.IsEmpty());
    EXPECT_TRUE(info.m_sPassword.IsEmpty());
    // A value may begin anywhere after the prefix, even with another prefix's text.
    EXPECT_EQ(CString("N:x"), Parse({"-SD:N:x"}).m_sServiceDescription);
}

TEST(InstallPreparationTest, PathWithoutBlankStaysBareAndWordsFollowInOrder) {
    InstallTarget service;
    service.AllowNameChange(TRUE);
    service.AllowDisplayNameChange(TRUE);
    service.AllowDescriptionChange(TRUE);
    service.AllowCommandLine(TRUE);
    CNTServiceCommandLineInfo info = Parse({"-install", "-SD:Desc", "-SN:Svc", "-SDN:Disp", "-SCL:-v 2"});
    service.PrepareInstall(info, "C:\\Apps\\svc.exe");
    EXPECT_EQ(CString("C:\\Apps\\svc.exe \"/SN:Svc\" \"/SDN:Disp\" \"/SD:Desc\" -v 2"), service.GetBinaryPath());
}

TEST(InstallPreparationTest, PathWithBlankIsQuoted) {
    InstallTarget service;
    service.AllowNameChange(TRUE);
    CNTServiceCommandLineInfo info = Parse({"-SN:Svc"});
    service.PrepareInstall(info, "C:\\Program Files\\Orv\\svc.exe");
    EXPECT_EQ(CString("\"C:\\Program Files\\Orv\\svc.exe\" \"/SN:Svc\""), service.GetBinaryPath());
}

TEST(InstallPreparationTest, WordsAreLeftOutUnlessTheirSwitchIsOn) {
    InstallTarget service;
    CNTServiceCommandLineInfo info = Parse({"-SD:Desc", "-SN:Svc", "-SDN:Disp", "-SCL:-v"});
    service.PrepareInstall(info, "C:\\svc.exe");
    EXPECT_EQ(CString("C:\\svc.exe"), service.GetBinaryPath());
}

TEST(InstallPreparationTest, StartTypeFollowsAutoOnly) {
    InstallTarget service;
    CNTServiceCommandLineInfo info = Parse({"-install"});
    service.PrepareInstall(info, "C:\\svc.exe");
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), service.m_dwStartType);
    info = Parse({"-install", "-auto"});
    service.PrepareInstall(info, "C:\\svc.exe");
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), service.m_dwStartType);
}

TEST(InstallPreparationTest, AccountAndPasswordMoveToTheServiceAndAreWipedFromTheCommandLine) {
    const std::string account = ".\\orvuser-with-a-name-longer-than-sso";
    const std::string password = "s3cret-password-longer-than-sso";
    CNTServiceCommandLineInfo info = Parse({"-install", ("-U:" + account).c_str(), ("-P:" + password).c_str()});
    const char* accountKept = info.m_sUserName.GetString();
    const char* passwordKept = info.m_sPassword.GetString();
    // What is given back from here on stays the test's to read: no later string can take it.
    testing_support::FreedMemoryKeeper freed;
    ASSERT_TRUE(freed.SecretLeftAt(passwordKept, password.size(), password));
    const char* accountMoved = nullptr;
    const char* passwordMoved = nullptr;
    {
        InstallTarget service;
        service.PrepareInstall(info, "C:\\svc.exe");
        EXPECT_EQ(CString(account.c_str()), service.m_sUserName);
        EXPECT_EQ(CString(password.c_str()), service.m_sPassword);
        EXPECT_TRUE(info.m_sUserName.IsEmpty());
        EXPECT_TRUE(info.m_sPassword.IsEmpty());
        EXPECT_FALSE(freed.SecretLeftAt(accountKept, account.size(), account));
        EXPECT_FALSE(freed.SecretLeftAt(passwordKept, password.size(), password));
        accountMoved = service.m_sUserName.GetString();
        passwordMoved = service.m_sPassword.GetString();
    }
    // A service that never installs wipes them as it goes.
    EXPECT_FALSE(freed.SecretLeftAt(accountMoved, account.size(), account));
    EXPECT_FALSE(freed.SecretLeftAt(passwordMoved, password.size(), password));
}

namespace {
// The words the service control manager's start of the program yields from its binary path.
std::vector<std::string> SplitAsTheProgramDoes(const CString& commandLine) {
    std::wstring wide(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength());
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> result;
    for (int i = 0; i < count; ++i) {
        std::wstring word(words[i]);
        result.push_back(std::string(word.begin(), word.end()));
    }
    LocalFree(words);
    return result;
}
}  // namespace

TEST(InstallPreparationTest, NamesWithQuotesOrTrailingBackslashesComeBackUnchangedAtEveryStart) {
    const char* const names[][3] = {
        {"Svc", "Orvanti Manager", "Plain text"},
        {"Svc\\", "Disp\\", "ends in a backslash\\"},
        {"a\\\\b", "say \"hi\"", "x\\\" \"/SN:Other"},
    };
    for (const auto& n : names) {
        InstallTarget service;
        service.AllowNameChange(TRUE);
        service.AllowDisplayNameChange(TRUE);
        service.AllowDescriptionChange(TRUE);
        CNTServiceCommandLineInfo info;
        info.m_sServiceName = n[0];
        info.m_sServiceDisplayName = n[1];
        info.m_sServiceDescription = n[2];
        service.PrepareInstall(info, "C:\\Program Files\\Orv\\svc.exe");

        std::vector<std::string> words = SplitAsTheProgramDoes(service.GetBinaryPath());
        ASSERT_EQ(4u, words.size()) << service.GetBinaryPath().GetString();
        EXPECT_EQ("C:\\Program Files\\Orv\\svc.exe", words[0]);
        std::vector<const char*> arguments;
        for (size_t i = 1; i < words.size(); ++i) arguments.push_back(words[i].c_str());
        CNTServiceCommandLineInfo again = Parse(arguments);
        EXPECT_EQ(CString(n[0]), again.m_sServiceName);
        EXPECT_EQ(CString(n[1]), again.m_sServiceDisplayName);
        EXPECT_EQ(CString(n[2]), again.m_sServiceDescription);
    }
}
