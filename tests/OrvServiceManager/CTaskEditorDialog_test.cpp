// TEST_SERIAL
#include "OrvServiceManager/CTaskEditorDialog.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "OrvServiceManager/TaskEditor.h"
#include "OrvServiceManager/TaskFile.h"
#include "OrvService/PeriodicalTask.h"
#include "common/Exception.h"
#include "support/GuiTestSupport.h"
#include "support/ManagerTestSupport.h"
#include <commctrl.h>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
Watchdog watchdog(100);

const CTime kLastRun(2024, 1, 5, 10, 0, 0);

EditableTaskPtr Periodical() {
    auto task = new EditableHourScheduledTask;
    task->SetOrvPath("C:\\docs\\report.orv");
    task->SetInterval(12);
    task->SetLastRun(kLastRun);
    return EditableTaskPtr(task);
}
EditableTaskPtr DayScheduled() {
    auto task = new EditableDayScheduledTask;
    task->SetOrvPath("C:\\docs\\catalogue.orv");
    task->SetDays({2});
    task->SetHour(9);
    task->SetMinutes(30);
    task->SetLastRun(kLastRun);
    return EditableTaskPtr(task);
}
EditableTaskPtr Watch() {
    auto task = new EditableEventTrigeredTask;
    task->SetOrvPath("C:\\docs\\site.orv");
    task->SetLastEvent("2024:1:6;8:0");
    task->SetLastRun(kLastRun);
    return EditableTaskPtr(task);
}

