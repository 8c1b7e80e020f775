// The read side of the text editor: a child window that shows the lines of one CTextBuffer in a
// fixed-pitch font, coloured line by line by a line parser, with a margin of line-flag icons, a
// selection, a caret, its own scroll bars, find, copy and bookmarks. The edit view derives from
// it and adds editing.
//
// How input reaches it: keys only through the accelerator table IDR_TEXTVIEW_ACCEL, translated in
// PreTranslateMessage (so the view works inside our modal loop and inside a modeless page, whose
// loops walk PreTranslateMessage from the target window up); each key becomes a WM_COMMAND of the
// view's command ids (TextEditorRes.h), taken by the message map. Mouse, focus, scroll, size and
// paint messages come straight through the map. The buffer tells of every change through
// UpdateView (TextBufferView).
//
// Positions are CPoint(char, line), both from 0. A column is a display column: a tab runs to the
// next multiple of the tab size, every other byte takes one.
//
// Life: construct, create the window (Create with a null class name: the view registers its
// own), AttachBuffer; the window's WM_DESTROY detaches the buffer, and the owner detaches it
// before deleting a buffer that the view outlives. Without a buffer the view shows one empty line.
// Derived views (the edit view, the control) override the virtual operations below and reach
// the state in the protected members.
//
// A program that shows a view links TextEditor.rc: without it there are no keys, icons or cursors.
#pragma once
#include "classlib/CGdiObject.h"
#include "classlib/CImageList.h"
#include "classlib/CWnd.h"
#include "controls/texteditor/TextBlockList.h"
#include "controls/texteditor/TextBufferView.h"
#include <string>
#include <vector>

class CDC;
class CPrintInfo;
class CTextBuffer;

class CTextView : public CWnd, public TextBufferView {
    DECLARE_DYNAMIC(CTextView)
public:
    // Parser kinds: how lines are coloured.
    enum { ParserNone = 0, ParserMarkup = 1, ParserLog = 2 };
    // Line flags the view gives a meaning: numbered bookmark n is the bit 1 << n.
    static const DWORD FlagExecution = 0x00010000;     // green line
    static const DWORD FlagBreakpoint = 0x00020000;    // red line
    static const DWORD FlagInvalidBreak = 0x00040000;
    static const DWORD FlagBookmark = 0x00080000;      // the flag bookmark, on any number of lines
    static const DWORD FlagDisabledBreak = 0x00100000; // olive line
    enum { DragSelectTimer = 1001 };

    CTextView();
    ~CTextView() override;

