// The Find dialog of the text view: the text, match case, whole word and the direction; Find
// Next searches the view from the current position round the text and closes on a hit.
#pragma once
#include "classlib/CDialog.h"

class CTextView;

class CFindTextDlg : public CDialog {
public:
    explicit CFindTextDlg(CTextView* view);

    // What the opener sets before and reads after the dialog (Cancel keeps them too).
    CTextView* m_pBuddy;
    CPoint m_ptCurrentPos;  // where the search starts; (0, 0) after a failed search
    int m_nDirection;       // 0 up, 1 down
    BOOL m_bMatchCase;
    CString m_sText;
    BOOL m_bWholeWord;

    // FIND_MATCH_CASE, FIND_WHOLE_WORD and FIND_DIRECTION_UP of the members.
    DWORD GetSearchFlags() const;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;  // Find Next
    void OnCancel() override;
    void OnChangeText();
    void UpdateFindButton();
    DECLARE_MESSAGE_MAP()
};
