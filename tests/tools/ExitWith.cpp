// Test helper: ExitWith CODE [MILLISECONDS] sleeps the given time, then exits with CODE.
// ExitWith show exits with the show state its starter asked for (1000 when it asked for none).
#include <windows.h>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    if (std::strcmp(argv[1], "show") == 0) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        GetStartupInfoA(&startup);
        ExitProcess((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : 1000);
    }
    DWORD code = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    if (argc > 2) Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    ExitProcess(code);
}
