#include "classlib/CCmdTarget.h"
#include "classlib/CWnd.h"

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base) return TRUE;
    return FALSE;
}

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", nullptr};

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* e = map->entries; e->thunk; ++e) {
            // Codes compare in 16 bits: WM_NOTIFY codes are negative numbers carried in a word.
            if (e->message == message && (e->code & 0xFFFF) == (code & 0xFFFF) && id >= e->idFirst && id <= e->idLast)
                return e;
        }
    }
    return nullptr;
}

bool CCmdTarget::CallEntry(MessageCall& call, UINT code) {
    const MessageMapEntry* entry = FindEntry(call.message, code, call.id);
    return entry && entry->thunk(this, call);
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) {
    MessageCall call = {WM_COMMAND, 0, 0, id, extra, 0};
    UINT entryCode = static_cast<UINT>(code) & 0xFFFF;
    if (code == CN_UPDATE_COMMAND_UI) {
        call.message = kUpdateCommandUi;
        entryCode = 0;
    } else if (code == CN_EVENT) {
        return FALSE;  // no entry kind for control events: only routing overrides take them
    } else if (HIWORD(static_cast<UINT>(code)) == WM_NOTIFY) {
        call.message = WM_NOTIFY;
    }
    const MessageMapEntry* entry = FindEntry(call.message, entryCode, id);
    if (!entry) return FALSE;
    if (handlerInfo && call.message != WM_NOTIFY) return TRUE;
    if (!entry->thunk(this, call)) return FALSE;
    if (call.message == WM_NOTIFY && handlerInfo) *static_cast<LRESULT*>(handlerInfo) = call.result;
    return TRUE;
}

void CCmdUI::Enable(BOOL on) {
    m_bEnableChanged = TRUE;
    if (m_hMenu) {
        EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        m_pOther->EnableWindow(on);
    }
}

void CCmdUI::SetCheck(int check) {
    if (m_hMenu) {
        CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther) {
        m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(check));
    }
}

void CCmdUI::SetText(const char* text) {
    if (m_hMenu) {
        UINT state = GetMenuState(m_hMenu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        ModifyMenuA(m_hMenu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text ? text : "");
    } else if (m_pOther) {
        m_pOther->SetWindowText(text);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
    if (!target) return FALSE;
    m_bEnableChanged = FALSE;
    if (target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr)) return TRUE;
    if (disableIfNoHandler && !target->OnCmdMsg(m_nID, CN_COMMAND, this, this)) Enable(FALSE);
    return FALSE;
}
