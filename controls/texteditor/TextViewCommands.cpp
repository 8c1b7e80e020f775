// CTextView: the commands of its keys other than the moves: copy and select all, the clipboard,
// find with its dialog and profile settings, numbered and flag bookmarks, and the indicators.
#include "controls/texteditor/TextView.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/FindTextDlg.h"
#include "controls/texteditor/GlobalText.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextEditorRes.h"
#include "controls/texteditor/TextSearch.h"
#include <cstring>

namespace {
const char kFindSection[] = "Editor\\Find";

// The wait cursor while the object lives.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}  // IDC_WAIT
    ~WaitCursor() { ::SetCursor(previous_); }

private:
    HCURSOR previous_;
};
}  // namespace

// ---- Copy, select all, clipboard --------------------------------------------------------------

void CTextView::OnEditCopy() { CopySelection(); }

void CTextView::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(HasSelection()); }

void CTextView::OnEditSelectAll() { SelectToEnd(); }

void CTextView::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(TRUE); }

void CTextView::CopySelection() {
    if (!HasSelection()) return;
    CString text;
    GetText(m_ptDrawSelStart, m_ptDrawSelEnd, text);
    PutToClipboard(text);
}

BOOL CTextView::ClipboardHasText() { return IsClipboardFormatAvailable(CF_TEXT); }

BOOL CTextView::PutToClipboard(const char* text) {
    if (!text || !*text) return FALSE;
    WaitCursor wait;
    if (!OpenClipboard(m_hWnd)) return FALSE;
    BOOL set = FALSE;
    if (EmptyClipboard()) {
        HGLOBAL data = MakeGlobalText(text, std::strlen(text));
        set = data && SetClipboardData(CF_TEXT, data) != nullptr;
        // The clipboard owns the memory only once it took it.
        if (data && !set) GlobalFree(data);
    }
    CloseClipboard();
    return set;
}

BOOL CTextView::GetFromClipboard(CString& text) {
    if (!OpenClipboard(m_hWnd)) return FALSE;
    const BOOL read = ReadGlobalText(GetClipboardData(CF_TEXT), text);
    CloseClipboard();
    return read;
}

// ---- Find -------------------------------------------------------------------------------------

BOOL CTextView::FindText(const char* text, CPoint start, DWORD flags, BOOL wrap, CPoint& found) {
    const int last = GetLineCount() - 1;
    return FindTextInRange(text, start, CPoint(0, 0), CPoint(GetLineLength(last), last), flags, wrap, found);
}

BOOL CTextView::FindTextInRange(const char* text, CPoint start, CPoint begin, CPoint end, DWORD flags, BOOL wrap,
                                CPoint& found) {
    if (!m_pTextBuffer || begin == end) return FALSE;
    return ::FindTextInRange(*m_pTextBuffer, text, start, begin, end, flags, wrap, found);
}

int CTextView::FindWordInString(const char* haystack, const char* needle, BOOL wholeWord) {
    return ::FindWordInString(CString(haystack), needle, wholeWord);
}

void CTextView::SelectFoundText(CPoint position, int length) {
    const CPoint end = OffsetToTextPos(TextPosToOffset(position) + length);
    m_ptCursorPos = m_ptAnchor = end;
    m_nIdealColumn = ColumnOfChar(end.y, end.x);
    SetSelection(position, end);
    RefreshCaret();
    ScrollIntoView(end);
}

CPoint CTextView::GetSearchStart(CPoint position, DWORD flags) {
    if ((flags & FIND_DIRECTION_UP) && HasSelection() && m_ptDrawSelEnd == position) return m_ptDrawSelStart;
    return position;
}

CString CTextView::GetNotFoundMessage(const char* text) {
    CString format, message;
    if (!format.LoadString(IDS_EDIT_TEXT_NOT_FOUND)) format = "Cannot find string\"%s\"";
    message.Format(format, text ? text : "");
    return message;
}

void CTextView::OnEditFind() {
    CWinApp* app = AfxGetApp();
    CFindTextDlg dialog(this);
    if (m_bLastSearch) {
        dialog.m_bMatchCase = (m_dwLastSearchFlags & FIND_MATCH_CASE) != 0;
        dialog.m_bWholeWord = (m_dwLastSearchFlags & FIND_WHOLE_WORD) != 0;
        dialog.m_nDirection = m_dwLastSearchFlags & FIND_DIRECTION_UP ? 0 : 1;
        dialog.m_sText = m_lastFindWhat;
    } else if (app) {
        dialog.m_bMatchCase = app->GetProfileInt(kFindSection, "MatchCase", 0) != 0;
        dialog.m_bWholeWord = app->GetProfileInt(kFindSection, "WholeWord", 0) != 0;
        dialog.m_sText = app->GetProfileString(kFindSection, "FindWhat", "");
    }
    if (HasSelection() && m_ptDrawSelStart.y == m_ptDrawSelEnd.y)
        GetText(m_ptDrawSelStart, m_ptDrawSelEnd, dialog.m_sText);
    dialog.m_ptCurrentPos = m_ptCursorPos;

    SetShowInactiveSelection(TRUE);
    dialog.DoModal();
    SetShowInactiveSelection(FALSE);

    m_bLastSearch = TRUE;
    m_lastFindWhat = dialog.m_sText;
    m_dwLastSearchFlags = dialog.GetSearchFlags();
    if (app) {
        app->WriteProfileInt(kFindSection, "MatchCase", dialog.m_bMatchCase ? 1 : 0);
        app->WriteProfileInt(kFindSection, "WholeWord", dialog.m_bWholeWord ? 1 : 0);
        app->WriteProfileString(kFindSection, "FindWhat", dialog.m_sText);
    }
}

