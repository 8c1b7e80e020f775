// TEST_LOCK: scm
// Started without a switch, the program connects to the service control manager's pipe for the
// service start in progress, if any: under Wine a test that starts a service meanwhile would
// have this program taken for its service.
#include "classlib/HandleOwner.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// Runs the built service program with the words given and its standard output going to a file;
// gives the exit code as Windows sees it.
DWORD RunServiceProgram(const char* words, const CString& outputPath) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) return GetLastError();
    ScopedHandle outputOwner(output);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    CString line = "\"" + testing_support::BinFolder() + "\\OrvService.exe\" " + words;
    std::string buffer = line.str();
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &buffer[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return GetLastError();
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0) return WAIT_TIMEOUT;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

}  // namespace

TEST(ServiceProgramTest, HelpNamesEverySwitch) {
    testing_support::ScratchFolder scratch;
    CString output = scratch.File("help.txt");
    for (const char* word : {"-help", "/?"}) {
        ASSERT_EQ(0u, RunServiceProgram(word, output)) << word;
        std::string text = testing_support::ReadFileBytes(output);
        const char* switches[] = {"-install", "-uninstall", "-remove", "-start", "-pause", "-continue", "-stop",
                                  "-debug", "-app", "-application", "-console", "-help", "-?", "-auto", "-U:",
                                  "-P:", "-SN:", "-SDN:", "-SD:", "-SCL:", "-T:", "-silent"};
        for (const char* name : switches) EXPECT_NE(std::string::npos, text.find(name)) << word << ": " << name;
    }
}

TEST(ServiceProgramTest, WithoutASwitchOutsideTheServiceManagerGivesTheDispatcherError) {
    testing_support::ScratchFolder scratch;
    CString output = scratch.File("out.txt");
    EXPECT_EQ(static_cast<DWORD>(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT), RunServiceProgram("", output));
    EXPECT_EQ("", testing_support::ReadFileBytes(output));
}
