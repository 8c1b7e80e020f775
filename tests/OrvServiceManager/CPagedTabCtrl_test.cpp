// TEST_SERIAL
#include "OrvServiceManager/CPagedTabCtrl.h"
#include "support/GuiTestSupport.h"
#include "support/TestDialogsRes.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
testing_support::Watchdog watchdog(100);

class CountingPage : public CTabPage {
public:
    int shown = 0;
    void OnPageShown() override { ++shown; }
};

// Records the hooks with their (index, id).
class RecordingTabs : public CPagedTabCtrl {
public:
    std::vector<std::string> hooks;
    void OnPageActivated(int index, int id) override { Note("activated", index, id); }
    void OnPageDeactivated(int index, int id) override { Note("deactivated", index, id); }
    void OnPageDestroyed(int index, int id) override { Note("destroyed", index, id); }

private:
    void Note(const char* what, int index, int id) {
        hooks.push_back(std::string(what) + " " + std::to_string(index) + " " + std::to_string(id));
    }
};

class Host : public CWnd {
public:
    LRESULT notifyAnswer = 0;
    int notified = 0;

protected:
    void OnAnyNotify(NMHDR*, LRESULT* result) {
        ++notified;
        *result = notifyAnswer;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Host, CWnd)
    ON_NOTIFY(NM_CLICK, IDC_TEST_FIRST, OnAnyNotify)
END_MESSAGE_MAP()

class PagedTabTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr));
    }
    void TearDown() override { host.DestroyWindow(); }
    void MakeTabs(CPagedTabCtrl& tabs, DWORD style = 0) {
        ASSERT_TRUE(tabs.Create(WS_VISIBLE | WS_CLIPCHILDREN | style, CRect(10, 10, 410, 310), &host, 100));
    }
    void MakePage(CTabPage& page) { ASSERT_TRUE(page.Create(IDD_TEST_PAGE, &host)); }
    Host host;
};

HWND Item(CWnd& page, int id) { return ::GetDlgItem(page.m_hWnd, id); }
}  // namespace

TEST_F(PagedTabTest, TheFirstPageShowsAtOnceAndEachPageKeepsItsFocus) {
    RecordingTabs tabs;
    MakeTabs(tabs);
    CountingPage pages[3];
    const char* titles[] = {"Set-up", "Tasks", "Logs"};
    for (int i = 0; i < 3; ++i) {
        MakePage(pages[i]);
        EXPECT_EQ(i, tabs.AddPage(titles[i], 10 + i, &pages[i]));
    }
    EXPECT_TRUE(pages[0].IsWindowVisible());
    EXPECT_FALSE(pages[1].IsWindowVisible());
    EXPECT_FALSE(pages[2].IsWindowVisible());
    EXPECT_EQ(&tabs, pages[1].GetParent());
    EXPECT_EQ(3, tabs.GetPageCount());
    EXPECT_EQ(2, tabs.GetPageIndex(12));
    EXPECT_EQ(-1, tabs.GetPageIndex(99));
    CString title;
    EXPECT_TRUE(tabs.GetPageTitle(1, title));
    EXPECT_EQ(CString("Tasks"), title);
    EXPECT_FALSE(tabs.GetPageTitle(3, title));
    EXPECT_EQ(CString(""), title);
    EXPECT_EQ(11, tabs.SetPageId(1, 21));
    EXPECT_EQ(-1, tabs.SetPageId(3, 1));
    EXPECT_EQ(nullptr, tabs.GetPage(-1));

    // The focus is this thread's only while no other test program takes the activation.
    HWND onNewPage = nullptr, backOnFirst = nullptr;
    testing_support::RepeatWhileDisturbed([&](bool& disturbed) {
        testing_support::ActivationWatch watch;
        ::SetFocus(Item(pages[0], IDC_TEST_SECOND));
        EXPECT_TRUE(tabs.ActivatePage(1));
        onNewPage = ::GetFocus();
        EXPECT_FALSE(pages[0].IsWindowVisible());
        EXPECT_TRUE(pages[1].IsWindowVisible());
        EXPECT_TRUE(tabs.ActivatePage(0));
        backOnFirst = ::GetFocus();
        disturbed = watch.Disturbed();
    });
    EXPECT_EQ(Item(pages[1], IDC_TEST_FIRST), onNewPage);  // a new page starts on its first control
    EXPECT_EQ(Item(pages[0], IDC_TEST_SECOND), backOnFirst);
    EXPECT_FALSE(tabs.ActivatePage(3));
    EXPECT_FALSE(tabs.ActivatePage(-1));
    EXPECT_EQ(0, tabs.GetActivePage());
    EXPECT_TRUE(tabs.hooks.empty());  // ActivatePage calls no hooks

    // A tab change made as the user makes it (with notifications) runs the hooks and the page's.
    tabs.SetCurFocus(2);
    EXPECT_EQ(2, tabs.GetActivePage());
    EXPECT_TRUE(pages[2].IsWindowVisible());
    EXPECT_FALSE(pages[0].IsWindowVisible());
    EXPECT_EQ(1, pages[2].shown);
    EXPECT_EQ((std::vector<std::string>{"deactivated 0 10", "activated 2 12"}), tabs.hooks);
}

