// An abstract dialog that places itself, modeless, over a placeholder control of its parent
// dialog (or at a point) and reports to the parent with posted messages.
#pragma once
#include "classlib/CDialog.h"

class CGenericChildDialog : public CDialog {
public:
    CGenericChildDialog();

    // Creates the page from GetTemplateId over the placeholder, moved by the margins (left, top,
    // right, bottom; none = all 0), and makes the placeholder the page's size plus the margins.
    // FALSE, with the placeholder untouched, when there is no placeholder or no page; else the
    // result of the last placement.
    BOOL CreateInPlaceholder(CWnd* parent, UINT placeholderId, int notifyValue, const RECT* margins = nullptr);
    // The same at a point of the parent's client area; no placeholder is touched.
    BOOL CreateAtPoint(CWnd* parent, POINT point, int notifyValue, const RECT* margins = nullptr);
    // Posts the message to the parent with the notify value as wParam.
    BOOL NotifyParent(UINT message, LPARAM lParam);
    virtual UINT GetTemplateId() const = 0;

protected:
    int m_nNotifyValue;
    CWnd* m_pParent;
    DECLARE_MESSAGE_MAP()

private:
    BOOL CreatePage(CWnd* parent, int notifyValue, CRect& margins, const RECT* given);
};
