// The edit view's OLE drop target: text offered as CF_TEXT is shown with the view's drop
// indicator while it moves over the view and inserted where it is dropped.
#pragma once
#include "classlib/COleDropTarget.h"

class CTextEditView;

class CEditDropTargetImpl : public COleDropTarget {
public:
    explicit CEditDropTargetImpl(CTextEditView* view) : m_pOwner(view) {}

    DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) override;
    BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point) override;
    void OnDragLeave(CWnd* wnd) override;
    DROPEFFECT OnDragScroll(CWnd* wnd, DWORD keyState, CPoint point) override;

private:
    // A copy with Ctrl held, else a move.
    static DROPEFFECT EffectOf(DWORD keyState) { return keyState & MK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE; }
    // The view takes the drop: editable and dragging allowed.
    BOOL Accepts() const;

    CTextEditView* m_pOwner;
};