TEST_F(PagedTabTest, RemovalSelectsANeighbourAndOwnershipDecidesWhatIsDeleted) {
    RecordingTabs tabs;
    MakeTabs(tabs);
    CTabPage own[2];
    MakePage(own[0]);
    MakePage(own[1]);
    ASSERT_EQ(0, tabs.AddPage("one", 1, &own[0]));
    ASSERT_EQ(1, tabs.AddPage("two", 2, &own[1]));
    ASSERT_EQ(2, tabs.AddPage("made", 3, static_cast<UINT>(IDD_TEST_PAGE)));
    EXPECT_EQ(-1, tabs.AddPage("missing", 4, static_cast<UINT>(0x7FFF)));
    EXPECT_EQ(-1, tabs.AddPage("null", 5, static_cast<CTabPage*>(nullptr)));
    ASSERT_EQ(3, tabs.GetPageCount());
    HWND made = tabs.GetPage(2)->m_hWnd;

    ASSERT_TRUE(tabs.ActivatePage(2));
    EXPECT_TRUE(tabs.RemovePage(2));  // the selected last of three: the second is selected
    EXPECT_EQ(1, tabs.GetActivePage());
    EXPECT_TRUE(own[1].IsWindowVisible());
    EXPECT_FALSE(IsWindow(made));
    EXPECT_FALSE(tabs.RemovePage(2));

    EXPECT_TRUE(tabs.RemovePage(0));  // a caller's page: its window goes, the object stays
    EXPECT_EQ(nullptr, own[0].m_hWnd);
    EXPECT_EQ(2, tabs.GetPageId(0));  // "two" moved down with its own id
    EXPECT_TRUE(tabs.RemovePage(0));  // the only tab: nothing is shown
    EXPECT_EQ(0, tabs.GetPageCount());
    EXPECT_EQ(-1, tabs.GetActivePage());
    EXPECT_EQ((std::vector<std::string>{"destroyed 2 3", "destroyed 0 1", "destroyed 0 2"}), tabs.hooks);

    CTabPage survivor;
    MakePage(survivor);
    ASSERT_EQ(0, tabs.AddPage("again", 7, &survivor));
    tabs.DestroyWindow();
    EXPECT_EQ(nullptr, survivor.m_hWnd);
}

TEST_F(PagedTabTest, ThePageFillsTheAreaBesideTheTabs) {
    struct Case {
        DWORD style;
        const char* name;
    } cases[] = {{0, "top"}, {TCS_BOTTOM, "bottom"}, {TCS_VERTICAL | TCS_MULTILINE, "left"},
                 {TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE, "right"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPagedTabCtrl tabs;
        MakeTabs(tabs, c.style);
        CTabPage page;
        MakePage(page);
        ASSERT_EQ(0, tabs.AddPage("Page", 0, &page));
        CRect tab, client, placed;
        tabs.GetItemRect(0, &tab);
        tabs.GetClientRect(&client);
        page.GetWindowRect(&placed);
        tabs.ScreenToClient(&placed);
        int rows = tabs.GetRowCount();
        ASSERT_GT(tab.Width(), 0);
        CRect expected;
        if (c.style & TCS_VERTICAL) {
            int band = tab.Width() * rows;
            int left = (c.style & TCS_RIGHT) ? 4 : band + 4;
            expected = CRect(left, 4, left + client.Width() - band - 8, client.Height() - 4);
        } else {
            int band = tab.Height() * rows;
            int top = (c.style & TCS_BOTTOM) ? 4 : band + 4;
            expected = CRect(4, top, client.Width() - 4, top + client.Height() - band - 8);
        }
        EXPECT_EQ(expected, placed) << placed.left << "," << placed.top << "," << placed.right << "," << placed.bottom;
        tabs.DestroyWindow();
    }
}

TEST_F(PagedTabTest, NotificationsReachingTheTabControlGoOnToItsParent) {
    CPagedTabCtrl tabs;
    MakeTabs(tabs);
    host.notifyAnswer = 9;
    NMHDR header = {host.m_hWnd, IDC_TEST_FIRST, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(9, tabs.SendMessage(WM_NOTIFY, IDC_TEST_FIRST, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(1, host.notified);
}