void SetText(HWND dialog, int id, const char* text) { SetWindowTextA(FindControl(dialog, id), text); }
void Check(HWND dialog, int id, bool on) {
    SendMessageA(FindControl(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

struct Outcome {
    BOOL accepted;
    std::vector<CString> boxes;
    EditableTaskPtr task;
};

// Opens Task Properties on the task; `enter` works the dialog, then OK (1035) is pressed unless
// `button` is 0. A dialog still open after that is cancelled.
Outcome Edit(const EditableTaskPtr& task, const std::function<void(HWND)>& enter, int button = IDC_TASK_OK) {
    MessageBoxRecorder boxes;
    ModalAnswerer answerer("Task Properties", [&](HWND dialog) {
        enter(dialog);
        if (button) SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        PostCommand(dialog, IDCANCEL);
        return true;
    });
    Outcome outcome{FALSE, {}, task};
    outcome.accepted = TaskEditor::EditTask(nullptr, outcome.task);
    for (const auto& box : boxes.Boxes()) outcome.boxes.push_back(box.text);
    return outcome;
}
}  // namespace

TEST(TaskEditorTest, OkRefusesWhatNeitherProgramWouldLoadAndKeepsTheDialogOpen) {
    const char* const badInterval = "Interval value should be between 2 and 48 hours.";
    const struct {
        EditableTaskPtr (*task)();
        std::function<void(HWND)> enter;
        const char* refusal;  // null: accepted
        std::function<void(const EditableTask&)> check;
    } cases[] = {
        {Periodical, [](HWND d) { SetText(d, IDC_INTERVAL, "1"); }, badInterval, nullptr},
        {Periodical, [](HWND d) { SetText(d, IDC_INTERVAL, "49"); }, badInterval, nullptr},
        {Periodical, [](HWND d) { SetText(d, IDC_INTERVAL, ""); }, badInterval, nullptr},
        // Numbers that wrap round past 32 and 64 bits to 2 and 5.
        {Periodical, [](HWND d) { SetText(d, IDC_INTERVAL, "4294967298"); }, badInterval, nullptr},
        {Periodical, [](HWND d) { SetText(d, IDC_INTERVAL, "18446744073709551621"); }, badInterval, nullptr},
        {Periodical, [](HWND d) { SetText(d, IDC_DOCUMENT_PATH, "   "); },
         "The 'Document path' field must point to a valid .orv document.", nullptr},
        {DayScheduled, [](HWND d) { Check(d, IDC_MONDAY, false); }, "Select at least one day on which the task runs.",
         nullptr},
        {Periodical,
         [](HWND d) {
             SetText(d, IDC_INTERVAL, "2");
             SendMessageA(GetDlgItem(d, IDC_PRIORITY), CB_SETCURSEL, 2, 0);
         },
         nullptr,
         [](const EditableTask& t) {
             EXPECT_EQ(2, dynamic_cast<const EditableHourScheduledTask&>(t).GetInterval());
             EXPECT_EQ(CString("/s3"), t.GetPriority());
             EXPECT_EQ(kLastRun, t.GetLastRun());
         }},
        {DayScheduled,
         [](HWND d) {
             Check(d, IDC_SUNDAY, true);
             SYSTEMTIME time = {2005, 10, 2, 11, 7, 5, 0, 0};
             SendMessageA(FindControl(d, IDC_START_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
         },
         nullptr,
         [](const EditableTask& t) {
             const auto& day = dynamic_cast<const EditableDayScheduledTask&>(t);
             EXPECT_EQ((std::vector<int>{1, 2}), day.GetDays());  // Sunday first
             EXPECT_EQ(7, day.GetHour());
             EXPECT_EQ(5, day.GetMinutes());
             EXPECT_EQ(kLastRun, t.GetLastRun());
         }},
        {Watch, [](HWND d) { SetText(d, IDC_DOCUMENT_PATH, " C:\\docs\\other.orv "); }, nullptr,
         [](const EditableTask& t) {
             EXPECT_EQ(CString("C:\\docs\\other.orv"), t.GetOrvPath());
             EXPECT_EQ(CString("2024:1:6;8:0"), dynamic_cast<const EditableEventTrigeredTask&>(t).GetLastEvent());
             EXPECT_EQ(kLastRun, t.GetLastRun());
         }},
    };
    for (const auto& c : cases) {
        const EditableTaskPtr task = c.task();
        Outcome outcome = Edit(task, c.enter);
        SCOPED_TRACE(c.refusal ? c.refusal : "accepted");
        if (c.refusal) {
            EXPECT_FALSE(outcome.accepted);  // still open after OK: closed by Cancel
            EXPECT_EQ(std::vector<CString>{c.refusal}, outcome.boxes);
            EXPECT_EQ(task, outcome.task);
        } else {
            ASSERT_TRUE(outcome.accepted);
            EXPECT_TRUE(outcome.boxes.empty());
            ASSERT_TRUE(outcome.task && outcome.task != task);
            EXPECT_EQ(task->GetTypeId(), outcome.task->GetTypeId());
            c.check(*outcome.task);
        }
    }
}

// The one rule for document paths, as the editor's OK, the manager's save and the service's
// loader apply it: what one refuses the others refuse, what one takes the others keep whole.
TEST(DocumentPathRuleTest, TheEditorTheManagersSaveAndTheServicesLoaderAgree) {
    ScratchFolder scratch;
    const std::string quote = "Orv document path contains a double quote.";
    std::string tooLong = "C:";
    for (int i = 0; i < 11000; ++i) tooLong += "\\x";  // stored escaped: 33,002 characters
    const struct {
        std::string path;
        std::string refusal;     // empty: taken
        std::string editorText;  // the editor's own words, when it has them
    } cases[] = {
        {"C:\\do\"cs\\a.orv", quote, ""},
        {"\"C:\\docs\\a.orv", quote, ""},
        {"C:\\docs\\ ", "Orv document path ends with a backslash.", ""},
        {" \t ", "Orv document path is empty.", "The 'Document path' field must point to a valid .orv document."},
        {tooLong, "Orv document path is too long to be stored whole.", ""},
        {"C:\\" + std::string(1990, 'd') + "\\a.orv", "", ""},  // 2,000 characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 40));
        Outcome editor = Edit(Periodical(), [&](HWND d) { SetText(d, IDC_DOCUMENT_PATH, c.path.c_str()); });
        EXPECT_EQ(c.refusal.empty(), editor.accepted != FALSE);
        const CString shown(c.editorText.empty() ? c.refusal.c_str() : c.editorText.c_str());
        EXPECT_EQ(c.refusal.empty() ? std::vector<CString>() : std::vector<CString>{shown}, editor.boxes);

        const CString file = scratch.File("tasks.ini");
        DeleteFileA(file);
        EditableTaskPtr task = Periodical();
        task->SetOrvPath(c.path.c_str());
        std::string saved = "taken";
        try {
            AppendTask(*task, file);
        } catch (const Exception& e) {
            saved = e.GetFullMessage();
        }
        EXPECT_EQ(c.refusal.empty() ? "taken" : c.refusal, saved);

        // The service's loader over the value as stored. A value too long for the profile
        // functions comes back as another text: only the manager's refusal keeps it away.
        if (c.path == tooLong) continue;
        IniFile(file).WriteString(c.path.c_str(), "Task1", "OrvPath");
        std::string loaded;
        try {
            loaded = PeriodicalTask(file, "Task1").GetOrvPath() == c.path.c_str() ? "taken" : "changed";
        } catch (const Exception& e) {
            loaded = e.GetFullMessage();
        }
        EXPECT_EQ(c.refusal.empty() ? "taken" : "Error: " + c.refusal, loaded);
    }
}

TEST(TaskEditorTest, ClearEmptiesTheLastRunAndOnlyOkKeepsIt) {
    for (int button : {IDC_TASK_OK, IDCANCEL}) {
        bool clearDisabled = false;
        char before[64] = "?";
        char shown[64] = "?";
        Outcome outcome = Edit(
            Periodical(),
            [&](HWND d) {
                GetWindowTextA(FindControl(d, IDC_LAST_RUN), before, sizeof(before));
                SendMessageA(FindControl(d, IDC_CLEAR_LAST_RUN), BM_CLICK, 0, 0);
                clearDisabled = !IsWindowEnabled(FindControl(d, IDC_CLEAR_LAST_RUN));
                GetWindowTextA(FindControl(d, IDC_LAST_RUN), shown, sizeof(shown));
            },
            button);
        EXPECT_EQ(kLastRun.Format("%b %d, %H:%M"), CString(before));
        EXPECT_TRUE(clearDisabled);
        EXPECT_STREQ("", shown);
        EXPECT_EQ(button == IDC_TASK_OK, outcome.accepted != FALSE);
        EXPECT_EQ(button == IDC_TASK_OK ? CTime() : kLastRun, outcome.task->GetLastRun());
        EXPECT_EQ(button == IDC_TASK_OK, outcome.task->IsLastRunCleared());
    }
}

TEST(TaskEditorTest, EnterNeverClosesTaskPropertiesAndTheFocusNeverVanishes) {
    const struct Case {
        const char* what;
        int focus;
        std::vector<UINT> keys;
        // The id of the control with the focus (0: none) at the start and after each key, then
        // -1 when no key closed the dialog.
        std::vector<int> log;
    } cases[] = {
        {"Enter in the document path", IDC_DOCUMENT_PATH, {VK_RETURN}, {IDC_DOCUMENT_PATH, IDC_DOCUMENT_PATH, -1}},
        {"Clear, disabling itself, hands the focus on, and Tab and Escape work", IDC_CLEAR_LAST_RUN,
         {VK_SPACE, VK_TAB, VK_ESCAPE}, {IDC_CLEAR_LAST_RUN, IDC_INTERVAL, IDC_LAST_RUN}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> log;
        RepeatWhileDisturbed([&](bool& disturbed) {
            log.clear();
            auto note = [&](HWND) { log.push_back(GetDlgCtrlID(GetFocus())); };
            auto start = [&](HWND dialog) {
                SetFocus(FindControl(dialog, c.focus));
                note(dialog);
            };
            auto end = [&](HWND dialog) {
                log.push_back(-1);
                PostCommand(dialog, IDCANCEL);
            };
            ModalAnswerer keys("Task Properties", PressKeys(start, c.keys, note, end, disturbed));
            EditableTaskPtr task = Periodical();
            EXPECT_FALSE(TaskEditor::EditTask(nullptr, task));
        });
        EXPECT_EQ(c.log, log);
    }
}

TEST(TaskEditorTest, TheDayPageMapsWeekDayNumbersToTheirBoxesAndShowsOnlyTheTime) {
    PageHost host;
    CDayScheduledTaskParamsDialog page;
    ASSERT_TRUE(page.CreateAtPoint(&host, POINT{0, 0}, 1));
    const int boxes[] = {IDC_SUNDAY, IDC_MONDAY, IDC_TUESDAY, IDC_WEDNESDAY, IDC_THURSDAY, IDC_FRIDAY, IDC_SATURDAY};
    for (int day = 1; day <= 7; ++day) {
        for (int id : boxes) page.CheckDlgButton(id, BST_UNCHECKED);
        page.SetDays({day, 0, 8});
        for (int i = 0; i < 7; ++i) EXPECT_EQ(i + 1 == day, page.IsDlgButtonChecked(boxes[i]) == BST_CHECKED) << day;
        EXPECT_EQ(std::vector<int>{day}, page.GetDays());
    }
    page.SetTime(9, 5);
    SYSTEMTIME time = {};
    SendMessageA(page.GetDlgItem(IDC_START_TIME)->m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    EXPECT_EQ((std::vector<int>{2005, 10, 11, 9, 5}),
              (std::vector<int>{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute}));
    int hour = 0, minute = 0;
    page.GetTime(hour, minute);
    EXPECT_EQ(9, hour);
    EXPECT_EQ(5, minute);
}
