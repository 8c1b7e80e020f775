// Entry of the service program: the command line decides whether the process serves the
// service control manager, runs the service in a console, or carries out one command.
#include "OrvService/OrvService.h"
#include "classlib/CWinApp.h"
#include "common/NTServiceCommandLineInfo.h"
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
CWinApp theApp;
}

int main() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    if (!AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0)) {
        std::printf("Fatal Error: MFC initialization failed\n");
        return 1;
    }
    DWORD result;
    {
        CNTServiceCommandLineInfo info;
        COrvService service;
        service.AllowCommandLine(TRUE);
        service.AllowNameChange(TRUE);
        service.AllowDescriptionChange(TRUE);
        service.AllowDisplayNameChange(TRUE);
        service.ParseCommandLine(info);
        result = service.ProcessShellCommand(info);
    }
    return static_cast<int>(result);
}
