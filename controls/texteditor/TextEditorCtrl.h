// The text editor as a child control that a dialog places over a placeholder: an edit view that
// owns its buffer, replaces the buffer whenever its whole text is set, reports mouse clicks to an
// optional callback, and treats words in braces as hot words in log colouring.
//
// Use: construct, Create(nullptr, "Editor", WS_CHILD | WS_VISIBLE, rect, parent, id) with the
// placeholder's rectangle in the parent's client coordinates, SetReadOnly and SetMarginVisible
// as wanted, SetText for the first text, then AppendText and ScrollIntoView (TextView.h). Without
// a window it still holds and gives back its text.
#pragma once
#include "controls/texteditor/TextEditView.h"

class CTextEditorCtrl : public CTextEditView {
    DECLARE_DYNAMIC(CTextEditorCtrl)
public:
    // Mouse report codes.
    enum { MouseLeftDown = 0, MouseRightDown = 1, MouseLeftDoubleClick = 2, MouseLeftUp = 3 };
    // The code, the word under the mouse ("" when none), the cursor's char offset (-1 without a
    // buffer) and the user value given with the callback.
    typedef void (*MouseCallback)(int code, const char* word, int charOffset, DWORD userValue);

    CTextEditorCtrl();
    // Releases and deletes the buffer it owns, detached first.
    ~CTextEditorCtrl() override;

    // With selectOnly the text is ignored and everything is selected. Otherwise the buffer is
    // replaced by a new one holding the text (its line-end style taken from the text), read-only
    // when the control is; the old text, its undo records and modified flag are gone.
    void SetText(const char* text, BOOL selectOnly = FALSE);
    // The whole text with the buffer's line ends; the string is left as it was without a buffer.
    void GetText(CString& text);
    using CTextView::GetText;
    // A null callback turns the reports off.
    void SetMouseCallback(MouseCallback callback, DWORD userValue);
    // With log colouring, a word in braces of at least "{}" under the client point.
    BOOL IsHotWordAt(CPoint point) override;

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

    // Calls the callback, when there is one, for the point.
    void Report(int code, CPoint point);
    // Detaches, releases and deletes the owned buffer.
    void FreeBuffer();

    CTextBuffer* m_pOwnBuffer;
    MouseCallback m_pfnMouseCallback;
    DWORD m_dwUserValue;
};
