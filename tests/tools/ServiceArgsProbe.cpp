// Test helper: stands in for the service program and reads its command line exactly as the
// service program does (the C runtime's argv, then the service's switch parser). It writes what
// it understood to the file "<its own path>.args", one value a line: the command number, the
// account, the password and the service name; then it exits with 0.
#include "common/NTService.h"
#include <cstdio>

int main() {
    CNTService service("OrvArgsProbe");
    CNTServiceCommandLineInfo info;
    service.ParseCommandLine(info);
    char self[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    FILE* out = std::fopen((CString(self) + ".args").GetString(), "wb");
    if (!out) return 3;
    std::fprintf(out, "%lu\n%s\n%s\n%s\n", static_cast<unsigned long>(info.m_nShellCommand), info.m_sUserName.GetString(),
                 info.m_sPassword.GetString(), info.m_sServiceName.GetString());
    std::fclose(out);
    return 0;
}
