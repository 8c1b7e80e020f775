// The Replace dialog of the edit view: finds the text downwards in the whole text or in a block
// and replaces the occurrences one at a time or all at once, the block kept around them.
#pragma once
#include "classlib/CDialog.h"

class CTextEditView;

class CEditReplaceDlg : public CDialog {
public:
    explicit CEditReplaceDlg(CTextEditView* view);

    // What the opener sets before and reads after the dialog (Cancel keeps them too).
    CTextEditView* m_pBuddy;
    BOOL m_bFound;               // the last search found the text; cleared at every opening
    CPoint m_ptCurrentPos;       // the last match, or where the next search starts
    BOOL m_bEnableScopeSelection;
    CPoint m_ptStartPos;         // where a search starts when nothing was found before
    CPoint m_ptBlockBegin;       // the block, when replacing in the selection
    CPoint m_ptBlockEnd;
    BOOL m_bMatchCase;
    BOOL m_bWholeWord;
    CString m_sText;
    CString m_sNewText;
    int m_nScope;                // 0 the selection, 1 the whole text; -1 until the opener sets it

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnChangeText();
    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();
    DECLARE_MESSAGE_MAP()

    void UpdateFindButton();
    // Searches from the found position; selects a match, or reports the failure and goes back
    // to the start.
    void FindStep();
    // Replaces the match the view has selected; the block and the next search start follow.
    void ReplaceMatch();
    // The control values taken, and a text to find.
    BOOL TakeValues();
};
