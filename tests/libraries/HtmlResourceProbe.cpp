// A resource library for the HTML drawer's loader tests. Its entry code leaves a marker in the
// process's environment, so a test can tell whether loading the library ran any of its code.
#include "HtmlResourceProbe.h"
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableA(PROBE_ENTRY_MARKER, "1");
    return TRUE;
}
