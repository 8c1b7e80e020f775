#include "OrvServiceManager/CTasksDialog.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "common/AppData.h"
#include "common/IniFile.h"
#include "controls/htmllabel/HtmlStatic.h"
#include "support/DibCanvas.h"
#include "support/GuiTestSupport.h"
#include "support/ManagerTestSupport.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <memory>

using namespace testing_support;

namespace {
Watchdog watchdog(100);

// Task1 fails to load (no day), so the list holds Task2 and Task3.
const char kTasks[] =
    "[General]\nTasksCount=3\n"
    "[Task1]\nType=DayScheduled\nDaysCount=0\nHour=9\nMinutes=5\n"
    "[Task2]\nType=Periodical\nInterval=12\nPriority=/s1\nOrvPath=C:\\\\docs\\\\report.orv\nLastRun=2024:1:5;10:0\n"
    "[Task3]\nType=Watch\nPriority=/s3\nOrvPath=\nLastEvent=2024:1:6;8:0\n";
// The same with Task1 mended.
std::string Mended() {
    std::string tasks = kTasks;
    return tasks.replace(tasks.find("DaysCount=0"), 11, "DaysCount=1\nDay1=2");
}

FILETIME WriteTime(const CString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetWriteTime(const CString& path, FILETIME time) {
    ScopedHandle file(CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    SetFileTime(file.Get(), nullptr, nullptr, &time);
}

class TasksPageTest : public ::testing::Test {
protected:
    void Open(const char* tasks) {
        if (tasks) data_.WriteTasks(tasks);
        page_.reset(new CTasksDialog);
        ASSERT_TRUE(page_->Create(IDD_TASKS, &host_));
        page_->ShowWindow(SW_SHOW);
    }
    HWND Item(int id) const { return ::GetDlgItem(page_->m_hWnd, id); }
    void Tick() { page_->SendMessage(WM_TIMER, CTasksDialog::kTimerId); }
    void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
    void Select(int row, bool on = true) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = on ? LVIS_SELECTED : 0;
        SendMessageA(Item(IDC_TASK_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    std::vector<std::string> Rows() const { return ListRows(Item(IDC_TASK_LIST)); }
    std::string Status() const {
        char text[256] = "";
        GetWindowTextA(Item(IDC_TASK_STATUS), text, sizeof(text));
        return text;
    }
    // Red pixels of the status line as its label draws them; -1 when the line is no HTML label.
    int RedInk() const {
        CHtmlStatic* label = dynamic_cast<CHtmlStatic*>(CWnd::FromHandlePermanent(Item(IDC_TASK_STATUS)));
        if (!label) return -1;
        RECT area;
        label->GetClientRect(&area);
        label->UpdateWindow();
        DibCanvas canvas(area.right, area.bottom);
        label->DrawOutput(canvas.Dc());
        return canvas.Count(RGB(255, 0, 0));
    }
    // "NER" for New, Edit and Remove enabled, '-' for each that is not.
    std::string Buttons() const {
        std::string shown;
        const int ids[] = {IDC_NEW_TASK, IDC_EDIT_TASK, IDC_REMOVE_TASK};
        for (int i = 0; i < 3; ++i) shown += IsWindowEnabled(Item(ids[i])) ? "NER"[i] : '-';
        return shown;
    }
    CString Key(const char* section, const char* key) const {
        return IniFile(data_.TasksIni()).ReadString(section, key, "(none)");
    }

    ServiceStateScope state_{2};
    ManagerDataScope data_;
    PageHost host_;
    MessageBoxRecorder boxes_;
    std::unique_ptr<CTasksDialog> page_;
};
}  // namespace

TEST_F(TasksPageTest, ListsTheTasksAndFollowsTheServiceAndTheSelection) {
    Open(kTasks);
    EXPECT_EQ((std::vector<std::string>{"1|Periodical|Jan 05, 10:00|report.orv|Runs every 12 hour(s).",
                                        "2|Watch|||Runs when content being watched is modified."}),
              Rows());
    const char* const changeable = "To add a new task click New. To modify a task select it and click Edit.";
    const struct {
        int state;
        const char* status;
        const char* none;
        const char* one;
        bool red;
    } cases[] = {
        {2, changeable, "N--", "NER", false},
        {1, "<font color=red>You cannot modify tasks while the service is running.</font>", "---", "---", true},
        {0, changeable, "N--", "NER", false},
    };
    for (const auto& c : cases) {
        state_.Set(c.state);
        Tick();
        EXPECT_EQ(c.status, Status()) << c.state;
        const int red = RedInk();
        ASSERT_GE(red, 0) << "the status line is bound to the HTML label";
        EXPECT_EQ(c.red, red > 0) << c.state;
        EXPECT_EQ(c.none, Buttons()) << c.state;
        Select(1);  // the list's change notification refreshes at once
        EXPECT_EQ(c.one, Buttons()) << c.state;
        Select(1, false);
    }

    // A double click while the service runs opens nothing but the reason.
    state_.Set(1);
    Select(0);
    NMHDR click = {Item(IDC_TASK_LIST), IDC_TASK_LIST, static_cast<UINT>(NM_DBLCLK)};
    page_->SendMessage(WM_NOTIFY, IDC_TASK_LIST, reinterpret_cast<LPARAM>(&click));
    ASSERT_EQ(1u, boxes_.Boxes().size());
    EXPECT_EQ(CString("Problem when editing task: To complete the operation the service cannot be running."),
              boxes_.Boxes()[0].text);
}

TEST_F(TasksPageTest, TheFileIsReadAgainWhenItsTimeOrSizeDiffersFromTheLastLoad) {
    Open(kTasks);
    Select(0);  // the selected task stays selected while the file holds it
    const FILETIME loaded = WriteTime(data_.TasksIni());
    const struct {
        const char* lastRun;
        LONGLONG later;  // 100 ns units after the loaded file's time
        const char* shown;
    } cases[] = {
        {"2024:1:5;10:30", 0, "Jan 05, 10:30"},      // the same time, another size
        {"2024:1:5;10:31", 10000, "Jan 05, 10:31"},  // the same size, a millisecond later
    };
    for (const auto& c : cases) {
        std::string tasks = kTasks;
        tasks.replace(tasks.find("2024:1:5;10:0"), 13, c.lastRun);
        data_.WriteTasks(tasks.c_str());
        ULARGE_INTEGER time = {{loaded.dwLowDateTime, loaded.dwHighDateTime}};
        time.QuadPart += c.later;
        SetWriteTime(data_.TasksIni(), FILETIME{time.LowPart, time.HighPart});
        Tick();
        EXPECT_EQ(std::string("1|Periodical|") + c.shown + "|report.orv|Runs every 12 hour(s).", Rows().at(0));
        EXPECT_EQ(0, page_->GetSelectedIndex());
        EXPECT_EQ("NER", Buttons());
    }

    // Hidden, the page waits until it is shown again. Task1 now loads: the selected task moves
    // to the second row.
    page_->ShowWindow(SW_HIDE);
    data_.WriteTasks(Mended().c_str());
    Tick();
    EXPECT_EQ(2u, Rows().size());
    page_->ShowWindow(SW_SHOW);
    page_->OnPageShown();
    EXPECT_EQ(3u, Rows().size());
    EXPECT_EQ(1, page_->GetSelectedIndex());
    EXPECT_EQ("NER", Buttons());

    // Another program changed the selected task: nothing is selected.
    std::string changed = Mended();
    data_.WriteTasks(changed.replace(changed.find("Interval=12"), 11, "Interval=13").c_str());
    Tick();
    EXPECT_EQ(-1, page_->GetSelectedIndex());
    EXPECT_EQ("N--", Buttons());

    // A file deleted meanwhile holds no tasks any more.
    ASSERT_TRUE(DeleteFileA(data_.TasksIni()));
    Tick();
    EXPECT_TRUE(Rows().empty());
}

// Windows' list view reports a change for every text it sets; Wine's does not, so the test's
// list does it the way Windows does.
WNDPROC g_listProc = nullptr;
LRESULT CALLBACK NotifyingList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(g_listProc, list, message, wParam, lParam);
    if (message == LVM_SETITEMTEXTA) {
        NMLISTVIEW change = {};
        change.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), static_cast<UINT>(LVN_ITEMCHANGED)};
        change.iItem = static_cast<int>(wParam);
        change.uChanged = LVIF_TEXT;
        SendMessageA(GetParent(list), WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
    }
    return result;
}

TEST_F(TasksPageTest, FillingTheListNeverRefreshesFromItsOwnNotifications) {
    Open(kTasks);
    g_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Item(IDC_TASK_LIST), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyingList)));
    data_.WriteTasks(Mended().c_str());
    const int before = state_.Queries();
    Tick();
    EXPECT_EQ(3u, Rows().size());
    EXPECT_EQ(before + 1, state_.Queries());  // the tick's own look at the service, no other
    SetWindowLongPtrA(Item(IDC_TASK_LIST), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
}

