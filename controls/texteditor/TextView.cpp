// CTextView: state, window life, the buffer and its update contract, settings, metrics, fonts,
// colours, columns and the per-line caches. Drawing, scrolling, selection, mouse and commands
// are in the other TextView*.cpp files.
#include "controls/texteditor/TextView.h"
#include "classlib/CDC.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/LineParsers.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextColumns.h"
#include "controls/texteditor/TextEditorRes.h"
#include "controls/texteditor/TextViewCache.h"
#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CTextView, CWnd)

BEGIN_MESSAGE_MAP(CTextView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_GETDLGCODE()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_COMMAND_RANGE(ID_EDIT_CHAR_LEFT, ID_EDIT_EXT_TEXT_END, OnMoveCommand)
    ON_COMMAND(ID_EDIT_FIND_PREVIOUS, OnFindPrevious)
    ON_UPDATE_COMMAND_UI(ID_EDIT_FIND_PREVIOUS, OnUpdateFindCommand)
    ON_COMMAND_RANGE(ID_EDIT_TOGGLE_BOOKMARK0, ID_EDIT_TOGGLE_BOOKMARK9, OnToggleBookmark)
    ON_COMMAND_RANGE(ID_EDIT_GO_BOOKMARK0, ID_EDIT_GO_BOOKMARK9, OnGoBookmark)
    ON_COMMAND(ID_EDIT_CLEAR_BOOKMARKS, OnClearBookmarks)
    ON_COMMAND(ID_EDIT_TOGGLE_FLAG_BOOKMARK, OnToggleFlagBookmark)
    ON_COMMAND(ID_EDIT_NEXT_FLAG_BOOKMARK, OnNextFlagBookmark)
    ON_UPDATE_COMMAND_UI(ID_EDIT_NEXT_FLAG_BOOKMARK, OnUpdateFlagBookmarkCommand)
    ON_COMMAND(ID_EDIT_PREV_FLAG_BOOKMARK, OnPrevFlagBookmark)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PREV_FLAG_BOOKMARK, OnUpdateFlagBookmarkCommand)
    ON_COMMAND(ID_EDIT_CLEAR_FLAG_BOOKMARKS, OnClearFlagBookmarks)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR_FLAG_BOOKMARKS, OnUpdateFlagBookmarkCommand)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
    ON_COMMAND(ID_EDIT_FIND, OnEditFind)
    ON_COMMAND(ID_EDIT_REPEAT, OnEditRepeat)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REPEAT, OnUpdateFindCommand)
    ON_UPDATE_COMMAND_UI(ID_EDIT_INDICATOR_POSITION, OnUpdateIndicatorPosition)
    ON_UPDATE_COMMAND_UI(ID_EDIT_INDICATOR_CRLF, OnUpdateIndicatorCrlf)
    ON_COMMAND(ID_FILE_PAGE_SETUP, OnFilePageSetup)
END_MESSAGE_MAP()

CTextView::CTextView()
    : m_bLastSearch(FALSE), m_bCursorMark(FALSE), m_dwLastSearchFlags(0), m_bCursorHidden(FALSE), m_nLineHeight(-1),
      m_nCharWidth(-1), m_nTabSize(4), m_bViewTabs(FALSE), m_bSelMargin(TRUE), m_bWordWrap(FALSE), m_nScreenLines(-1),
      m_nScreenChars(-1), m_nMaxLineColumns(0), m_nIdealColumn(-1), m_bFocused(FALSE), m_lfBaseFont(),
      m_styledFontMade(), m_bPreparingToDrag(FALSE), m_bDraggingText(FALSE), m_bDragSelection(FALSE),
      m_bWordSelection(FALSE), m_bLineSelection(FALSE), m_nDragSelTimer(0), m_bBookmarkExist(FALSE),
      m_bMarginIconsTried(FALSE), m_pTextBuffer(nullptr), m_hAccel(nullptr), m_bShowInactiveSelection(FALSE),
      m_bDisableDragAndDrop(FALSE), m_bPrintHeader(FALSE), m_bPrintFooter(TRUE), m_nPrintLineHeight(0),
      m_nTopLine(0), m_nOffsetChar(0), m_bSmoothScroll(FALSE), m_nParserKind(ParserNone), widestLine_(-1), measuredLines_(0),
      shownBars_(), barsSet_() {
    CTextView::ResetView();
}

