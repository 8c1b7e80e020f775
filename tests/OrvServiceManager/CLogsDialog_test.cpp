#include "OrvServiceManager/CLogsDialog.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "common/AppData.h"
#include "common/Clock.h"
#include "controls/texteditor/TextBuffer.h"
#include "support/GuiTestSupport.h"
#include "support/ManagerTestSupport.h"
#include <gtest/gtest.h>
#include <memory>

using namespace testing_support;

namespace {
Watchdog watchdog(60);

CTime g_now;
CTime Now() { return g_now; }

std::string Lines(const char* prefix, int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += std::string(prefix) + " " + std::to_string(i) + "\r\n";
    return text;
}

class LogsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_now = CTime(2024, 3, 10, 12, 0, 0);
        Clock::SetSource(&Now);
        AppData::GetLogsFolder();  // made by the first use
    }
    void TearDown() override {
        page_.reset();
        Clock::SetSource(nullptr);
    }
    void Open() {
        page_.reset(new CLogsDialog);
        ASSERT_TRUE(page_->Create(IDD_LOGS, &host_));
        page_->ShowWindow(SW_SHOW);
        editor_ = dynamic_cast<CTextEditorCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(page_->m_hWnd, IDC_LOG_EDITOR)));
        ASSERT_TRUE(editor_ != nullptr) << "the page's view is the text editor control";
    }
    void Tick() { page_->SendMessage(WM_TIMER, CLogsDialog::kTimerId); }
    std::string Shown() const {
        CString text;
        editor_->GetText(text);
        return text.str();
    }
    int UndoRecords() const { return editor_->GetBuffer()->GetUndoRecordCount(); }
    bool EndIsShown() const {
        const int last = editor_->GetLineCount() - 1;
        return editor_->GetTopLine() <= last && last < editor_->GetTopLine() + editor_->GetVisibleLineCount();
    }

    ManagerDataScope data_;
    PageHost host_;
    MessageBoxRecorder boxes_;
    std::unique_ptr<CLogsDialog> page_;
    CTextEditorCtrl* editor_ = nullptr;
};
}  // namespace

TEST_F(LogsPageTest, AReadOnlyLogViewGetsWhatEachRefreshReadAsOnePieceAndShowsItsEnd) {
    Open();  // no log file yet
    EXPECT_EQ("", Shown());
    EXPECT_TRUE(editor_->IsReadOnly());
    EXPECT_TRUE(editor_->GetBuffer()->IsReadOnly());
    EXPECT_FALSE(editor_->IsMarginVisible());
    EXPECT_EQ(static_cast<int>(CTextView::ParserLog), editor_->GetParserKind());
    CRect area;
    editor_->GetWindowRect(&area);
    page_->ScreenToClient(&area);
    EXPECT_EQ(CPoint(8, 10), area.TopLeft());

    const struct {
        std::string added;  // to the current month's file
        std::string shown;  // added to the view
        int undoRecords;    // added by the refresh
    } cases[] = {
        {"2024 Mar 10, 12:00  Error: Task1 could not start.\r\n", "2024 Mar 10, 12:00  Error: Task1 could not start.\r\n", 1},
        {Lines("mar", 50), Lines("mar", 50), 1},
        {"", "", 0},
        {"still being writ", "", 0},  // a line waits for its end
        {"ten\r\n" + Lines("later", 200), "still being written\r\n" + Lines("later", 200), 1},
    };
    std::string expected;
    for (const auto& c : cases) {
        data_.AppendToLog("2024-03.log", c.added);
        const int before = UndoRecords();
        Tick();
        expected += c.shown;
        EXPECT_EQ(expected, Shown());
        EXPECT_EQ(before + c.undoRecords, UndoRecords());
        EXPECT_TRUE(EndIsShown()) << editor_->GetTopLine();
    }
    EXPECT_GT(editor_->GetTopLine(), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(LogsPageTest, AMonthChangeOrAShrunkFileEmptiesTheViewBeforeBothMonthsAreShown) {
    const struct {
        const char* what;
        void (*change)(const ManagerDataScope&);
        std::string shown;
    } cases[] = {
        {"the current file replaced by a shorter one",
         [](const ManagerDataScope& data) { WriteFileBytes(data.LogFile("2024-03.log"), "new\r\n"); },
         Lines("feb", 2) + "new\r\n"},
        {"April begins", [](const ManagerDataScope&) { g_now = CTime(2024, 4, 1, 0, 1, 0); }, Lines("mar", 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        g_now = CTime(2024, 3, 10, 12, 0, 0);
        WriteFileBytes(data_.LogFile("2024-02.log"), Lines("feb", 2));
        WriteFileBytes(data_.LogFile("2024-03.log"), Lines("mar", 3));
        Open();
        data_.AppendToLog("2024-03.log", Lines("mar", 4).substr(Lines("mar", 3).size()));
        Tick();
        ASSERT_EQ(Lines("feb", 2) + Lines("mar", 4), Shown());
        c.change(data_);
        Tick();
        EXPECT_EQ(c.shown, Shown());
        // A new buffer: nothing of the old text is left, its undo records neither.
        EXPECT_EQ(1, UndoRecords());
        EXPECT_TRUE(editor_->GetBuffer()->IsReadOnly());
    }
    // April's file, made after the change, is read from its start.
    data_.AppendToLog("2024-04.log", "apr\r\n");
    Tick();
    EXPECT_EQ(Lines("mar", 4) + "apr\r\n", Shown());
}

TEST_F(LogsPageTest, AFileThatCannotBeReadIsReportedAndTheViewKeepsWhatItShows) {
    data_.AppendToLog("2024-03.log", "one\r\n");
    Open();
    data_.AppendToLog("2024-03.log", "two\r\n");
    {
        ScopedHandle held = HoldExclusively(data_.LogFile("2024-03.log"));
        Tick();
    }
    ASSERT_EQ(1u, boxes_.Boxes().size());
    EXPECT_EQ(CString("Problem when reading logs. Unable to read new lines from file."), boxes_.Boxes()[0].text);
    EXPECT_EQ("one\r\n", Shown());
    Tick();
    EXPECT_EQ("one\r\ntwo\r\n", Shown());
}
