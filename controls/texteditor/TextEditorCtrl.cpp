#include "controls/texteditor/TextEditorCtrl.h"
#include "controls/texteditor/TextBuffer.h"

IMPLEMENT_DYNAMIC(CTextEditorCtrl, CTextEditView)

BEGIN_MESSAGE_MAP(CTextEditorCtrl, CTextEditView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CTextEditorCtrl::CTextEditorCtrl() : m_pOwnBuffer(nullptr), m_pfnMouseCallback(nullptr), m_dwUserValue(0) {}

CTextEditorCtrl::~CTextEditorCtrl() { FreeBuffer(); }

void CTextEditorCtrl::FreeBuffer() {
    if (!m_pOwnBuffer) return;
    // A control whose window never existed still has the buffer attached: the view must let
    // go of it before it goes.
    if (m_pTextBuffer == m_pOwnBuffer) DetachBuffer();
    m_pOwnBuffer->ReleaseAll();
    delete m_pOwnBuffer;
    m_pOwnBuffer = nullptr;
}

int CTextEditorCtrl::OnCreate(LPCREATESTRUCTA cs) { return CTextEditView::OnCreate(cs) == -1 ? -1 : 0; }

void CTextEditorCtrl::OnDestroy() { CTextEditView::OnDestroy(); }

void CTextEditorCtrl::SetText(const char* text, BOOL selectOnly) {
    if (selectOnly) {
        SelectToEnd();
        return;
    }
    FreeBuffer();
    m_pOwnBuffer = new CTextBuffer;
    m_pOwnBuffer->LoadFromString(text ? text : "", CTextBuffer::StyleDetect);
    AttachBuffer(m_pOwnBuffer);
    m_pOwnBuffer->SetReadOnly(IsReadOnly());
    if (m_hWnd) Invalidate(TRUE);
}

void CTextEditorCtrl::GetText(CString& text) {
    if (m_pOwnBuffer) m_pOwnBuffer->GetText(text, CTextBuffer::StyleDetect, FALSE);
}

void CTextEditorCtrl::SetMouseCallback(MouseCallback callback, DWORD userValue) {
    m_pfnMouseCallback = callback;
    m_dwUserValue = userValue;
}

BOOL CTextEditorCtrl::IsHotWordAt(CPoint point) {
    if (m_nParserKind != ParserLog) return FALSE;
    const CString word = GetBracedWordAtPoint(point);
    const int length = word.GetLength();
    return length >= 2 && word[0] == '{' && word[length - 1] == '}';
}

void CTextEditorCtrl::Report(int code, CPoint point) {
    if (!m_pfnMouseCallback) return;
    const CString word = GetWordAtPoint(point);
    m_pfnMouseCallback(code, word, TextPosToOffset(m_ptCursorPos), m_dwUserValue);
}

void CTextEditorCtrl::OnLButtonDown(UINT flags, CPoint point) {
    CTextEditView::OnLButtonDown(flags, point);
    Report(MouseLeftDown, point);
}

void CTextEditorCtrl::OnRButtonDown(UINT flags, CPoint point) {
    CTextEditView::OnRButtonDown(flags, point);
    Report(MouseRightDown, point);
}

void CTextEditorCtrl::OnLButtonDblClk(UINT flags, CPoint point) {
    CTextEditView::OnLButtonDblClk(flags, point);
    Report(MouseLeftDoubleClick, point);
}

void CTextEditorCtrl::OnLButtonUp(UINT flags, CPoint point) {
    CTextEditView::OnLButtonUp(flags, point);
    Report(MouseLeftUp, point);
}
