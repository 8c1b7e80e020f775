// CTextView: printing (the page layout, a page with its header and footer, the printer font) and
// the page-setup command whose margins the layout uses.
#include "controls/texteditor/TextView.h"
#include "classlib/CDC.h"
#include "classlib/CPageSetupDialog.h"
#include "classlib/CPrintInfo.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/TextBuffer.h"

namespace {
const char kPageSetupSection[] = "Editor\\PageSetup";
const int kDefaultMargin = 1000;  // 10 mm

// The page-setup margins in hundredths of a millimetre; the defaults without an application.
CRect ReadMargins() {
    CWinApp* app = AfxGetApp();
    auto read = [app](const char* entry) {
        return app ? static_cast<int>(app->GetProfileInt(kPageSetupSection, entry, kDefaultMargin)) : kDefaultMargin;
    };
    return CRect(read("LeftMargin"), read("TopMargin"), read("RightMargin"), read("BottomMargin"));
}

// A font size scaled from the screen to half the printer's resolution, truncated like the
// integer arithmetic it stands for.
LONG Scale(LONG size, int printerDpi, int screenDpi) {
    return screenDpi > 0 ? static_cast<LONG>(static_cast<long long>(size) * printerDpi / (2LL * screenDpi)) : size;
}

// The header and footer bands: one and a half print lines.
int BandHeight(int lineHeight) { return lineHeight / 2 + lineHeight; }
}  // namespace

void CTextView::OnFilePageSetup() {
    CPageSetupDialog dialog(PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS | PSD_DISABLEPAPER | PSD_DISABLEORIENTATION |
                                PSD_NOWARNING,
                            this);
    dialog.m_psd.rtMargin = ReadMargins();
    if (dialog.DoModal() != IDOK) return;
    CWinApp* app = AfxGetApp();
    if (!app) return;
    RECT margins;
    dialog.GetMargins(&margins, nullptr);
    app->WriteProfileInt(kPageSetupSection, "LeftMargin", margins.left);
    app->WriteProfileInt(kPageSetupSection, "RightMargin", margins.right);
    app->WriteProfileInt(kPageSetupSection, "TopMargin", margins.top);
    app->WriteProfileInt(kPageSetupSection, "BottomMargin", margins.bottom);
}

void CTextView::LayoutPages(CDC* dc, CPrintInfo* info) {
    m_printPages.clear();
    if (!dc || !info) return;
    m_rcPrinter = info->m_rectDraw;
    m_rcPrinter.NormalizeRect();
    m_nPrintLineHeight = dc->GetTextExtent("X", 1).cy;

    const CRect margins = ReadMargins();
    CSize leftTop(margins.left, margins.top), rightBottom(margins.right, margins.bottom);
    dc->HIMETRICtoDP(&leftTop);
    dc->HIMETRICtoDP(&rightBottom);
    m_rcPrintArea = CRect(m_rcPrinter.left + leftTop.cx, m_rcPrinter.top + leftTop.cy,
                          m_rcPrinter.right - rightBottom.cx, m_rcPrinter.bottom - rightBottom.cy);
    if (m_bPrintHeader) m_rcPrintArea.top += BandHeight(m_nPrintLineHeight);
    if (m_bPrintFooter) m_rcPrintArea.bottom -= BandHeight(m_nPrintLineHeight);

    m_printPages.push_back(0);
    int y = m_rcPrintArea.top + GetPrintLineHeight(dc, 0);
    for (int line = 1, count = GetLineCount(); line < count; ++line) {
        const int height = GetPrintLineHeight(dc, line);
        if (y + height > m_rcPrintArea.bottom) {
            m_printPages.push_back(line);
            y = m_rcPrintArea.top + height;
        } else {
            y += height;
        }
    }
}

