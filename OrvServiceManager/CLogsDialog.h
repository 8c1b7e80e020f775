// The "Logs" page: the service's previous and current monthly log files in a read-only text
// view with the log colouring, followed as the service appends to them.
#pragma once
#include "OrvServiceManager/CTabPage.h"
#include "OrvServiceManager/LogFollower.h"
#include "OrvServiceManager/PageTimer.h"
#include "controls/texteditor/TextEditorCtrl.h"

class CLogsDialog : public CTabPage {
    DECLARE_DYNAMIC(CLogsDialog)
public:
    static const UINT_PTR kTimerId = 11;
    static const UINT kTimerMs = 5000;

    explicit CLogsDialog(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Shows what the service wrote since the last refresh; a failure is shown in a message box
    // and the view keeps what it shows.
    void Refresh();

protected:
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    // The view over the hidden placeholder, its top-left corner moved to (8, 10).
    void CreateEditor();
    // What one refresh read goes into the view as one piece, with one scroll to its end, so a
    // big log costs one undo group and one layout instead of one per line.
    void Show(const LogFollower::Change& change);

    CTextEditorCtrl m_editor;
    LogFollower m_follower;
    PageTimer m_timer;
};
