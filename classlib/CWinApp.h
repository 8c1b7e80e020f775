// The application object: module globals, the program entry for a dialog program (WinMain runs
// InitInstance; a FALSE answer ends the program), the registry profile and the message box.
#pragma once
#include "classlib/CCmdTarget.h"
#include "classlib/CString.h"

class CWnd;

class CWinApp : public CCmdTarget {
public:
    // Without a name, the program file's name without its extension is the application's name.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // The message loop of a program whose InitInstance answered TRUE: runs until WM_QUIT, then
    // ExitInstance.
    virtual int Run();

    // The profile lies under HKEY_CURRENT_USER\Software\<key>\<application name>; a section with
    // backslashes is a path of nested keys. Without a registry key nothing is read or stored.
    void SetRegistryKey(const char* key);
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);

    // Shared resources of the resource module: never destroyed by the caller.
    HICON LoadIcon(UINT id) const;
    HICON LoadIcon(const char* name) const;
    HCURSOR LoadCursor(UINT id) const;
    HCURSOR LoadCursor(const char* name) const;
    HICON LoadStandardIcon(const char* name) const;
    HCURSOR LoadStandardCursor(const char* name) const;

    // The default help command: asks the main window for help (WM_HELP).
    void OnHelp();

    const char* m_pszAppName;
    const char* m_pszRegistryKey;  // null until SetRegistryKey
    const char* m_pszProfileName;  // the application's name
    HINSTANCE m_hInstance;
    const char* m_lpCmdLine;
    int m_nCmdShow;
    CWnd* m_pMainWnd;

protected:
    DECLARE_MESSAGE_MAP()

private:
    friend BOOL AfxWinInit(HINSTANCE, HINSTANCE, LPSTR, int);
    friend const char* AfxGetAppName();
    void TakeProgramName();
    CString appName_;
    CString registryKey_;
};

// Initialises the class library for the module; false when the module handle is missing.
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
// The program entry of a program with a CWinApp object; WinMain (in this library) calls it.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
CWinApp* AfxGetApp();
const char* AfxGetAppName();  // "" without an application object
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
// ActiveX controls are not hosted; kept so that the programs' start-up reads as designed.
void AfxEnableControlContainer();

// Every message box of the library goes through one function, which tests replace to record and
// answer boxes instead of blocking. The default shows MessageBoxA.
typedef int (*AfxMessageBoxFunction)(HWND owner, const char* text, const char* caption, UINT type);
AfxMessageBoxFunction AfxSetMessageBoxFunction(AfxMessageBoxFunction function);  // null: the default
int AfxShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);
// Caption: the application's name; owner: the active window.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = (UINT)-1);

// Replaces "%1" (and "%2") in the string resource id by the given texts.
void AfxFormatString1(CString& out, UINT id, const char* text1);
void AfxFormatString2(CString& out, UINT id, const char* text1, const char* text2);
// The same on a text instead of a resource.
CString AfxFormatText(const char* pattern, const char* text1, const char* text2 = nullptr);