    // ---- Overridable operations (derived views replace the ones they need) ----
    // Back to the state after construction, keeping the buffer, base font, margin, tab display,
    // smooth scrolling, drag setting, last search text and parser kind.
    virtual void ResetView();
    // Whether the client point lies on a hot word (the control's braced words); FALSE here.
    virtual BOOL IsHotWordAt(CPoint point);
    // Printing: page header and footer and their texts.
    virtual void PrintHeader(CDC* dc, int page);
    virtual void PrintFooter(CDC* dc, int page);
    virtual void GetPrintHeaderText(int page, CString& text);
    virtual void GetPrintFooterText(int page, CString& text);
    // Called after each scroll step the view makes for the caret, the timer or the keys.
    virtual void NotifyScrolled(BOOL vertical);
    // Takes the other view's top line (vertical) or first column.
    virtual void FollowScroll(CTextView* other, BOOL vertical);
    // The lines, as the buffer has them (1 empty line without a buffer).
    virtual int GetLineLength(int line);
    virtual int GetLineColumns(int line);  // cached
    virtual const char* GetLineText(int line);
    virtual DWORD GetLineFlags(int line);
    // The text between two positions, "\r\n" between lines.
    virtual void GetText(CPoint start, CPoint end, CString& text);
    // The rest of the line from the char, with the continuation lines of a wrapped paragraph.
    virtual void GetTextFromLine(CString& text, int charIndex, int line);
    // Clipboard (CF_TEXT) and the drag source.
    virtual BOOL ClipboardHasText();
    virtual BOOL PutToClipboard(const char* text);
    virtual BOOL GetFromClipboard(CString& text);
    // The selection's text in movable global memory, null when there is none; notes the drag range.
    virtual HGLOBAL PrepareDragData();
    virtual DWORD GetDragEffects();
    virtual void OnDragFinished(DWORD effect);
    // Colours (COLORREF) and styles by colour index, and a line's own colours from its flags
    // (-1: none of its own).
    virtual COLORREF GetColor(int index);
    virtual void GetLineColors(int line, COLORREF& background, COLORREF& text, BOOL& drawWhitespace);
    virtual BOOL GetItalic(int index);
    virtual BOOL GetBold(int index);
    virtual BOOL GetUnderline(int index);
    // One row: the text of the line (-1: below the last line) and its margin.
    virtual void DrawLine(CDC* dc, const CRect& rect, int line);
    virtual void DrawMargin(CDC* dc, const CRect& rect, int line);
    // The colouring of a line: takes the state the line before left, answers this line's,
    // appending the line's blocks when a list is given.
    virtual int ParseLine(int state, int line, CTextBlockList* blocks);
    virtual int ParseMarkupLine(int state, int line, CTextBlockList* blocks);
    virtual int ParseLogLine(int state, int line, CTextBlockList* blocks);
    // Whether the user may change the text; never in this read view. A view that cannot be
    // edited has nothing to indent: it leaves Tab and Shift+Tab to its dialog's navigation.
    virtual BOOL IsEditable();
    // Where the cursors, the keys and the margin icons are loaded from.
    virtual HINSTANCE GetResourceHandle();
    virtual int GetLineCount();
    // TextBufferView: after every change of the buffer; flags as the buffer sends them.
    void UpdateView(TextBufferView* source, CUpdateContext* context, DWORD flags, int line) override;
    void OnTextEdited(int action, const char* text) override;
    virtual void NotifyModified();
    // Printing, driven by a host of the print protocol; the view itself starts none, and
    // OnPreparePrinting declines with FALSE. A host calls OnBeginPrinting (the printer font),
    // then for each page OnPrepareDC (which stops past the last page) and OnPrint, and at the
    // end OnEndPrinting.
    virtual void OnPrepareDC(CDC* dc, CPrintInfo* info);
    virtual BOOL OnPreparePrinting(CPrintInfo* info);
    virtual void OnBeginPrinting(CDC* dc, CPrintInfo* info);
    virtual void OnEndPrinting(CDC* dc, CPrintInfo* info);
    virtual void OnPrint(CDC* dc, CPrintInfo* info);

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // ---- The buffer ----
    void AttachBuffer(CTextBuffer* buffer);
    void DetachBuffer();
    CTextBuffer* GetBuffer() const { return m_pTextBuffer; }
    // Appends at the end as one undo group, the cursor and an empty selection at the end of the
    // new text. Does not scroll: call ScrollIntoView to show the end.
    void AppendText(const char* text);
    BOOL DeleteBufferLine(int line);

    // ---- Settings ----
    void SetMarginVisible(BOOL visible);
    BOOL IsMarginVisible() const { return m_bSelMargin; }
    int GetMarginWidth() const { return m_bSelMargin ? 20 : 1; }
    void SetTabSize(int tabSize);  // below 1 is ignored
    int GetTabSize() const { return m_nTabSize; }
    void SetShowTabs(BOOL show);
    BOOL GetShowTabs() const { return m_bViewTabs; }
    void SetSmoothScroll(BOOL smooth) { m_bSmoothScroll = smooth; }
    BOOL GetSmoothScroll() const { return m_bSmoothScroll; }
    void SetWordWrap(BOOL wrap);
    BOOL GetWordWrap() const { return m_bWordWrap; }
    void SetBaseFont(const LOGFONTA& font);
    void GetBaseFont(LOGFONTA& font) const { font = m_lfBaseFont; }
    void SetCursorMarkVisible(BOOL visible);
    // Changing the kind forgets the parse states and redraws.
    void SetParserKind(int kind);
    int GetParserKind() const { return m_nParserKind; }
    BOOL IsDragDisabled() const { return m_bDisableDragAndDrop; }
    void SetDragDisabled(BOOL disabled) { m_bDisableDragAndDrop = disabled; }
    // Draws the selection while the view has no focus (a dialog over it).
    void SetShowInactiveSelection(BOOL show);

