#include "OrvServiceManager/CURLLink.h"
#include "OrvServiceManager/TabWidgetsRes.h"
#include "classlib/CWinApp.h"
#include <gtest/gtest.h>

namespace {
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr));
    }
    void TearDown() override { parent.DestroyWindow(); }
    HWND MakeStatic(const char* text, DWORD style) {
        return CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | style, 5, 5, 100, 16, parent.m_hWnd,
                               reinterpret_cast<HMENU>(1078), nullptr, nullptr);
    }
    CWnd parent;
};

LOGFONTA FontOf(HWND hwnd) {
    LOGFONTA lf = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
}
}  // namespace

TEST_F(LinkTest, TheFirstColourQueryUnderlinesTheFontAndEveryOneColoursTheText) {
    LOGFONTA tahoma = {};
    tahoma.lfHeight = -15;
    lstrcpyA(tahoma.lfFaceName, "Tahoma");
    HFONT own = CreateFontIndirectA(&tahoma);
    LOGFONTA gui = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    struct Case {
        const char* name;
        HFONT font;  // null: the control has none
        const LOGFONTA& expected;
    } cases[] = {{"own font", own, tahoma}, {"no font", nullptr, gui}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND hwnd = MakeStatic("About...", SS_NOTIFY);
        if (c.font) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), FALSE);
        CURLLink link;
        ASSERT_TRUE(link.SubclassWindow(hwnd));
        HDC dc = CreateCompatibleDC(nullptr);
        LRESULT brush = parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
        EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), brush);
        EXPECT_EQ(0x00CB7B57u, GetTextColor(dc));
        EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
        LOGFONTA now = FontOf(hwnd);
        EXPECT_TRUE(now.lfUnderline);
        EXPECT_STREQ(c.expected.lfFaceName, now.lfFaceName);
        EXPECT_EQ(c.expected.lfHeight, now.lfHeight);
        // The underlined font is made once.
        LRESULT first = SendMessageA(hwnd, WM_GETFONT, 0, 0);
        parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
        EXPECT_EQ(first, SendMessageA(hwnd, WM_GETFONT, 0, 0));
        DeleteDC(dc);
        link.DestroyWindow();
    }
    DeleteObject(own);
}

TEST_F(LinkTest, TheMouseGetsTheHandAndTheSharedCursorOutlivesTheLinks) {
    HCURSOR shared = LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_LINK_HAND));
    ASSERT_NE(nullptr, shared);
    for (int i = 0; i < 2; ++i) {
        HWND hwnd = MakeStatic("Show Help...", 0);  // no SS_NOTIFY: the static is transparent to the mouse
        CURLLink link;
        ASSERT_TRUE(link.SubclassWindow(hwnd));
        EXPECT_NE(shared, link.GetLinkCursor());  // its own copy
        EXPECT_EQ(HTCLIENT, link.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(10, 10)));
        EXPECT_TRUE(link.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(link.GetLinkCursor(), GetCursor());
        SetCursor(nullptr);
        link.DestroyWindow();
    }
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(shared, &info));
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}
