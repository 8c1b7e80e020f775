#include "OrvServiceManager/CTasksDialog.h"
#include "OrvServiceManager/CNewTaskTypeDialog.h"
#include "OrvServiceManager/FailureMessage.h"
#include "OrvServiceManager/OrvServiceManagerRes.h"
#include "OrvServiceManager/ServiceControl.h"
#include "OrvServiceManager/TaskEditor.h"
#include "OrvServiceManager/TaskFile.h"
#include "classlib/CDataExchange.h"
#include "classlib/CWinApp.h"
#include "common/AppData.h"
#include "common/DirUtils.h"
#include "common/Exception.h"

namespace {
// Sets a flag for the life of the object.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};
}  // namespace

IMPLEMENT_DYNAMIC(CTasksDialog, CTabPage)

BEGIN_MESSAGE_MAP(CTasksDialog, CTabPage)
    ON_WM_TIMER()
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_TASK_LIST, OnItemChanged)
    ON_BN_CLICKED(IDC_NEW_TASK, OnNew)
    ON_BN_CLICKED(IDC_EDIT_TASK, OnEdit)
    ON_BN_CLICKED(IDC_REMOVE_TASK, OnRemove)
    ON_NOTIFY(NM_DBLCLK, IDC_TASK_LIST, OnDoubleClick)
END_MESSAGE_MAP()

CTasksDialog::CTasksDialog(CWnd* parent) : CTabPage(IDD_TASKS, parent), m_timer(kTimerId, kTimerMs) {}

void CTasksDialog::DoDataExchange(CDataExchange* dx) {
    CTabPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_TASK_STATUS, m_status);
    DDX_Control(dx, IDC_TASK_LIST, m_list);
    DDX_Control(dx, IDC_NEW_TASK, m_new);
    DDX_Control(dx, IDC_EDIT_TASK, m_edit);
    DDX_Control(dx, IDC_REMOVE_TASK, m_remove);
}

BOOL CTasksDialog::OnInitDialog() {
    CTabPage::OnInitDialog();
    m_new.SetWindowText("&New");
    m_edit.SetWindowText("&Edit");
    m_remove.SetWindowText("&Remove");
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    const struct {
        const char* title;
        int width;
    } columns[] = {{"No.", 30}, {"Type", 100}, {"Last Run", 90}, {"File Name", 120}, {"Details", 300}};
    for (int i = 0; i < 5; ++i) m_list.InsertColumn(i, columns[i].title, LVCFMT_LEFT, columns[i].width);

    try {
        ReloadIfChanged(true);
    } catch (...) {
        ShowReadFailure();
    }
    RefreshStatus(false);
    m_timer.Start(*this, "Unable to set up the service status updates for tasks.");
    return TRUE;
}

void CTasksDialog::ShowReadFailure() { ShowCaughtFailure("Problem when reading tasks: %s", "Unknown problem when reading tasks."); }

void CTasksDialog::OnTimer(UINT_PTR id) {
    m_timer.Tick(*this, id, [this] { RefreshStatus(false); });
    CTabPage::OnTimer(id);
}

void CTasksDialog::OnPageShown() { RefreshStatus(true); }

void CTasksDialog::OnItemChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!m_filling) RefreshStatus(false);
}

void CTasksDialog::RefreshStatus(bool showReadFailure) {
    if (!IsWindowVisible() && m_firstRefreshDone) return;
    try {
        ReloadIfChanged(false);
    } catch (...) {
        if (showReadFailure) ShowReadFailure();
    }
    // A task file that cannot be had does not stop the buttons and the status line from
    // following the service.
    UpdateControls(!m_firstRefreshDone);
    m_firstRefreshDone = true;
}

CTasksDialog::FileStamp CTasksDialog::FileStamp::Of(const CString& path) {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return stamp;
    stamp.exists = true;
    stamp.written = data.ftLastWriteTime;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return stamp;
}

bool CTasksDialog::FileStamp::SameAs(const FileStamp& other) const {
    return exists == other.exists && size == other.size && CompareFileTime(&written, &other.written) == 0;
}

void CTasksDialog::ReloadIfChanged(bool always) {
    const CString path = AppData::GetTasksIniPath();
    const FileStamp stamp = FileStamp::Of(path);
    // A file deleted since the last load holds no tasks any more: its rows go too.
    if (!always && stamp.SameAs(m_loaded)) return;
    // Taken before reading: a write while the file is read gives another stamp next time.
    m_loaded = stamp;
    // The service notes a run, another manager adds a task: the user's choice stays with its task.
    const EditableTaskPtr selected = GetTaskAt(GetSelectedIndex());
    LoadTasks(path, m_tasks);
    FillTaskList();
    if (selected) SelectRow(FindStoredTask(*selected));
}

void CTasksDialog::ReloadAfterWrite(int selectSection) {
    try {
        ReloadIfChanged(true);
    } catch (...) {
        // The next refresh tries again.
    }
    SelectRow(FindTaskInSection(selectSection));
    // The fill's own notifications refresh nothing: the buttons follow the new selection here,
    // so Edit and Remove never stay enabled with no row to act on.
    UpdateControls(FALSE);
}

void CTasksDialog::SelectRow(int row) {
    FlagScope filling(m_filling);
    m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0) m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CTasksDialog::FillTaskList() {
    FlagScope filling(m_filling);
    m_list.DeleteAllItems();
    for (size_t i = 0; i < m_tasks.size(); ++i) {
        CString number;
        number.Format("%d", static_cast<int>(i + 1));
        const int row = m_list.InsertItem(static_cast<int>(i), number);
        if (m_tasks[i]) ShowTaskInRow(row, *m_tasks[i]);
    }
}