void CTextView::FindNext(DWORD flags) {
    if (!m_bLastSearch) return;
    CPoint found;
    if (FindText(m_lastFindWhat, GetSearchStart(m_ptCursorPos, flags), flags, TRUE, found))
        SelectFoundText(found, m_lastFindWhat.GetLength());
    else
        MessageBox(GetNotFoundMessage(m_lastFindWhat), nullptr, MB_OK);
}

void CTextView::OnEditRepeat() { FindNext(m_dwLastSearchFlags); }

void CTextView::OnFindPrevious() { FindNext(m_dwLastSearchFlags ^ FIND_DIRECTION_UP); }

void CTextView::OnUpdateFindCommand(CCmdUI* ui) { ui->Enable(m_bLastSearch); }

// ---- Bookmarks --------------------------------------------------------------------------------

namespace {
DWORD NumberedBookmark(UINT id, UINT first) { return 1u << (id - first); }
}  // namespace

void CTextView::OnToggleBookmark(UINT id) {
    if (!m_pTextBuffer) return;
    const DWORD bit = NumberedBookmark(id, ID_EDIT_TOGGLE_BOOKMARK0);
    const int line = m_ptCursorPos.y;
    // A numbered bookmark marks one line: setting it takes it from the line that had it.
    m_pTextBuffer->SetLineFlag(line, bit, (GetLineFlags(line) & bit) == 0, TRUE);
}

void CTextView::GoToLineStart(int line) {
    if (line < 0) return;
    m_ptCursorPos = m_ptAnchor = CPoint(0, line);
    SetSelection(m_ptCursorPos, m_ptCursorPos);
    ScrollIntoView(m_ptCursorPos);
    RefreshCaret();
}

void CTextView::OnGoBookmark(UINT id) {
    if (!m_pTextBuffer) return;
    const int line = m_pTextBuffer->GetLineWithFlag(NumberedBookmark(id, ID_EDIT_GO_BOOKMARK0));
    GoToLineStart(line);
}

void CTextView::OnClearBookmarks() {
    if (!m_pTextBuffer) return;
    for (int n = 0; n < 10; ++n) {
        const int line = m_pTextBuffer->GetLineWithFlag(1u << n);
        if (line >= 0) m_pTextBuffer->SetLineFlag(line, 1u << n, FALSE, FALSE);
    }
}

void CTextView::OnToggleFlagBookmark() {
    if (!m_pTextBuffer) return;
    const int line = m_ptCursorPos.y;
    m_pTextBuffer->SetLineFlag(line, FlagBookmark, (GetLineFlags(line) & FlagBookmark) == 0, FALSE);
    m_bBookmarkExist = m_pTextBuffer->FindLineWithFlag(FlagBookmark) >= 0;
}

void CTextView::OnNextFlagBookmark() {
    if (!m_pTextBuffer) return;
    const int line = m_pTextBuffer->FindNextBookmarkLine(m_ptCursorPos.y);
    GoToLineStart(line);
}

void CTextView::OnPrevFlagBookmark() {
    if (!m_pTextBuffer) return;
    const int line = m_pTextBuffer->FindPrevBookmarkLine(m_ptCursorPos.y);
    GoToLineStart(line);
}

void CTextView::OnClearFlagBookmarks() {
    if (!m_pTextBuffer) return;
    for (int line = 0, count = m_pTextBuffer->GetLineCount(); line < count; ++line)
        if (m_pTextBuffer->GetLineFlags(line) & FlagBookmark) m_pTextBuffer->SetLineFlag(line, FlagBookmark, FALSE, FALSE);
    m_bBookmarkExist = FALSE;
}

void CTextView::OnUpdateFlagBookmarkCommand(CCmdUI* ui) { ui->Enable(m_bBookmarkExist); }

// ---- Indicators -------------------------------------------------------------------------------

void CTextView::OnUpdateIndicatorPosition(CCmdUI* ui) {
    CString text;
    // The char, not the column: a tab counts one.
    text.Format("Ln %d, Col %d", m_ptCursorPos.y + 1, m_ptCursorPos.x + 1);
    ui->SetText(text);
}

void CTextView::OnUpdateIndicatorCrlf(CCmdUI* ui) {
    static const char* const names[] = {"DOS", "UNIX", "MAC"};
    const int style = m_pTextBuffer ? m_pTextBuffer->GetLineEndStyle() : -1;
    const bool known = style >= 0 && style < 3;
    ui->SetText(known ? names[style] : "");
    ui->Enable(known);
}
