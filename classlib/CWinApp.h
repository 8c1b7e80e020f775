// Application object and module globals for a program without a main window.
#pragma once
#include "classlib/CString.h"

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    const char* m_pszAppName;
    HINSTANCE m_hInstance;
    const char* m_lpCmdLine;
    int m_nCmdShow;
};

// Initialises the class library for the module; false when the module handle is missing.
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// Replaces "%1" (and "%2") in the string resource id by the given texts.
void AfxFormatString1(CString& out, UINT id, const char* text1);
void AfxFormatString2(CString& out, UINT id, const char* text1, const char* text2);
// The same on a text instead of a resource.
CString AfxFormatText(const char* pattern, const char* text1, const char* text2 = nullptr);
