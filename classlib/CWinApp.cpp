#include "classlib/CWinApp.h"

namespace {
CWinApp* g_app = nullptr;
HINSTANCE g_instance = nullptr;
HINSTANCE g_resources = nullptr;
}  // namespace

CWinApp::CWinApp(const char* appName)
    : m_pszAppName(appName), m_hInstance(nullptr), m_lpCmdLine(""), m_nCmdShow(SW_SHOWNORMAL) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    if (!instance) return FALSE;
    g_instance = instance;
    if (!g_resources) g_resources = instance;
    if (g_app) {
        g_app->m_hInstance = instance;
        g_app->m_lpCmdLine = commandLine ? commandLine : "";
        g_app->m_nCmdShow = showCommand;
    }
    return TRUE;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }

HINSTANCE AfxGetResourceHandle() { return g_resources ? g_resources : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE module) { g_resources = module; }

CString AfxFormatText(const char* pattern, const char* text1, const char* text2) {
    CString out;
    if (!pattern) return out;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            const char* text = p[1] == '1' ? text1 : text2;
            if (text) {
                out += text;
            } else {
                out += p[0];
                out += p[1];
            }
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

void AfxFormatString1(CString& out, UINT id, const char* text1) {
    CString pattern;
    pattern.LoadString(id);
    out = AfxFormatText(pattern, text1);
}

void AfxFormatString2(CString& out, UINT id, const char* text1, const char* text2) {
    CString pattern;
    pattern.LoadString(id);
    out = AfxFormatText(pattern, text1, text2);
}
