#include "classlib/CPrintInfo.h"
#include "classlib/CWinApp.h"
#include "controls/texteditor/TextView.h"
#include "tests/support/DibCanvas.h"
#include "tests/support/TextViewTestSupport.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {
class PrintView : public CTextView {
public:
    const std::vector<int>& Pages() const { return m_printPages; }
};

const int kWidth = 400;
const COLORREF kWhite = RGB(255, 255, 255);

// A page of a memory "printer": 20 lines, line 8 long enough to take three print lines, in a
// fixed font, with the page-setup margins of the profile (1 inch top and bottom, half an inch
// left and right) and room for ten print lines between them and the footer band.
class PrintTest : public ::testing::Test {
protected:
    PrintTest() : app("PrintTest"), host(MakeText().c_str()) {
        app.SetRegistryKey("Orvanti Tests");
        app.WriteProfileInt(kSection, "TopMargin", 2540);
        app.WriteProfileInt(kSection, "BottomMargin", 2540);
        app.WriteProfileInt(kSection, "LeftMargin", 1270);
        app.WriteProfileInt(kSection, "RightMargin", 1270);
        font.CreateFont(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH, "Courier New");
        probe.Attach(probeCanvas.Dc());
        probe.SelectObject(&font);
        dpi = probe.GetDeviceCaps(LOGPIXELSY);
        lineHeight = probe.GetTextExtent("X", 1).cy;
        height = 2 * dpi + lineHeight / 2 + lineHeight + 10 * lineHeight + lineHeight / 2;
        info.m_rectDraw = CRect(0, 0, kWidth, height);
    }
    ~PrintTest() override { SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvanti Tests\\PrintTest"); }
    static std::string MakeText() {
        std::string text;
        for (int i = 0; i < 20; ++i) {
            if (i == 8)
                for (int w = 0; w < 15; ++w) text += "word ";
            else
                text += "line";
            if (i < 19) text += "\r\n";
        }
        return text;
    }
    // The rectangle holding every pixel that is not white between the rows.
    CRect Ink(const testing_support::DibCanvas& canvas, int top, int bottom) {
        CRect ink(kWidth, bottom, 0, top);
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (canvas.Pixel(x, y) != kWhite)
                    ink = CRect(std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                                std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1));
        return ink;
    }

    static constexpr const char* kSection = "Editor\\PageSetup";
    CWinApp app;
    testing_support::TextViewHost<PrintView> host;
    CFont font;
    testing_support::DibCanvas probeCanvas{10, 10};
    CDC probe;
    int dpi = 0, lineHeight = 0, height = 0;
    CPrintInfo info;
};
}  // namespace

TEST_F(PrintTest, APageHoldsTheLinesThatFitAndALongLineMovesToTheNextPageWhole) {
    host.view.LayoutPages(&probe, &info);
    const CRect area = host.view.GetPrintArea();
    EXPECT_EQ(CRect(dpi / 2, dpi, kWidth - dpi / 2, height - dpi - (lineHeight / 2 + lineHeight)), area);
    ASSERT_EQ(3 * lineHeight, host.view.GetPrintLineHeight(&probe, 8));
    EXPECT_EQ((std::vector<int>{0, 8, 16}), host.view.Pages());
    CString footer;
    host.view.GetPrintFooterText(2, footer);
    EXPECT_EQ(CString("Page 2/3"), footer);

    // Without a printer the page setup fails at once and stores nothing.
    app.WriteProfileInt(kSection, "RightMargin", -1);
    host.Command(ID_FILE_PAGE_SETUP);
    EXPECT_EQ(-1, static_cast<int>(app.GetProfileInt(kSection, "RightMargin", 7)));
}

TEST_F(PrintTest, APrintedPageEndsAboveItsFooterAndAPagePastTheLastDrawsNothing) {
    testing_support::DibCanvas canvas(kWidth, height);
    CDC dc;
    dc.Attach(canvas.Dc());
    dc.SelectObject(&font);
    host.view.OnPrint(&dc, &info);
    const CRect area = host.view.GetPrintArea();
    const CRect body = Ink(canvas, 0, area.bottom), footer = Ink(canvas, area.bottom, height);
    EXPECT_GE(body.top, area.top);
    EXPECT_GT(body.bottom, area.top + 7 * lineHeight);  // eight lines
    EXPECT_LE(body.bottom, area.top + 8 * lineHeight);
    ASSERT_FALSE(footer.IsRectEmpty());
    EXPECT_LE(footer.bottom, area.bottom + lineHeight / 2 + lineHeight);
    EXPECT_NEAR((area.left + area.right) / 2, (footer.left + footer.right) / 2, 2);

    for (UINT page : {3u, 4u}) {
        info.m_nCurPage = page;
        host.view.OnPrepareDC(&dc, &info);
        EXPECT_EQ(page == 3, !!info.m_bContinuePrinting) << page;
    }
    canvas.Fill(kWhite);
    host.view.OnPrint(&dc, &info);
    EXPECT_TRUE(Ink(canvas, 0, height).IsRectEmpty());
    EXPECT_FALSE(info.m_bContinuePrinting);
}

TEST_F(PrintTest, ThePrinterFontTakesHalfThePrinterResolutionOverTheScreens) {
    LOGFONTA base = {};
    base.lfHeight = -40;
    base.lfWidth = 20;
    lstrcpyA(base.lfFaceName, "Courier New");
    host.view.SetBaseFont(base);
    testing_support::DibCanvas canvas(10, 10);
    CDC dc;
    dc.Attach(canvas.Dc());
    host.view.OnBeginPrinting(&dc, &info);
    LOGFONTA printed = {};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof(printed), &printed);
    EXPECT_EQ(-20, printed.lfHeight);  // a memory DC has the screen's resolution
    EXPECT_EQ(10, printed.lfWidth);
    host.view.LayoutPages(&dc, &info);
    const HGDIOBJ printerFont = GetCurrentObject(dc, OBJ_FONT);
    host.view.OnEndPrinting(&dc, &info);
    EXPECT_EQ(0, host.view.GetPrintPageCount());
    EXPECT_EQ(0, host.view.GetPrintLineHeight());
    EXPECT_EQ(0u, GetObjectType(printerFont));  // taken out of the DC and deleted
}
