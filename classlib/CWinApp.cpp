#include "classlib/CWinApp.h"
#include "classlib/CRegKey.h"
#include "classlib/CWnd.h"
#include "classlib/ExceptionBarrier.h"

namespace {
CWinApp* g_app = nullptr;
HINSTANCE g_instance = nullptr;
HINSTANCE g_resources = nullptr;

int CallDefaultMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return MessageBoxA(owner, text, caption, type);
}
AfxMessageBoxFunction g_messageBox = CallDefaultMessageBox;
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName)
    : m_pszAppName(nullptr), m_pszRegistryKey(nullptr), m_pszProfileName(nullptr), m_hInstance(nullptr),
      m_lpCmdLine(""), m_nCmdShow(SW_SHOWNORMAL), m_pMainWnd(nullptr), appName_(appName) {
    if (appName) m_pszAppName = m_pszProfileName = appName_;
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

void CWinApp::TakeProgramName() {
    if (m_pszAppName) return;
    char path[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    CString name(path);
    name = name.Mid(name.ReverseFind('\\') + 1);
    int dot = name.ReverseFind('.');
    if (dot > 0) name = name.Left(dot);
    appName_ = name;
    m_pszAppName = m_pszProfileName = appName_;
}

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    if (!instance) return FALSE;
    g_instance = instance;
    if (!g_resources) g_resources = instance;
    if (g_app) {
        g_app->m_hInstance = instance;
        g_app->m_lpCmdLine = commandLine ? commandLine : "";
        g_app->m_nCmdShow = showCommand;
        g_app->TakeProgramName();
    }
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) AfxDeleteTempMaps();
    }
    return ExitInstance();
}

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(instance, previous, commandLine, showCommand)) return -1;
    try {
        if (!app->InitInstance()) return app->ExitInstance();
        return app->Run();
    } catch (...) {
        AfxReportException(std::current_exception());
        return -1;
    }
}

// The entry of every GUI program that has a CWinApp object (a console program's main wins).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return AfxWinMain(instance, previous, commandLine, showCommand);
}

CWinApp* AfxGetApp() { return g_app; }

const char* AfxGetAppName() {
    if (!g_app) return "";
    if (!g_app->m_pszAppName) g_app->TakeProgramName();
    return g_app->m_pszAppName ? g_app->m_pszAppName : "";
}

HINSTANCE AfxGetInstanceHandle() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }

HINSTANCE AfxGetResourceHandle() { return g_resources ? g_resources : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE module) { g_resources = module; }

void AfxEnableControlContainer() {}

// ---- Profile -----------------------------------------------------------------------------------

void CWinApp::SetRegistryKey(const char* key) {
    registryKey_ = key;
    m_pszRegistryKey = registryKey_.IsEmpty() ? nullptr : registryKey_.GetString();
    if (!m_pszProfileName) AfxGetAppName();
}

namespace {
// Opens (and with create, makes) Software\<key>\<app>\<section> under HKEY_CURRENT_USER.
LONG OpenSection(const CWinApp& app, const char* section, bool create, CRegKey& key) {
    if (!app.m_pszRegistryKey || !app.m_pszProfileName || !section) return ERROR_INVALID_PARAMETER;
    CString path;
    path.Format("Software\\%s\\%s\\%s", app.m_pszRegistryKey, app.m_pszProfileName, section);
    return create ? key.Create(HKEY_CURRENT_USER, path) : key.Open(HKEY_CURRENT_USER, path, KEY_READ);
}
}  // namespace

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) {
    CRegKey key;
    DWORD value = 0;
    if (OpenSection(*this, section, false, key) != ERROR_SUCCESS || key.QueryDWORDValue(entry, value) != ERROR_SUCCESS)
        return static_cast<UINT>(defaultValue);
    return value;
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) {
    CRegKey key;
    CString value;
    if (OpenSection(*this, section, false, key) != ERROR_SUCCESS || key.QueryStringValue(entry, value) != ERROR_SUCCESS)
        return CString(defaultValue);
    return value;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
    CRegKey key;
    return OpenSection(*this, section, true, key) == ERROR_SUCCESS &&
           key.SetDWORDValue(entry, static_cast<DWORD>(value)) == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    CRegKey key;
    if (OpenSection(*this, section, true, key) != ERROR_SUCCESS) return FALSE;
    // A null value removes the entry.
    if (!value) return key.DeleteValue(entry) == ERROR_SUCCESS;
    return key.SetStringValue(entry, value) == ERROR_SUCCESS;
}

// ---- Resources, help ---------------------------------------------------------------------------

HICON CWinApp::LoadIcon(UINT id) const { return LoadIcon(MAKEINTRESOURCEA(id)); }
HICON CWinApp::LoadIcon(const char* name) const { return ::LoadIconA(AfxGetResourceHandle(), name); }
HCURSOR CWinApp::LoadCursor(UINT id) const { return LoadCursor(MAKEINTRESOURCEA(id)); }
HCURSOR CWinApp::LoadCursor(const char* name) const { return ::LoadCursorA(AfxGetResourceHandle(), name); }
HICON CWinApp::LoadStandardIcon(const char* name) const { return ::LoadIconA(nullptr, name); }
HCURSOR CWinApp::LoadStandardCursor(const char* name) const { return ::LoadCursorA(nullptr, name); }

void CWinApp::OnHelp() {
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd) return;
    HELPINFO info = {};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = m_pMainWnd->m_hWnd;
    info.iCtrlId = m_pMainWnd->GetDlgCtrlID();
    GetCursorPos(&info.MousePos);
    m_pMainWnd->SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

// ---- Message boxes -----------------------------------------------------------------------------

AfxMessageBoxFunction AfxSetMessageBoxFunction(AfxMessageBoxFunction function) {
    AfxMessageBoxFunction previous = g_messageBox;
    g_messageBox = function ? function : CallDefaultMessageBox;
    return previous;
}

int AfxShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return g_messageBox(owner, text ? text : "", caption ? caption : AfxGetAppName(), type);
}

int AfxMessageBox(const char* text, UINT type, UINT) {
    return AfxShowMessageBox(::GetActiveWindow(), text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT) {
    CString text;
    text.LoadString(stringId);
    return AfxMessageBox(text, type);
}

// ---- Formatting --------------------------------------------------------------------------------

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
