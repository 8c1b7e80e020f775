// Test helper: ExitWith CODE [MILLISECONDS] sleeps the given time, then exits with CODE.
#include <windows.h>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    DWORD code = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    if (argc > 2) Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    ExitProcess(code);
}