CTextView::~CTextView() {
    // A buffer that outlives its view must not keep telling it of changes.
    if (m_pTextBuffer) m_pTextBuffer->RemoveView(this);
}

void CTextView::ResetView() {
    if (m_bDragSelection && m_hWnd) {
        KillTimer(DragSelectTimer);
        if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    }
    m_bWordWrap = FALSE;
    m_nTopLine = 0;
    m_nOffsetChar = 0;
    m_nLineHeight = -1;
    m_nCharWidth = -1;
    m_nTabSize = 4;
    ForgetMaxLineColumns();
    m_nScreenLines = -1;
    m_nScreenChars = -1;
    m_nIdealColumn = -1;
    m_ptAnchor = m_ptCursorPos = m_ptSelStart = m_ptSelEnd = CPoint(0, 0);
    m_ptDrawSelStart = m_ptDrawSelEnd = CPoint(0, 0);
    m_bCursorHidden = FALSE;
    m_bLastSearch = FALSE;
    m_bCursorMark = FALSE;
    m_bDragSelection = FALSE;
    m_bShowInactiveSelection = FALSE;
    m_bPrintHeader = FALSE;
    m_bPrintFooter = TRUE;
    m_bBookmarkExist = FALSE;
    m_marginIcons.DeleteImageList();
    m_bMarginIconsTried = FALSE;
    for (int i = 0; i < 8; ++i) {
        m_styledFonts[i].DeleteObject();
        m_styledFontMade[i] = FALSE;
    }
    m_parseStates.clear();
    m_lineColumns.clear();
    if (m_hWnd && m_bFocused) SetCaretPos(TextPosToPoint(m_ptCursorPos));  // the thread's caret is ours only then
}

// ---- Window life ------------------------------------------------------------------------------

BOOL CTextView::PreCreateWindow(CREATESTRUCTA& cs) {
    // The view keeps its own scroll bars.
    cs.style |= WS_HSCROLL | WS_VSCROLL;
    // No cursor (WM_SETCURSOR chooses) and no background (every row is painted whole).
    if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, nullptr, nullptr, nullptr);
    return cs.lpszClass != nullptr;
}

int CTextView::OnCreate(LPCREATESTRUCTA cs) {
    std::memset(&m_lfBaseFont, 0, sizeof(m_lfBaseFont));
    lstrcpyA(m_lfBaseFont.lfFaceName, "FixedSys");
    m_lfBaseFont.lfHeight = 0;
    m_lfBaseFont.lfWeight = FW_NORMAL;
    m_lfBaseFont.lfItalic = FALSE;
    m_lfBaseFont.lfCharSet = DEFAULT_CHARSET;
    // Text set or measured before the window existed made its fonts from an empty base font.
    ForgetFonts();
    if (CWnd::OnCreate(cs) == -1) return -1;
    barsSet_[0] = barsSet_[1] = false;
    m_hAccel = LoadAcceleratorsA(GetResourceHandle(), MAKEINTRESOURCEA(IDR_TEXTVIEW_ACCEL));
    return 0;
}

void CTextView::OnDestroy() {
    if (m_bDragSelection) {
        KillTimer(DragSelectTimer);
        if (::GetCapture() == m_hWnd) ::ReleaseCapture();
        m_bDragSelection = FALSE;
    }
    DetachBuffer();
    m_hAccel = nullptr;
    CWnd::OnDestroy();
    ForgetFonts();
}

BOOL CTextView::OnEraseBkgnd(CDC*) { return TRUE; }

namespace {
// Tab or Shift+Tab alone: the keys with which a dialog moves between its controls.
bool IsNavigationKey(const MSG* msg) {
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) && msg->wParam == VK_TAB &&
           GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}
}  // namespace

BOOL CTextView::IsEditable() { return FALSE; }

UINT CTextView::OnGetDlgCode() {
    const UINT code = CWnd::OnGetDlgCode();
    // The dialog asks with the key it is about to act on.
    const MSG* key = reinterpret_cast<const MSG*>(GetCurrentMessage()->lParam);
    if (!IsEditable() && IsNavigationKey(key)) return code;
    return code | DLGC_WANTALLKEYS;
}

void CTextView::OnSysColorChange() {
    CWnd::OnSysColorChange();
    Invalidate(FALSE);
}

