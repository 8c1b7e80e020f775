#include "OrvServiceManager/FailureMessage.h"
#include "classlib/CWinApp.h"
#include "common/Exception.h"

void ShowCaughtFailure(const char* format, const char* unknown) {
    try {
        throw;
    } catch (const Exception& e) {
        CString text;
        text.Format(format, e.GetFullMessage());
        AfxMessageBox(text, MB_OK, 0);
    } catch (...) {
        AfxMessageBox(unknown, MB_OK, 0);
    }
}
