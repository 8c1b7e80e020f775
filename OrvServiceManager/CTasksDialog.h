// The "Tasks" page: lists the tasks of the task file, creates, edits and removes them while the
// service is not running, and says in its status line whether changes are possible. It reads the
// task file again whenever the file on disk is not the one it last loaded (the service writes
// LastRun and LastEvent into it while it runs).
#pragma once
#include "OrvServiceManager/CTabPage.h"
#include "OrvServiceManager/EditableTask.h"
#include "OrvServiceManager/PageTimer.h"
#include "classlib/Controls.h"
#include "controls/htmllabel/HtmlStatic.h"

class CTasksDialog : public CTabPage {
    DECLARE_DYNAMIC(CTasksDialog)
public:
    static const UINT_PTR kTimerId = 13;
    static const UINT kTimerMs = 5000;

    explicit CTasksDialog(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnPageShown() override;

    // One row per task: number, kind, last run, document file name, schedule.
    void FillTaskList();
    // -1 unless exactly one row is selected.
    int GetSelectedIndex() const;
    // Empty outside the list.
    EditableTaskPtr GetTaskAt(int index) const;
    int GetTaskCount() const { return static_cast<int>(m_tasks.size()); }
    // Throws Exception unless the service is not installed or stopped.
    static void CheckServiceStopped();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnTimer(UINT_PTR id);
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnDoubleClick(NMHDR* header, LRESULT* result);
    void OnNew();
    void OnEdit();
    void OnRemove();
    DECLARE_MESSAGE_MAP()

private:
    // What the page knows of the task file on disk when it last loaded it.
    struct FileStamp {
        bool exists = false;
        FILETIME written = {0, 0};
        ULONGLONG size = 0;
        static FileStamp Of(const CString& path);
        bool SameAs(const FileStamp& other) const;
    };

    // Acts only while the page is visible, apart from the first refresh: loads the task file
    // when it changed (a file that cannot be had is shown when asked, never passed on), then
    // follows the service's state.
    void RefreshStatus(bool showReadFailure);
    // A file gone since the last load reads as no tasks. The selected task stays selected when
    // the file still holds it. Throws Exception when the task file's folder cannot be had.
    void ReloadIfChanged(bool always);
    // After a write, or a write refused because the file changed: the list is read from the file
    // (which may hold what another program wrote), the task of the section, if any, selected,
    // and the buttons and the status line set for that selection.
    void ReloadAfterWrite(int selectSection);
    void UpdateControls(BOOL force);
    void ShowStatusText(int state);
    void ShowTaskInRow(int row, const EditableTask& task);
    // Selects the row alone; -1 selects none. Refreshes nothing: the caller sets the buttons.
    void SelectRow(int row);
    // The list index of the task stored in the section, -1 when none is.
    int FindTaskInSection(int section) const;
    // The list index of the task whose section stores what this task's stored: in the same
    // section when it is still there, else where it moved to; -1 when the file holds it no more.
    int FindStoredTask(const EditableTask& task) const;
    void ShowReadFailure();

    CHtmlStatic m_status;  // the status line, markup set through its window text
    CListCtrl m_list;
    CButton m_new;
    CButton m_edit;
    CButton m_remove;
    EditableTaskList m_tasks;
    FileStamp m_loaded;
    PageTimer m_timer;
    bool m_filling = false;         // list notifications during a fill are the fill's own
    bool m_firstRefreshDone = false;
    int m_lastState = 0;            // of the last applied refresh
    BOOL m_lastOneSelected = FALSE;
};