void CTasksDialog::ShowTaskInRow(int row, const EditableTask& task) {
    FlagScope filling(m_filling);
    m_list.SetItemText(row, 1, task.GetDisplayName());
    m_list.SetItemText(row, 2, task.GetLastRunText());
    m_list.SetItemText(row, 3, DirUtils::GetFileName(task.GetOrvPath()));
    m_list.SetItemText(row, 4, task.GetSummary());
}

int CTasksDialog::GetSelectedIndex() const {
    if (m_list.GetSelectedCount() != 1) return -1;
    return m_list.GetNextItem(-1, LVNI_SELECTED);
}

EditableTaskPtr CTasksDialog::GetTaskAt(int index) const {
    if (index < 0 || index >= GetTaskCount()) return EditableTaskPtr();
    return m_tasks[index];
}

int CTasksDialog::FindTaskInSection(int section) const {
    for (size_t i = 0; i < m_tasks.size(); ++i)
        if (m_tasks[i] && m_tasks[i]->GetSectionNumber() == section) return static_cast<int>(i);
    return -1;
}

int CTasksDialog::FindStoredTask(const EditableTask& task) const {
    int moved = -1;
    for (size_t i = 0; i < m_tasks.size(); ++i) {
        if (!m_tasks[i] || !task.StoresSameAs(m_tasks[i]->GetStoredLines())) continue;
        if (m_tasks[i]->GetSectionNumber() == task.GetSectionNumber()) return static_cast<int>(i);
        if (moved < 0) moved = static_cast<int>(i);
    }
    return moved;
}

void CTasksDialog::CheckServiceStopped() {
    const int state = QueryServiceState();
    if (state != 0 && state != 2) throw Exception("To complete the operation the service cannot be running.");
}

void CTasksDialog::UpdateControls(BOOL force) {
    try {
        const int state = QueryServiceState();
        const BOOL one = m_list.GetSelectedCount() == 1;
        if (!force && state == m_lastState && one == m_lastOneSelected) return;
        m_lastState = state;
        m_lastOneSelected = one;
        ShowStatusText(state);
        const BOOL changeable = state == 0 || state == 2;
        m_new.EnableWindow(changeable);
        m_edit.EnableWindow(changeable && one);
        m_remove.EnableWindow(changeable && one);
    } catch (...) {
        // The status line and the buttons keep what they showed.
    }
}

void CTasksDialog::ShowStatusText(int state) {
    if (state == 0 || state == 2)
        m_status.SetWindowText("To add a new task click New. To modify a task select it and click Edit.");
    else if (state == 1)
        m_status.SetWindowText("<font color=red>You cannot modify tasks while the service is running.</font>");
    else
        m_status.SetWindowText("<font color=red><b>Unable to retrieve the service status.</b></font>");
}

// The modal dialogs of New, Edit and Remove keep the page's timer running: the service may be
// started and the list reloaded before they close, and another program may change the task
// file. So the state is checked again right before the file is written, a change goes only to
// the section that still holds the chosen task, and the list is read from the file afterwards.

void CTasksDialog::OnNew() {
    try {
        CheckServiceStopped();
        EditableTaskPtr task;
        if (!CreateNewTask(task)) return;
        if (!TaskEditor::EditTask(this, task)) return;
        if (!task) {
            AfxMessageBox("Problem when trying to add a new task.", MB_OK, 0);
            return;
        }
        CheckServiceStopped();
        ReloadAfterWrite(AppendTask(*task, AppData::GetTasksIniPath()));
    } catch (...) {
        ShowCaughtFailure("Problem when adding a task: %s", "Unknown problem when adding a task.");
    }
}

void CTasksDialog::OnDoubleClick(NMHDR*, LRESULT* result) {
    *result = 0;
    OnEdit();
}

void CTasksDialog::OnEdit() {
    try {
        CheckServiceStopped();
        const EditableTaskPtr listed = GetTaskAt(GetSelectedIndex());
        if (!listed) return;
        const int section = listed->GetSectionNumber();
        EditableTaskPtr edited(listed->Clone());
        if (!TaskEditor::EditTask(this, edited)) return;
        if (!edited) {
            AfxMessageBox("Problem when trying to apply changes.", MB_OK, 0);
            return;
        }
        CheckServiceStopped();
        SaveTaskAt(section, *edited, *listed, AppData::GetTasksIniPath());
        ReloadAfterWrite(section);
    } catch (const TaskFileChanged&) {
        ReloadAfterWrite(0);
        ShowCaughtFailure("Problem when editing task: %s", "Unknown problem when editing task.");
    } catch (...) {
        ShowCaughtFailure("Problem when editing task: %s", "Unknown problem when editing task.");
    }
}

void CTasksDialog::OnRemove() {
    try {
        CheckServiceStopped();
        const EditableTaskPtr listed = GetTaskAt(GetSelectedIndex());
        if (!listed) return;
        const int section = listed->GetSectionNumber();
        if (MessageBox("Are you sure you want to remove the selected task?", "Removing Task", MB_YESNO) != IDYES)
            return;
        CheckServiceStopped();
        RemoveTaskAt(section, *listed, AppData::GetTasksIniPath());
        ReloadAfterWrite(0);
    } catch (const TaskFileChanged&) {
        ReloadAfterWrite(0);
        ShowCaughtFailure("Problem when removing task: %s", "Unknown problem when removing task.");
    } catch (...) {
        ShowCaughtFailure("Problem when removing task: %s", "Unknown problem when removing task.");
    }
}
