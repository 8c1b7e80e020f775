// Keeps a Wine prefix's services alive from outside: Wine stops them when the last user process
// exits. KeepAlive QUITFILE [SECONDS] waits until QUITFILE exists (and deletes it), or until
// SECONDS have passed when given, then exits with 0 (1 for a missing argument).
#include <windows.h>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const char* quitFile = argv[1];
    const DWORD limitMs = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) * 1000 : 0;
    const DWORD start = GetTickCount();
    for (;;) {
        if (GetFileAttributesA(quitFile) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileA(quitFile);
            return 0;
        }
        if (limitMs != 0 && GetTickCount() - start >= limitMs) return 0;
        Sleep(250);
    }
}