TEST_F(TasksPageTest, AnEditWritesTheSectionItCameFromAndOnlyWhileTheServiceIsStopped) {
    const struct {
        int stateMeanwhile;
        const char* refusal;
    } cases[] = {{2, nullptr}, {1, "Problem when editing task: To complete the operation the service cannot be running."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stateMeanwhile);
        state_.Set(2);
        Open(kTasks);
        Select(0);  // Task2
        ModalAnswerer editor("Task Properties", [&](HWND dialog) {
            // While the editor is open, Task1 is mended and the timer reloads the list, so the
            // edited task moves to the second row; the service may be started too.
            data_.WriteTasks(Mended().c_str());
            Tick();
            state_.Set(c.stateMeanwhile);
            SetWindowTextA(FindControl(dialog, IDC_INTERVAL), "30");
            PostCommand(dialog, IDC_TASK_OK);
            return true;
        });
        Click(IDC_EDIT_TASK);
        EXPECT_EQ(1, editor.Answered());
        EXPECT_EQ(CString("DayScheduled"), Key("Task1", "Type"));
        EXPECT_EQ(CString("1"), Key("Task1", "DaysCount"));
        if (c.refusal) {
            ASSERT_FALSE(boxes_.Boxes().empty());
            EXPECT_EQ(CString(c.refusal), boxes_.Boxes().back().text);
            EXPECT_EQ(CString("12"), Key("Task2", "Interval"));
        } else {
            EXPECT_EQ(CString("30"), Key("Task2", "Interval"));
            EXPECT_EQ(CString("2024:1:5;10:0"), Key("Task2", "LastRun"));
            EXPECT_EQ("2|Periodical|Jan 05, 10:00|report.orv|Runs every 30 hour(s).", Rows().at(1));
        }
    }
}