    // ---- Layout ----
    int GetLineHeight();
    int GetCharWidth();  // at least 1
    int GetTopLine() const { return m_nTopLine; }
    int GetFirstColumn() const { return m_nOffsetChar; }
    int GetVisibleLineCount();    // whole rows in the client area; 0 without a window
    int GetVisibleColumnCount();  // whole columns right of the margin
    int GetMaxLineColumns();      // the widest line; measures only the lines not measured yet
    int ColumnOfChar(int line, int charIndex);
    // The char a column falls on; inside a tab, the nearer edge.
    int CharOfColumn(int line, int column);
    // The char under a client point (no rounding) and a position's client point.
    CPoint PointToTextPos(CPoint point);
    CPoint TextPosToPoint(CPoint position);
    // The parse state at the end of the line (cached); 0 for a line before the first.
    int GetLineParseState(int line);
    void InvalidateLineRange(int firstLine, int lastLine);  // lastLine -1: to the bottom
    int TextPosToOffset(CPoint position);
    CPoint OffsetToTextPos(int offset);

    // ---- Printing: the pages of the text in the print description's drawing rectangle ----
    // Splits the text into pages inside the margins of the page setup (profile section
    // "Editor\PageSetup", hundredths of a millimetre) and the header and footer bands.
    void LayoutPages(CDC* dc, CPrintInfo* info);
    // The height the line takes printed in the print area's width (word-wrapped).
    int GetPrintLineHeight(CDC* dc, int line);
    int GetPrintPageCount() const { return static_cast<int>(m_printPages.size()); }
    const CRect& GetPrintArea() const { return m_rcPrintArea; }
    int GetPrintLineHeight() const { return m_nPrintLineHeight; }

    // ---- Scrolling ----
    void ScrollToLine(int topLine, BOOL noSmoothScroll = FALSE, BOOL updateScrollBar = TRUE);
    void ScrollToColumn(int firstColumn, BOOL noSmoothScroll = FALSE, BOOL updateScrollBar = TRUE);
    void ScrollIntoView(CPoint position);
    void UpdateVertScrollBar(BOOL positionOnly = FALSE);
    void UpdateHorzScrollBar(BOOL positionOnly = FALSE);
    void ScrollLineUp();
    void ScrollLineDown();
    void ScrollColumnLeft();
    void ScrollColumnRight();

    // ---- Caret, cursor and selection ----
    void RefreshCaret();
    void ShowCursor();
    void HideCursor();
    CPoint GetCursorPos() const { return m_ptCursorPos; }
    void SetCursorPos(CPoint position);  // also the column vertical moves keep
    CPoint GetAnchor() const { return m_ptAnchor; }
    void SetAnchor(CPoint position) { m_ptAnchor = position; }
    void SetSelection(CPoint start, CPoint end);
    void GetSelection(CPoint& start, CPoint& end);  // ordered
    BOOL HasSelection() const { return m_ptSelStart != m_ptSelEnd; }
    BOOL IsPosSelected(CPoint position);
    BOOL IsCharSelected(int charIndex, int line) const;  // on the ordered selection

    // ---- Moves: each with or without extending the selection ----
    void MoveLeft(BOOL extend);
    void MoveRight(BOOL extend);
    void MoveWordLeft(BOOL extend);
    void MoveWordRight(BOOL extend);
    void MoveUp(BOOL extend);
    void MoveDown(BOOL extend);
    void MovePageUp(BOOL extend);
    void MovePageDown(BOOL extend);
    void MoveHome(BOOL extend);
    void MoveEnd(BOOL extend);
    void MoveTextBegin(BOOL extend);
    void MoveTextEnd(BOOL extend);
    void SelectToEnd();  // select all, the cursor at the end
    void CopySelection();

    // ---- Words: letters, digits and "_"; the braced kind also counts "{" and "}" ----
    CPoint WordStart(CPoint position);
    CPoint WordEnd(CPoint position);
    CPoint BracedWordStart(CPoint position);
    CPoint BracedWordEnd(CPoint position);
    CString GetWordAtPoint(CPoint point);
    CString GetBracedWordAtPoint(CPoint point);

