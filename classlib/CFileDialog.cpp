#include "classlib/CFileDialog.h"
#include "classlib/CWinApp.h"
#include <algorithm>
#include <cstring>

CFileDialog::CFileDialog(BOOL openDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_ofn(), open_(openDialog), extension_(defaultExtension), parent_(parent) {
    file_[0] = '\0';
    if (fileName) lstrcpynA(file_, fileName, sizeof(file_));
    if (filter) {
        filter_ = filter;
        for (char& c : filter_) if (c == '|') c = '\0';
        filter_.push_back('\0');
    }
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = file_;
    m_ofn.nMaxFile = sizeof(file_);
    m_ofn.lpstrDefExt = extension_.IsEmpty() ? nullptr : extension_.GetString();
    m_ofn.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = parent_ ? parent_->m_hWnd : ::GetActiveWindow();
    m_ofn.hInstance = AfxGetResourceHandle();
    BOOL chosen = open_ ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetFileName() const {
    CString path(file_);
    int slash = path.FindOneOf("\\/") >= 0 ? std::max(path.ReverseFind('\\'), path.ReverseFind('/')) : -1;
    return path.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}