BOOL CTextView::PreTranslateMessage(MSG* msg) {
    if (IsNavigationKey(msg) && !IsEditable()) return CWnd::PreTranslateMessage(msg);
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccel && m_hWnd &&
        TranslateAcceleratorA(m_hWnd, m_hAccel, msg))
        return TRUE;
    return CWnd::PreTranslateMessage(msg);
}

// ---- The buffer -------------------------------------------------------------------------------

void CTextView::AttachBuffer(CTextBuffer* buffer) {
    if (m_pTextBuffer) m_pTextBuffer->RemoveView(this);
    m_pTextBuffer = buffer;
    if (m_pTextBuffer) m_pTextBuffer->AddView(this);
    ResetView();
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    Invalidate(FALSE);
}

void CTextView::DetachBuffer() {
    if (!m_pTextBuffer) return;
    m_pTextBuffer->RemoveView(this);
    m_pTextBuffer = nullptr;
    ResetView();
}

void CTextView::UpdateView(TextBufferView*, CUpdateContext* context, DWORD flags, int line) {
    if (flags & CTextBuffer::UpdateReset) {
        ResetView();
        UpdateVertScrollBar();
        UpdateHorzScrollBar();
        Invalidate(FALSE);
        return;
    }
    const int lineCount = GetLineCount();
    if (line < 0) line = 0;
    if (flags & CTextBuffer::UpdateSingleLine) {
        textview_cache::ForgetFrom(m_parseStates, line);
        textview_cache::Forget(m_lineColumns, line);
        // A forgotten width is measured again when the widest line is next asked for.
        ForgetMaxLineColumns(line);
    } else {
        // Lines came or went from the line on: what lies before it stays true.
        textview_cache::Refit(m_parseStates, lineCount, line);
        textview_cache::Refit(m_lineColumns, lineCount, line);
    }
    InvalidateLineRange(line, -1);
    if (context) {
        context->RecalcPoint(m_ptCursorPos);
        context->RecalcPoint(m_ptSelStart);
        context->RecalcPoint(m_ptSelEnd);
        context->RecalcPoint(m_ptAnchor);
        if (m_bDraggingText) {
            context->RecalcPoint(m_ptDraggedTextBegin);
            context->RecalcPoint(m_ptDraggedTextEnd);
        }
        OrderSelection();
        CPoint top(0, m_nTopLine);
        context->RecalcPoint(top);
        int newTop = top.y;
        if (m_pTextBuffer && m_pTextBuffer->IsSoftBreakAt(top.x, top.y)) ++newTop;
        if (newTop != m_nTopLine) {
            m_nTopLine = newTop;
            Invalidate(FALSE);
        }
        RefreshCaret();
    }
    if (flags & CTextBuffer::UpdateVertRange) UpdateVertScrollBar();
    if (flags & CTextBuffer::UpdateHorzRange) {
        // An append to a long log measures the new lines, not the whole text again.
        ForgetMaxLineColumns(line);
        UpdateHorzScrollBar();
    }
}

void CTextView::OnTextEdited(int, const char*) {}

void CTextView::NotifyModified() {}

void CTextView::AppendText(const char* text) {
    if (!m_pTextBuffer || !text) return;
    m_pTextBuffer->BeginUndoGroup(FALSE);
    const int last = std::max(0, m_pTextBuffer->GetLineCount() - 1);
    int endLine = 0, endChar = 0;
    if (m_pTextBuffer->InsertText(this, last, m_pTextBuffer->GetLineLength(last), text, endLine, endChar, 4)) {
        m_ptAnchor = m_ptCursorPos = CPoint(endChar, endLine);
        SetSelection(m_ptAnchor, m_ptCursorPos);
        RefreshCaret();
    }
    m_pTextBuffer->FlushUndoGroup(this);
}

BOOL CTextView::DeleteBufferLine(int line) { return m_pTextBuffer ? m_pTextBuffer->RemoveLine(line) : FALSE; }

// ---- Settings ---------------------------------------------------------------------------------

void CTextView::SetMarginVisible(BOOL visible) {
    if (m_bSelMargin == visible) return;
    m_bSelMargin = visible;
    m_nScreenChars = -1;
    if (!m_hWnd) return;
    Invalidate(FALSE);
    UpdateHorzScrollBar();
}

void CTextView::SetTabSize(int tabSize) {
    // A tab advances to the next multiple of the size: below 1 there is none.
    if (tabSize < 1 || tabSize == m_nTabSize) return;
    m_nTabSize = tabSize;
    m_lineColumns.clear();
    ForgetMaxLineColumns();
    UpdateHorzScrollBar();
    Invalidate(FALSE);
    RefreshCaret();
}