    // ---- Find: flags FIND_MATCH_CASE, FIND_WHOLE_WORD, FIND_DIRECTION_UP (TextSearch.h) ----
    BOOL FindText(const char* text, CPoint start, DWORD flags, BOOL wrap, CPoint& found);
    BOOL FindTextInRange(const char* text, CPoint start, CPoint begin, CPoint end, DWORD flags, BOOL wrap,
                         CPoint& found);
    static int FindWordInString(const char* haystack, const char* needle, BOOL wholeWord);
    // The cursor after the found text, the text selected and scrolled into view.
    void SelectFoundText(CPoint position, int length);
    // Where a search from the position starts: upwards from a match just found, before it (else
    // the match is found again).
    CPoint GetSearchStart(CPoint position, DWORD flags);
    // "Cannot find string" with the text, for the failure's message box.
    CString GetNotFoundMessage(const char* text);
    BOOL HasLastSearch() const { return m_bLastSearch; }
    const CString& GetLastSearchText() const { return m_lastFindWhat; }
    DWORD GetLastSearchFlags() const { return m_dwLastSearchFlags; }

protected:
    // Message and command handlers.
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    UINT OnGetDlgCode();
    void OnSysColorChange();
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnTimer(UINT_PTR id);
    void OnMoveCommand(UINT id);
    void OnToggleBookmark(UINT id);
    void OnGoBookmark(UINT id);
    void OnClearBookmarks();
    void OnToggleFlagBookmark();
    void OnNextFlagBookmark();
    void OnPrevFlagBookmark();
    void OnClearFlagBookmarks();
    void OnUpdateFlagBookmarkCommand(CCmdUI* ui);
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* ui);
    void OnEditSelectAll();
    void OnUpdateEditSelectAll(CCmdUI* ui);
    void OnEditFind();
    void OnEditRepeat();
    void OnFindPrevious();
    void OnUpdateFindCommand(CCmdUI* ui);
    void OnUpdateIndicatorPosition(CCmdUI* ui);
    void OnUpdateIndicatorCrlf(CCmdUI* ui);
    void OnFilePageSetup();
    DECLARE_MESSAGE_MAP()

    // The styled font: index underline * 4 + italic * 2 + bold; the window's font when it cannot
    // be made.
    CFont* GetStyledFont(BOOL italic, BOOL bold, BOOL underline);
    // count chars of a line from firstChar as they are shown: tabs as blanks to the next stop,
    // and visible marks with show tabs.
    void ExpandTabsForDisplay(int line, int firstChar, int count, CString& out);
    // The common end of every cursor move.
    void FinishMove(BOOL extend, BOOL keepColumn = FALSE);
    // One line up (-1) or down (1) in the column vertical moves keep.
    void MoveVertically(int step, BOOL extend);
    // The ordered selection from the selection: run by everything that moves its ends.
    void OrderSelection();
    void InvalidateSelection();
    // The text position under a client point rounded to the nearer char edge.
    CPoint RoundedTextPos(CPoint point);
    // Widens to whole words from the earlier of cursor and anchor to the later: the cursor goes to
    // the end; answers the start.
    CPoint SelectWordsAround();
    // Whole lines from the anchor's line to the pointer's; the cursor at char 0 of the pointer's
    // line, or at the far end of the selection.
    void SelectLinesAround(int pointerLine, BOOL cursorAtFarEnd);
    // Char 0 of the line after, or the end of the text after the last line.
    CPoint LineAfter(int line);
    void BeginDragSelect(BOOL lineSelection, BOOL wordSelection);
    void EndDragSelect();
    // The cursor, the anchor and an empty selection at char 0 of the line, shown.
    void GoToLineStart(int line);
    // Finds the last search text once from the cursor; the message box when it is not there.
    void FindNext(DWORD flags);
    void Rewrap(int width);
    void CalcLineMetrics();
    // The eight styled fonts, the line bitmap and every metric measured with them go: they are
    // made again from the base font when next needed.
    void ForgetFonts();
    // The lines from fromLine on changed width (all of them by default): the widest line is kept
    // when it lies before them, else every line is measured again.
    void ForgetMaxLineColumns(int fromLine = 0);
    // One piece of a row in one colour index, split where the selection starts and ends; the
    // origin and its column move past it.
    void DrawPiece(CDC* dc, const CRect& rect, int line, int from, int to, int colorIndex, COLORREF lineText,
                   BOOL allowUnderline, int& x, int& column);
    void DrawChars(CDC* dc, const CRect& rect, int line, int from, int to, int& x, int& column);

    // State, as the edit view and the control use it.
    BOOL m_bLastSearch;
    BOOL m_bCursorMark;
    DWORD m_dwLastSearchFlags;
    CString m_lastFindWhat;
    BOOL m_bCursorHidden;
    CBitmap m_lineBitmap;
    int m_nLineHeight;
    int m_nCharWidth;
    int m_nTabSize;
    BOOL m_bViewTabs;
    BOOL m_bSelMargin;
    BOOL m_bWordWrap;
    int m_nScreenLines;
    int m_nScreenChars;
    int m_nMaxLineColumns;  // the widest of the lines measured so far, 0 before any
    int m_nIdealColumn;  // kept by vertical moves, -1: the cursor's
    BOOL m_bFocused;
    CPoint m_ptAnchor;
    LOGFONTA m_lfBaseFont;
    CFont m_styledFonts[8];
    BOOL m_styledFontMade[8];
    std::vector<int> m_parseStates;  // per line, -1: not computed; may be shorter than the text
    std::vector<int> m_lineColumns;  // per line, -1: not computed; may be shorter than the text
    BOOL m_bPreparingToDrag;
    BOOL m_bDraggingText;
    BOOL m_bDragSelection;
    BOOL m_bWordSelection;
    BOOL m_bLineSelection;
    UINT_PTR m_nDragSelTimer;
    CPoint m_ptDrawSelStart;  // m_ptSelStart and m_ptSelEnd ordered, kept by OrderSelection
    CPoint m_ptDrawSelEnd;
    CPoint m_ptCursorPos;
    CPoint m_ptSelStart;
    CPoint m_ptSelEnd;
    BOOL m_bBookmarkExist;
    CImageList m_marginIcons;
    BOOL m_bMarginIconsTried;
    CTextBuffer* m_pTextBuffer;
    HACCEL m_hAccel;  // a resource table: never destroyed
    CPoint m_ptDraggedTextBegin;
    CPoint m_ptDraggedTextEnd;
    BOOL m_bShowInactiveSelection;
    BOOL m_bDisableDragAndDrop;
    BOOL m_bPrintHeader;
    BOOL m_bPrintFooter;
    std::vector<int> m_printPages;  // the first line of each page; empty: not laid out
    CFont m_printFont;              // made by OnBeginPrinting; none: the printer's own
    int m_nPrintLineHeight;
    CRect m_rcPrinter;    // the drawing rectangle, normalised
    CRect m_rcPrintArea;  // inside the margins, header and footer bands
    int m_nTopLine;
    int m_nOffsetChar;  // the first column shown
    BOOL m_bSmoothScroll;
    int m_nParserKind;

    // The margin or the hot-word cursor, made once from its cursor image in the resource module.
    HCURSOR LoadViewCursor(UINT id);

private:
    // The bar over `total` lines or columns of which `visible` are shown from `first` on.
    void UpdateScrollBar(int bar, int total, int visible, int& first, BOOL positionOnly);
    // Sets a scroll bar unless it shows these values already: a redrawn bar costs a repaint.
    void SetScrollBar(int bar, const SCROLLINFO& info);

    ScopedCursor marginCursor_, hotWordCursor_;
    int widestLine_;     // the line m_nMaxLineColumns was measured on, -1: none wider than 0
    int measuredLines_;  // m_nMaxLineColumns covers the lines before this one
    SCROLLINFO shownBars_[2];  // what the horizontal and the vertical bar show, once set
    bool barsSet_[2];
    CTextBlockList blocks_;  // one row's blocks, reused: a long line needs more than a stack holds
    std::string expanded_;   // one piece of a row as drawn, reused
};
