// The manager program's application object: checks the system, then runs the main dialog
// modally; the program ends when the dialog closes.
#pragma once
#include "classlib/CWinApp.h"

class COrvServiceManagerApp : public CWinApp {
public:
    COrvServiceManagerApp();
    // The whole life of the program; always FALSE, so that no message loop follows.
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};

// TRUE on a system of the Windows NT family; throws Exception "Unable to retrieve system
// version." when the version cannot be read.
BOOL IsWindowsNT();

// Tests: the version query to call instead of GetVersionExA (null: GetVersionExA again).
typedef BOOL(WINAPI* VersionQuery)(LPOSVERSIONINFOA info);
void SetVersionQueryForTesting(VersionQuery query);