void CTextView::SetShowTabs(BOOL show) {
    if (m_bViewTabs == show) return;
    m_bViewTabs = show;
    Invalidate(FALSE);
}

void CTextView::SetBaseFont(const LOGFONTA& font) {
    m_lfBaseFont = font;
    ForgetFonts();
    if (!m_hWnd) return;
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    RefreshCaret();
    Invalidate(FALSE);
}

void CTextView::SetCursorMarkVisible(BOOL visible) {
    if (m_bCursorMark == visible) return;
    m_bCursorMark = visible;
    Invalidate(FALSE);
}

void CTextView::SetParserKind(int kind) {
    if (m_nParserKind == kind) return;
    m_nParserKind = kind;
    // The states of the old colouring mean nothing to the new one.
    m_parseStates.clear();
    Invalidate(FALSE);
}

void CTextView::SetShowInactiveSelection(BOOL show) {
    if (m_bShowInactiveSelection == show) return;
    m_bShowInactiveSelection = show;
    InvalidateSelection();
}

void CTextView::SetWordWrap(BOOL wrap) {
    if (m_bWordWrap == wrap) return;
    m_bWordWrap = wrap;
    if (m_pTextBuffer) Rewrap(wrap ? GetVisibleColumnCount() : CTextBuffer::DefaultWrapWidth);
}

void CTextView::Rewrap(int width) {
    if (!m_pTextBuffer) return;
    // Positions move with the lines: carry them across as char offsets.
    CPoint* points[] = {&m_ptCursorPos, &m_ptSelStart, &m_ptSelEnd, &m_ptAnchor, &m_ptDraggedTextBegin,
                        &m_ptDraggedTextEnd};
    const int count = m_bDraggingText ? 6 : 4;
    int offsets[6];
    for (int i = 0; i < count; ++i) offsets[i] = TextPosToOffset(*points[i]);
    m_pTextBuffer->SetWrapWidth(width);
    for (int i = 0; i < count; ++i) *points[i] = OffsetToTextPos(offsets[i]);
    UpdateView(nullptr, nullptr, CTextBuffer::UpdateHorzRange | CTextBuffer::UpdateVertRange, -1);
    OrderSelection();
    RefreshCaret();
}

// ---- Metrics and fonts ------------------------------------------------------------------------

void CTextView::ForgetFonts() {
    m_nScreenLines = m_nScreenChars = m_nLineHeight = m_nCharWidth = -1;
    m_lineBitmap.DeleteObject();
    for (int i = 0; i < 8; ++i) {
        m_styledFonts[i].DeleteObject();
        m_styledFontMade[i] = FALSE;
    }
}

void CTextView::CalcLineMetrics() {
    CClientDC dc(this);
    CFont* old = dc.SelectObject(GetStyledFont(FALSE, FALSE, FALSE));
    const CSize extent = dc.GetTextExtent("X", 1);
    if (old) dc.SelectObject(old);
    m_nLineHeight = std::max(1, static_cast<int>(extent.cy));
    // Columns are divided by it: never 0.
    m_nCharWidth = std::max(1, static_cast<int>(extent.cx));
}

int CTextView::GetLineHeight() {
    if (m_nLineHeight < 1) CalcLineMetrics();
    return m_nLineHeight;
}

int CTextView::GetCharWidth() {
    if (m_nCharWidth < 1) CalcLineMetrics();
    return m_nCharWidth;
}

CFont* CTextView::GetStyledFont(BOOL italic, BOOL bold, BOOL underline) {
    const int index = (underline ? 4 : 0) + (italic ? 2 : 0) + (bold ? 1 : 0);
    if (!m_styledFontMade[index]) {
        LOGFONTA font = m_lfBaseFont;
        font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        font.lfItalic = static_cast<BYTE>(italic ? TRUE : FALSE);
        font.lfUnderline = static_cast<BYTE>(underline ? TRUE : FALSE);
        m_styledFontMade[index] = m_styledFonts[index].CreateFontIndirect(&font);
        if (!m_styledFontMade[index]) {
            CFont* own = GetFont();
            return own ? own : CFont::FromHandle(static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT)));
        }
    }
    return &m_styledFonts[index];
}

int CTextView::GetVisibleLineCount() {
    if (m_nScreenLines < 0) {
        CRect client;
        GetClientRect(&client);
        m_nScreenLines = client.Height() / GetLineHeight();
    }
    return m_nScreenLines;
}

