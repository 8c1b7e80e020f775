// The helper that gives a script the whole Windows exit code of a program it runs.
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <string>

using testing_support::BinFolder;
using testing_support::RunProgram;
using testing_support::RunResult;
using testing_support::ScratchFolder;

TEST(ExitCodeOfTest, PrintsTheWholeExitCodeAfterTheProgramsOutput) {
    ScratchFolder scratch;
    // Both programs lie in folders whose names hold blanks, as the installed service does.
    const std::string helperFolder = std::string(scratch.File("exit code of"));
    const std::string programFolder = std::string(scratch.File("some program"));
    ASSERT_TRUE(CreateDirectoryA(helperFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(programFolder.c_str(), nullptr));
    const std::string helper = helperFolder + "\\ExitCodeOf.exe";
    const std::string exitWith = programFolder + "\\ExitWith.exe";
    ASSERT_TRUE(CopyFileA((BinFolder() + "\\ExitCodeOf.exe").GetString(), helper.c_str(), FALSE)) << GetLastError();
    ASSERT_TRUE(CopyFileA((BinFolder() + "\\ExitWith.exe").GetString(), exitWith.c_str(), FALSE)) << GetLastError();
    const std::string output = std::string(scratch.File("output.txt"));

    struct Case {
        std::string arguments;
        DWORD exitCode;
        std::string output;
    };
    const Case cases[] = {
        // Codes a Unix shell would cut to 49 and 0.
        {"\"" + exitWith + "\" 1073", 0, "exit code 1073\r\n"},
        {"\"" + exitWith + "\" 3000000000", 0, "exit code 3000000000\r\n"},
        // The arguments pass on untouched, quotes included, and the program's output comes first.
        {"cmd.exe /c \"echo one two& exit 7\"", 0, "one two\r\nexit code 7\r\n"},
        {"\"" + programFolder + "\\missing.exe\" 1", 1, "cannot start \"" + programFolder + "\\missing.exe\" 1: error 2\r\n"},
        {"", 1, "usage: ExitCodeOf PROGRAM [ARGUMENTS...]\r\n"},
    };
    for (const Case& c : cases) {
        RunResult result = RunProgram(helper, c.arguments, output);
        EXPECT_EQ(c.exitCode, result.exitCode) << c.arguments << ": " << result.output;
        EXPECT_EQ(c.output, result.output) << c.arguments;
    }
}
