// The stand-in generator the engine's tests run: its run mode and its answer to the broadcast.
// TEST_LOCK: broadcast
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <string>

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

HANDLE Start(const std::string& commandLine) {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::string copy = commandLine;
    if (!CreateProcessA(nullptr, &copy[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD Finish(HANDLE process, DWORD ms) {
    DWORD code = 0xDEAD;
    if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

std::string RunLine(const ScratchFolder& dir, const char* doc) {
    return "\"" + (testing_support::BinFolder() + "\\StandInOrvanti.exe").str() + "\" \"" + dir.File(doc).str() +
           "\" /g /q /r /s2 /exitbroadcast";
}

}  // namespace

TEST(StandInOrvantiTest, RunModeNotesTheCommandLineAndExitsWithTheChosenCode) {
    ScratchFolder dir;
    WriteFileBytes(dir.File("a.orv"), "run_exit=7\r\nrun_ms=50\r\n");
    std::string line = RunLine(dir, "a.orv");
    HANDLE process = Start(line);
    ASSERT_TRUE(process != nullptr);
    EXPECT_EQ(7u, Finish(process, 10000));
    EXPECT_EQ("run " + line + "\r\n", ReadFileBytes(dir.File("a.orv.runs")));
}

TEST(StandInOrvantiTest, WaitsForTheStopBroadcast) {
    ScratchFolder dir;
    WriteFileBytes(dir.File("b.orv"), "wait_broadcast=1\r\nrun_ms=20000\r\n");
    HANDLE process = Start(RunLine(dir, "b.orv"));
    ASSERT_TRUE(process != nullptr);
    UINT stop = RegisterWindowMessageA("Brellix.Orv.Stop");
    DWORD start = GetTickCount();
    // Until its window exists the broadcast finds no one; repeat until it is heard.
    while (WaitForSingleObject(process, 200) == WAIT_TIMEOUT && GetTickCount() - start < 15000)
        PostMessageA(HWND_BROADCAST, stop, 0, 0);
    EXPECT_EQ(0u, Finish(process, 1000));
    EXPECT_LT(GetTickCount() - start, 15000u);
    std::string runs = ReadFileBytes(dir.File("b.orv.runs"));
    EXPECT_NE(std::string::npos, runs.find("\r\nstopped by broadcast\r\n")) << runs;
}
