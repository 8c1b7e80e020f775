// Stand-in for the generator Orvanti.exe, driven by the "Orv document" it is given: a text file
// of key=value lines.
//   "<exe>" "<doc>" "/f<list>"                  sleeps query_ms, waits (20 s at most) until the
//                                              file query_wait_for names exists, writes each
//                                              folder=<path> to the list file (unless
//                                              query_no_list=1), notes "query done" after a
//                                              sleep, exits with query_exit
//   "<exe>" "<doc>" /g /q /r /sN /exitbroadcast  notes the run in <doc>.runs, then either waits
//                                              for the "Brellix.Orv.Stop" broadcast
//                                              (wait_broadcast=1) or sleeps run_ms, exits with
//                                              run_exit
// Both modes append one line with the whole command line to <doc>.runs.
#include <windows.h>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Document {
    std::map<std::string, std::string> values;
    std::vector<std::string> folders;

    int Int(const char* key, int fallback) const {
        auto it = values.find(key);
        return it == values.end() ? fallback : std::atoi(it->second.c_str());
    }
};

Document ReadDocument(const std::string& path) {
    Document doc;
    std::ifstream in(path.c_str());
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        if (key == "folder")
            doc.folders.push_back(value);
        else
            doc.values[key] = value;
    }
    return doc;
}

void AppendLine(const std::string& path, const std::string& line) {
    std::ofstream out(path.c_str(), std::ios::app | std::ios::binary);
    out << line << "\r\n";
}

UINT g_stopMessage = 0;
bool g_stopped = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_stopMessage != 0 && message == g_stopMessage) {
        g_stopped = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A real hidden top-level window: broadcasts do not reach message-only windows.
bool WaitForBroadcast(int runMs) {
    g_stopMessage = RegisterWindowMessageA("Brellix.Orv.Stop");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "StandInOrvantiWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Orvanti stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (!window) return false;
    DWORD start = GetTickCount();
    while (!g_stopped) {
        DWORD wait = INFINITE;
        if (runMs > 0) {
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= static_cast<DWORD>(runMs)) break;
            wait = static_cast<DWORD>(runMs) - elapsed;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DestroyWindow(window);
    return g_stopped;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string docPath = argv[1];
    std::string mode = argv[2];
    Document doc = ReadDocument(docPath);
    std::string runs = docPath + ".runs";

    if (mode.compare(0, 2, "/f") == 0) {
        AppendLine(runs, std::string("query ") + GetCommandLineA());
        int queryMs = doc.Int("query_ms", 0);
        if (queryMs > 0) Sleep(static_cast<DWORD>(queryMs));
        const std::string waitFor = doc.values["query_wait_for"];
        for (int i = 0; i < 400 && !waitFor.empty(); ++i) {
            if (GetFileAttributesA(waitFor.c_str()) != INVALID_FILE_ATTRIBUTES) break;
            Sleep(50);
        }
        if (doc.Int("query_no_list", 0) != 1) {
            std::ofstream list(mode.substr(2).c_str(), std::ios::binary | std::ios::trunc);
            for (const std::string& folder : doc.folders) list << folder << "\r\n";
        }
        if (queryMs > 0) AppendLine(runs, "query done");
        return doc.Int("query_exit", 0);
    }

    AppendLine(runs, std::string("run ") + GetCommandLineA());
    int runMs = doc.Int("run_ms", 0);
    if (doc.Int("wait_broadcast", 0) == 1) {
        if (WaitForBroadcast(runMs)) AppendLine(runs, "stopped by broadcast");
    } else if (runMs > 0) {
        Sleep(static_cast<DWORD>(runMs));
    }
    return doc.Int("run_exit", 0);
}