TEST_F(TasksPageTest, NewAppendsTheFirstSectionAndRemoveAsksFirst) {
    Open(nullptr);
    {
        ModalAnswerer cancel("New Task", IDCANCEL);
        Click(IDC_NEW_TASK);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(data_.TasksIni()));
    {
        ModalAnswerer type("New Task", [](HWND dialog) {
            CheckRadioButton(dialog, IDC_PERIODICAL, IDC_WATCH, IDC_WATCH);
            PostCommand(dialog, IDOK);
            return true;
        });
        ModalAnswerer editor("Task Properties", [](HWND dialog) {
            SetWindowTextA(GetDlgItem(dialog, IDC_DOCUMENT_PATH), "  C:\\docs\\site.orv ");
            PostCommand(dialog, IDC_TASK_OK);
            return true;
        });
        Click(IDC_NEW_TASK);
    }
    EXPECT_EQ(CString("1"), Key("General", "TasksCount"));
    EXPECT_EQ(CString("Watch"), Key("Task1", "Type"));
    EXPECT_EQ(CString("C:\\docs\\site.orv"), Key("Task1", "OrvPath"));
    EXPECT_EQ((std::vector<std::string>{"1|Watch||site.orv|Runs when content being watched is modified."}), Rows());

    Select(0);
    boxes_.Answer(IDNO);
    Click(IDC_REMOVE_TASK);
    EXPECT_EQ(CString("Removing Task"), boxes_.Boxes().back().caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes_.Boxes().back().type);
    EXPECT_EQ(1u, Rows().size());
    boxes_.Answer(IDYES);
    Click(IDC_REMOVE_TASK);
    EXPECT_EQ(CString("0"), Key("General", "TasksCount"));
    EXPECT_TRUE(Rows().empty());
}

TEST_F(TasksPageTest, ADataFolderThatCannotBeMadeIsShownWhenThePageOpensAndTheServiceIsStillFollowed) {
    WriteFileBytes(data_.Folder() + "\\blocker", "a file where a folder should be");
    AppData::SetDataFolderForTesting(data_.Folder() + "\\blocker\\data");
    Open(nullptr);
    ASSERT_EQ(1u, boxes_.Boxes().size());
    EXPECT_EQ(0, boxes_.Boxes()[0].text.Find("Problem when reading tasks: ")) << boxes_.Boxes()[0].text.GetString();
    EXPECT_EQ("N--", Buttons());
    // The timer shows nothing, and the buttons and the status line keep following the service.
    state_.Set(1);
    Tick();
    EXPECT_EQ("---", Buttons());
    EXPECT_EQ("<font color=red>You cannot modify tasks while the service is running.</font>", Status());
    EXPECT_EQ(1u, boxes_.Boxes().size());
    // Showing the page again says it once more.
    page_->OnPageShown();
    EXPECT_EQ(2u, boxes_.Boxes().size());
}

// While the editor is open on Task2, another program removes Task1 and appends a task: the
// edit is not written over the task that moved into Task2, and the list shows the file.
TEST_F(TasksPageTest, AnEditWhoseSectionNowHoldsAnotherTaskIsRefusedAndTheListReadAgain) {
    Open(kTasks);
    Select(0);  // Task2
    const char* const meanwhile = "[General]\nTasksCount=2\n"
                                  "[Task1]\nType=Watch\nOrvPath=\n"
                                  "[Task2]\nType=Periodical\nInterval=6\nOrvPath=C:\\\\docs\\\\added.orv\n";
    ModalAnswerer editor("Task Properties", [&](HWND dialog) {
        data_.WriteTasks(meanwhile);
        SetWindowTextA(FindControl(dialog, IDC_INTERVAL), "30");
        PostCommand(dialog, IDC_TASK_OK);
        return true;
    });
    Click(IDC_EDIT_TASK);
    ASSERT_EQ(1u, boxes_.Boxes().size());
    EXPECT_EQ(0, boxes_.Boxes()[0].text.Find("Problem when editing task: Another program changed the task file: Task2 "
                                             "no longer holds the Periodical task of \"C:\\docs\\report.orv\""))
        << boxes_.Boxes()[0].text.GetString();
    EXPECT_EQ(CString("6"), Key("Task2", "Interval"));
    EXPECT_EQ((std::vector<std::string>{"1|Watch|||Runs when content being watched is modified.",
                                        "2|Periodical||added.orv|Runs every 6 hour(s)."}),
              Rows());
}
