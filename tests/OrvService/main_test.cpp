// TEST_LOCK: scm
// Started without a switch, the program connects to the service control manager's pipe for the
// service start in progress, if any: under Wine a test that starts a service meanwhile would
// have this program taken for its service.
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// Runs the built service program with the words given; its output goes to the file.
DWORD RunServiceProgram(const char* words, const CString& outputPath) {
    return testing_support::RunProgram((testing_support::BinFolder() + "\\OrvService.exe").str(), words,
                                       outputPath.str())
        .exitCode;
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
