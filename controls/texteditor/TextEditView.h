// The text view made editable: typed characters, Enter with auto-indent, Delete, Backspace, Tab
// and Shift+Tab, paste, cut, undo, redo and replace become edits of the buffer; text is dropped
// into it by OLE drag and drop and its own selection moved or copied by dragging it. A read-only
// switch turns every edit off.
//
// Keys reach it as the view's commands (TextView.h); typed characters as WM_CHAR. Every editing
// path asks IsEditable first, which looks at the buffer's read-only flag, so a buffer attached
// read-only is never changed through the view.
#pragma once
#include "controls/texteditor/TextView.h"

class CEditDropTargetImpl;

class CTextEditView : public CTextView {
    DECLARE_DYNAMIC(CTextEditView)
public:
    // Action codes of the undo records (their descriptions are the buffer's).
    enum {
        ActionPaste = 1,
        ActionDeleteSelection = 2,
        ActionCut = 3,
        ActionTyping = 4,
        ActionBackspace = 5,
        ActionIndent = 6,
        ActionDragDrop = 7,
        ActionReplace = 8,
        ActionDelete = 9,
        ActionAutoIndent = 10,
    };

    CTextEditView();
    ~CTextEditView() override;

    // Also auto-indent on and overwrite mode off.
    void ResetView() override;
    // Copy, and move when the view is editable.
    DWORD GetDragEffects() override;
    // A move out of an editable view deletes the dragged text.
    void OnDragFinished(DWORD effect) override;
    void UpdateView(TextBufferView* source, CUpdateContext* context, DWORD flags, int line) override;
    // Auto-indent after a typed line break.
    void OnTextEdited(int action, const char* text) override;
    // A buffer is attached and it is not read-only.
    BOOL IsEditable() override;

    // The view's flag, copied into the buffer attached now (and by the control into each later one).
    void SetReadOnly(BOOL readOnly);
    BOOL IsReadOnly() const { return m_bReadOnly; }
    BOOL GetOverwriteMode() const { return m_bOvrMode; }
    void SetDisableBackspaceAtStartOfLine(BOOL disable) { m_bDisableBSAtSOL = disable; }

    // Replaces a non-empty selection by the text, which becomes the selection with the cursor at
    // its end; FALSE without a selection.
    BOOL ReplaceSelection(const char* text);
    // Deletes a non-empty selection, the cursor where it began; FALSE without one.
    BOOL DeleteCurrentSelection();

    // The drop side of drag and drop, as the drop target calls it.
    // The grey caret at the text position under the client point, in place of the cursor.
    void ShowDropIndicator(CPoint point);
    void HideDropIndicator();
    // Scrolls a line or a column when the point is near an edge; TRUE when it did.
    BOOL DoDragScroll(CPoint point);
    // Inserts dropped text at the text position under the client point and selects it; FALSE
    // when the view refuses (not editable, or this view's own selection dropped onto itself).
    BOOL DropText(const char* text, CPoint point);

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnEditPaste();
    void OnUpdateEditPaste(CCmdUI* ui);
    void OnEditCut();
    void OnUpdateEditCut(CCmdUI* ui);
    void OnEditReplace();
    void OnEditUndo();
    void OnUpdateEditUndo(CCmdUI* ui);
    void OnEditRedo();
    void OnUpdateEditRedo(CCmdUI* ui);
    void OnEditDelete();
    void OnEditDeleteBack();
    void OnEditTab();
    void OnEditUntab();
    void OnEditSwitchOvrmode();
    void OnUpdateEditSwitchOvrmode(CCmdUI* ui);
    void OnUpdateIndicatorOvr(CCmdUI* ui);
    void OnUpdateIndicatorRead(CCmdUI* ui);
    void OnUpdateIndicatorDisabled(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()

    // The anchor, an empty selection and the cursor at the position, scrolled into view.
    void MoveTo(CPoint position);
    // Deletes the selection with the action, the cursor at its start; FALSE when there is none.
    BOOL DeleteSelection(int action);
    // Inserts at the cursor with the action and moves to the end of the insertion.
    void InsertAtCursor(const char* text, int action);
    // The lines a Tab or Shift+Tab on a selection over several lines works on; FALSE when the
    // selection does not span lines.
    BOOL GetIndentLines(int& first, int& last);
    // The selection over whole lines first..last, the cursor at its end.
    void SelectWholeLines(int first, int last);
    // Runs the edit on each line first..last in one undo group, the horizontal scroll bar
    // updated once at the end, then selects the lines whole.
    void EditLines(int first, int last, void (CTextEditView::*edit)(int line));
    void IndentLine(int line);    // a tab at its start
    void UnindentLine(int line);  // one level of its indentation gone
    // The range becomes the selection, the anchor at `anchor`, the cursor at its end, in view.
    void SelectInserted(CPoint start, CPoint end, CPoint anchor);
    // The undo or redo menu text: with the description, or the plain one.
    CString MenuText(UINT formatId, UINT plainId, BOOL possible, const CString& description);

    BOOL m_bOvrMode;
    BOOL m_bDropPosVisible;
    CPoint m_ptSavedCaretPos;
    CPoint m_ptDropPos;
    BOOL m_bSelectionPushed;
    CPoint m_ptSavedSelStart;
    CPoint m_ptSavedSelEnd;
    BOOL m_bAutoIndent;
    BOOL m_bDisableBSAtSOL;
    CEditDropTargetImpl* m_pDropTarget;  // owned; null when registering failed
    BOOL m_bReadOnly;

private:
    // While set, the horizontal scroll bar waits for the end of a run of edits (Tab on lines).
    bool holdHorzUpdate_;
    bool horzUpdatePending_;
};