int CTextView::GetVisibleColumnCount() {
    if (m_nScreenChars < 0) {
        CRect client;
        GetClientRect(&client);
        m_nScreenChars = std::max(0, (client.Width() - GetMarginWidth()) / GetCharWidth());
    }
    return m_nScreenChars;
}

int CTextView::GetMaxLineColumns() {
    for (const int count = GetLineCount(); measuredLines_ < count; ++measuredLines_) {
        const int columns = GetLineColumns(measuredLines_);
        if (columns > m_nMaxLineColumns) {
            m_nMaxLineColumns = columns;
            widestLine_ = measuredLines_;
        }
    }
    return m_nMaxLineColumns;
}

void CTextView::ForgetMaxLineColumns(int fromLine) {
    if (fromLine <= widestLine_) {
        m_nMaxLineColumns = 0;
        widestLine_ = -1;
        fromLine = 0;
    }
    measuredLines_ = std::min(measuredLines_, std::max(0, fromLine));
}

// ---- Colours ----------------------------------------------------------------------------------

COLORREF CTextView::GetColor(int index) {
    switch (index) {
    case 0:
    case 1: return GetSysColor(COLOR_WINDOW);
    case 2: return GetSysColor(COLOR_WINDOWTEXT);
    case 3: return GetSysColor(COLOR_SCROLLBAR);
    case 4: return RGB(0, 0, 0);
    case 5: return RGB(255, 255, 255);
    case COLORINDEX_TAG: return RGB(0, 0, 255);
    case COLORINDEX_COMMENT: return RGB(128, 128, 128);
    case 8: return RGB(128, 0, 0);
    case 9: return RGB(0, 0, 0);
    case COLORINDEX_ATTRIBUTE: return RGB(0, 128, 192);
    case COLORINDEX_CDATA: return RGB(0, 0, 255);
    case COLORINDEX_LOG_WARNING: return RGB(250, 153, 0);
    case COLORINDEX_LOG_BRACED: return RGB(0, 0, 255);
    default: return RGB(255, 0, 0);  // quoted strings, "Error:" lines and every other index
    }
}

void CTextView::GetLineColors(int line, COLORREF& background, COLORREF& text, BOOL& drawWhitespace) {
    const DWORD flags = GetLineFlags(line);
    drawWhitespace = TRUE;
    text = RGB(255, 255, 255);
    if (flags & FlagExecution) {
        background = RGB(0, 128, 0);
    } else if (flags & FlagBreakpoint) {
        background = RGB(255, 0, 0);
    } else if (flags & FlagDisabledBreak) {
        background = RGB(128, 128, 0);
    } else {
        background = CLR_NONE;
        text = CLR_NONE;
        drawWhitespace = FALSE;
    }
}

BOOL CTextView::GetItalic(int) { return FALSE; }
BOOL CTextView::GetBold(int) { return FALSE; }
BOOL CTextView::GetUnderline(int index) { return index == COLORINDEX_LOG_BRACED; }

// ---- Lines, columns and caches ----------------------------------------------------------------

int CTextView::GetLineCount() {
    // An empty buffer shows like no buffer: one empty line.
    return m_pTextBuffer ? std::max(1, m_pTextBuffer->GetLineCount()) : 1;
}

int CTextView::GetLineLength(int line) { return m_pTextBuffer ? m_pTextBuffer->GetLineLength(line) : 0; }

const char* CTextView::GetLineText(int line) { return m_pTextBuffer ? m_pTextBuffer->GetLineChars(line) : nullptr; }

DWORD CTextView::GetLineFlags(int line) { return m_pTextBuffer ? m_pTextBuffer->GetLineFlags(line) : 0; }

void CTextView::GetText(CPoint start, CPoint end, CString& text) {
    text.Empty();
    if (m_pTextBuffer) m_pTextBuffer->GetTextRange(start.y, start.x, end.y, end.x, text, "\r\n");
}

void CTextView::GetTextFromLine(CString& text, int charIndex, int line) {
    text.Empty();
    if (m_pTextBuffer) m_pTextBuffer->GetParagraphText(text, charIndex, line);
}