int CTextView::GetPrintLineHeight(CDC* dc, int line) {
    const int length = GetLineLength(line);
    if (length == 0 || !dc) return m_nPrintLineHeight;
    CString text;
    ExpandTabsForDisplay(line, 0, length, text);
    CRect rect(m_rcPrintArea.left, 0, m_rcPrintArea.right, 0);
    dc->DrawText(text, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return rect.Height();
}

void CTextView::OnPrint(CDC* dc, CPrintInfo* info) {
    if (!dc || !info) return;
    if (m_printPages.empty()) LayoutPages(dc, info);
    const int count = GetPrintPageCount(), page = static_cast<int>(info->m_nCurPage);
    if (page < 1 || page > count) {
        // Past the last page: nothing to draw, and the host stops here.
        info->m_bContinuePrinting = FALSE;
        return;
    }
    const int first = m_printPages[page - 1], end = page < count ? m_printPages[page] : GetLineCount();
    if (m_bPrintHeader) PrintHeader(dc, page);
    if (m_bPrintFooter) PrintFooter(dc, page);
    int y = m_rcPrintArea.top;
    for (int line = first; line < end; ++line) {
        const int length = GetLineLength(line);
        if (length == 0) {
            y += m_nPrintLineHeight;
            continue;
        }
        CString text;
        ExpandTabsForDisplay(line, 0, length, text);
        CRect rect(m_rcPrintArea.left, y, m_rcPrintArea.right, m_rcPrintArea.bottom);
        y += dc->DrawText(text, &rect, DT_WORDBREAK | DT_NOPREFIX);
    }
}

void CTextView::PrintHeader(CDC* dc, int page) {
    CString text;
    GetPrintHeaderText(page, text);
    if (text.IsEmpty() || !dc) return;
    CRect band(m_rcPrintArea.left, m_rcPrintArea.top - BandHeight(m_nPrintLineHeight), m_rcPrintArea.right,
               m_rcPrintArea.top);
    dc->DrawText(text, &band, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CTextView::PrintFooter(CDC* dc, int page) {
    CString text;
    GetPrintFooterText(page, text);
    if (text.IsEmpty() || !dc) return;
    CRect band(m_rcPrintArea.left, m_rcPrintArea.bottom, m_rcPrintArea.right,
               m_rcPrintArea.bottom + BandHeight(m_nPrintLineHeight));
    dc->DrawText(text, &band, DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
}

void CTextView::GetPrintHeaderText(int, CString& text) { text.Empty(); }

void CTextView::GetPrintFooterText(int page, CString& text) { text.Format("Page %d/%d", page, GetPrintPageCount()); }

void CTextView::OnPrepareDC(CDC*, CPrintInfo* info) {
    if (info) info->m_bContinuePrinting = m_printPages.empty() || static_cast<int>(info->m_nCurPage) <= GetPrintPageCount();
}

BOOL CTextView::OnPreparePrinting(CPrintInfo*) { return FALSE; }

void CTextView::OnBeginPrinting(CDC* dc, CPrintInfo*) {
    m_printFont.DeleteObject();
    if (!dc || !dc->GetSafeHdc()) return;
    LOGFONTA font = {};
    if (!GetStyledFont(FALSE, FALSE, FALSE)->GetLogFont(&font)) return;
    CClientDC screen(nullptr);
    font.lfHeight = Scale(font.lfHeight, dc->GetDeviceCaps(LOGPIXELSY), screen.GetDeviceCaps(LOGPIXELSY));
    font.lfWidth = Scale(font.lfWidth, dc->GetDeviceCaps(LOGPIXELSX), screen.GetDeviceCaps(LOGPIXELSX));
    if (m_printFont.CreateFontIndirect(&font)) dc->SelectObject(&m_printFont);
}

void CTextView::OnEndPrinting(CDC* dc, CPrintInfo*) {
    if (m_printFont.GetSafeHandle()) {
        // A font still selected cannot be deleted.
        if (dc && dc->GetSafeHdc() && GetCurrentObject(dc->GetSafeHdc(), OBJ_FONT) == m_printFont.GetSafeHandle())
            dc->SelectObject(GetStockObject(SYSTEM_FONT));
        m_printFont.DeleteObject();
    }
    m_printPages.clear();
    m_nPrintLineHeight = 0;
}
