// Data exchange between a dialog's controls and its members (DoDataExchange, UpdateData).
#pragma once
#include "classlib/CWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    // The control with the id, remembered as the one Fail puts the focus on; null when missing.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Ends the exchange as failed: the focus goes to the last prepared control (an edit gets its
    // text selected) and UpdateData answers FALSE. Throws CUserException.
    [[noreturn]] void Fail();

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls

private:
    HWND last_ = nullptr;
    bool lastIsEdit_ = false;
};

// Binds (subclasses) the control once; does nothing when it is bound already.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
// A text that is not a whole number: a message box, then Fail.
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, int& value);  // BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
// The radio buttons from `id` up to (not including) the next control with WS_GROUP: the index of
// the checked one, -1 when none is.
void DDX_Radio(CDataExchange* dx, int id, int& value);
