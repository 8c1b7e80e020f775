// The system's open and save dialogs. Filters are written "Text|*.txt|All|*.*||".
#pragma once
#include "classlib/CWnd.h"
#include <commdlg.h>

class CFileDialog {
public:
    CFileDialog(BOOL openDialog, const char* defaultExtension = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK or IDCANCEL (also when the dialog could not be shown).
    INT_PTR DoModal();
    CString GetPathName() const { return CString(file_); }
    CString GetFileName() const;
    CString GetFileExt() const;

    OPENFILENAMEA m_ofn;

private:
    BOOL open_;
    CString extension_;
    std::string filter_;  // the filter with NULs in place of '|'
    char file_[MAX_PATH * 4];
    CWnd* parent_;
};