int CTextView::GetLineColumns(int line) {
    if (line < 0 || line >= GetLineCount()) return 0;
    const int cached = textview_cache::Get(m_lineColumns, line);
    if (cached >= 0) return cached;
    const int columns = ::GetLineColumns(GetLineText(line), GetLineLength(line), m_nTabSize);
    textview_cache::Store(m_lineColumns, line, columns, GetLineCount());
    return columns;
}

int CTextView::ColumnOfChar(int line, int charIndex) {
    return ::ColumnOfChar(GetLineText(line), GetLineLength(line), charIndex, m_nTabSize);
}

int CTextView::CharOfColumn(int line, int column) {
    return ::CharOfColumn(GetLineText(line), GetLineLength(line), column, m_nTabSize);
}

int CTextView::GetLineParseState(int line) {
    if (line < 0) return 0;
    const int count = GetLineCount();
    if (line >= count) line = count - 1;
    // Back to the nearest line whose state is known. The log colouring starts afresh on every
    // line that is not empty, so for it the walk stops there too (what it is handed is not
    // read): the first look at the end of a long log parses a few lines, not all before them.
    int known = line;
    while (known >= 0 && textview_cache::Get(m_parseStates, known) < 0 &&
           !(m_nParserKind == ParserLog && GetLineLength(known) > 0))
        --known;
    const bool fresh = known >= 0 && textview_cache::Get(m_parseStates, known) < 0;
    int state = known >= 0 && !fresh ? textview_cache::Get(m_parseStates, known) : 0;
    for (int l = fresh ? known : known + 1; l <= line; ++l) {
        state = ParseLine(state, l, nullptr);
        textview_cache::Store(m_parseStates, l, state, count);
    }
    return state;
}

int CTextView::ParseLine(int state, int line, CTextBlockList* blocks) {
    switch (m_nParserKind) {
    case ParserLog: return ParseLogLine(state, line, blocks);
    case ParserMarkup: return ParseMarkupLine(state, line, blocks);
    default: return 2;
    }
}

int CTextView::ParseMarkupLine(int state, int line, CTextBlockList* blocks) {
    return ::ParseMarkupLine(state, GetLineText(line), GetLineLength(line), blocks);
}

int CTextView::ParseLogLine(int state, int line, CTextBlockList* blocks) {
    return ::ParseLogLine(state, GetLineText(line), GetLineLength(line), blocks);
}

// ---- Positions --------------------------------------------------------------------------------

CPoint CTextView::PointToTextPos(CPoint point) {
    const int x = point.x, y = point.y;
    const int line = std::max(0, std::min(y / GetLineHeight() + m_nTopLine, GetLineCount() - 1));
    const int column = std::max(0, (x - GetMarginWidth()) / GetCharWidth() + m_nOffsetChar);
    return CPoint(CharAtColumn(GetLineText(line), GetLineLength(line), column, m_nTabSize), line);
}

CPoint CTextView::RoundedTextPos(CPoint point) {
    const int line = PointToTextPos(point).y;
    // To the nearer cell edge; inside a tab, to the nearer side of the tab.
    const int x = point.x;
    const int column = std::max(0, (x - GetMarginWidth() + GetCharWidth() / 2) / GetCharWidth() + m_nOffsetChar);
    return CPoint(CharOfColumn(line, column), line);
}

CPoint CTextView::TextPosToPoint(CPoint position) {
    return CPoint((ColumnOfChar(position.y, position.x) - m_nOffsetChar) * GetCharWidth() + GetMarginWidth(),
                  (position.y - m_nTopLine) * GetLineHeight());
}

int CTextView::TextPosToOffset(CPoint position) {
    return m_pTextBuffer ? m_pTextBuffer->TextPosToOffset(position) : -1;
}

CPoint CTextView::OffsetToTextPos(int offset) {
    return m_pTextBuffer ? m_pTextBuffer->OffsetToTextPos(offset) : CPoint(0, 0);
}

HINSTANCE CTextView::GetResourceHandle() { return AfxGetResourceHandle(); }

// ---- Other views and printing -----------------------------------------------------------------

void CTextView::NotifyScrolled(BOOL) {}

void CTextView::FollowScroll(CTextView* other, BOOL vertical) {
    if (!other || other == this) return;
    if (vertical) {
        if (other->m_nTopLine != m_nTopLine) ScrollToLine(other->m_nTopLine, TRUE, FALSE);
    } else if (other->m_nOffsetChar != m_nOffsetChar) {
        ScrollToColumn(other->m_nOffsetChar, TRUE, FALSE);
    }
    RefreshCaret();
}
