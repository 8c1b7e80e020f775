// A minimal service on the framework, so that tests drive the framework through a real service
// control manager. Its command line is the framework's own; it runs until stopped, and reports
// paused and running as it is paused and continued.
#include "classlib/CWinApp.h"
#include "common/NTService.h"

namespace {
class FrameworkTestService : public CNTService {
public:
    FrameworkTestService()
        : CNTService("OrvFrameworkTestSvc", "Orv Framework Test Service",
                     SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN,
                     "Exercises the service framework in tests.") {
        stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~FrameworkTestService() override { CloseHandle(stopEvent_); }

    void ServiceMain(DWORD, LPSTR*) override {
        ReportStatus(SERVICE_START_PENDING, 1, 2000);
        ReportStatus(SERVICE_RUNNING);
        WaitForSingleObject(stopEvent_, INFINITE);
        ReportStatus(SERVICE_STOP_PENDING, 1, 2000);
    }
    void OnStop() override { SetEvent(stopEvent_); }
    void OnShutdown() override { SetEvent(stopEvent_); }
    // The control handler reports the current state again after each reaction.
    void OnPause() override { ReportStatus(SERVICE_PAUSED); }
    void OnContinue() override { ReportStatus(SERVICE_RUNNING); }

private:
    HANDLE stopEvent_;
};
}  // namespace

int main() {
    if (!AfxWinInit(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0)) return 1;
    CNTServiceCommandLineInfo info;
    FrameworkTestService service;
    service.AllowCommandLine(TRUE);
    service.AllowNameChange(TRUE);
    service.AllowDescriptionChange(TRUE);
    service.AllowDisplayNameChange(TRUE);
    service.ParseCommandLine(info);
    return static_cast<int>(service.ProcessShellCommand(info));
}
