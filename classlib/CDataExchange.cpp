#include "classlib/CDataExchange.h"
#include "classlib/CWinApp.h"
#include "classlib/ExceptionBarrier.h"
#include <cerrno>
#include <climits>
#include <cstdlib>

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd && m_pDlgWnd->m_hWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, id) : nullptr;
    last_ = control;
    lastIsEdit_ = false;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    lastIsEdit_ = control != nullptr;
    return control;
}

void CDataExchange::Fail() {
    if (!m_bSaveAndValidate) throw CUserException();
    if (last_ && m_pDlgWnd && m_pDlgWnd->m_hWnd) {
        ::SendMessageA(m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(last_), TRUE);
        if (lastIsEdit_) ::SendMessageA(last_, EM_SETSEL, 0, -1);
    }
    throw CUserException();
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND item = dx->PrepareCtrl(id);
    if (!item || !control.SubclassWindow(item)) dx->Fail();
}

namespace {
CString TextOf(HWND control) {
    CString text;
    int length = GetWindowTextLengthA(control);
    GetWindowTextA(control, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}
}  // namespace

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND control = dx->PrepareEditCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate)
        value = TextOf(control);
    else
        SetWindowTextA(control, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareEditCtrl(id);
    if (!control) return;
    if (!dx->m_bSaveAndValidate) {
        CString text;
        text.Format("%d", value);
        SetWindowTextA(control, text);
        return;
    }
    CString text = TextOf(control);
    text.Trim();
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(text, &end, 10);
    if (text.IsEmpty() || *end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX) {
        AfxMessageBox("Please enter an integer.", MB_OK | MB_ICONEXCLAMATION);
        dx->Fail();
    }
    value = static_cast<int>(number);
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (HWND button = control; button; button = GetWindow(button, GW_HWNDNEXT)) {
        if (button != control && (GetWindowLongA(button, GWL_STYLE) & WS_GROUP)) break;
        if (!(SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
        if (dx->m_bSaveAndValidate) {
            if (value == -1 && SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}
