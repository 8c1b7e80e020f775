#include "controls/texteditor/EditDropTargetImpl.h"
#include "controls/texteditor/GlobalText.h"
#include "controls/texteditor/TextEditView.h"

BOOL CEditDropTargetImpl::Accepts() const { return m_pOwner->IsEditable() && !m_pOwner->IsDragDisabled(); }

DROPEFFECT CEditDropTargetImpl::OnDragEnter(CWnd*, COleDataObject* data, DWORD keyState, CPoint point) {
    if (!data->IsDataAvailable(CF_TEXT)) {
        m_pOwner->HideDropIndicator();
        return DROPEFFECT_NONE;
    }
    m_pOwner->ShowDropIndicator(point);
    return EffectOf(keyState);
}

DROPEFFECT CEditDropTargetImpl::OnDragOver(CWnd*, COleDataObject* data, DWORD keyState, CPoint point) {
    if (!data->IsDataAvailable(CF_TEXT) || !Accepts()) {
        m_pOwner->HideDropIndicator();
        return DROPEFFECT_NONE;
    }
    m_pOwner->ShowDropIndicator(point);
    return EffectOf(keyState);
}

void CEditDropTargetImpl::OnDragLeave(CWnd*) { m_pOwner->HideDropIndicator(); }

DROPEFFECT CEditDropTargetImpl::OnDragScroll(CWnd*, DWORD keyState, CPoint point) {
    return m_pOwner->DoDragScroll(point) ? EffectOf(keyState) : DROPEFFECT_NONE;
}

BOOL CEditDropTargetImpl::OnDrop(CWnd*, COleDataObject* data, DROPEFFECT, CPoint point) {
    m_pOwner->HideDropIndicator();
    if (!Accepts() || !data->IsDataAvailable(CF_TEXT)) return FALSE;
    HGLOBAL memory = data->GetGlobalData(CF_TEXT);
    if (!memory) return FALSE;
    CString text;
    const BOOL read = ReadGlobalText(memory, text);
    GlobalFree(memory);
    return read && m_pOwner->DropText(text, point);
}
