// A static control drawn as a link: underlined, in the link colour, with a hand cursor. A click
// reaches the parent as WM_COMMAND of the control's id (the template gives it SS_NOTIFY), and so
// do Space and Enter when the link has the focus (the template makes it a tab stop); a dotted
// frame round the text shows the focus.
#pragma once
#include "classlib/CGdiObject.h"
#include "classlib/Controls.h"

class CURLLink : public CStatic {
public:
    static const COLORREF kLinkColor = 0x00CB7B57;

    CURLLink();
    // Opens the control's text with the shell; TRUE when the shell took it.
    BOOL Open();
    HCURSOR GetLinkCursor() const;

protected:
    HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    LRESULT OnNcHitTest(CPoint point);
    UINT OnGetDlgCode();
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnPaint();
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    DECLARE_MESSAGE_MAP()

    BOOL m_bUnderlineFont;  // the underlined font exists
    CFont m_underlineFont;
    ScopedCursor m_cursor;  // our own copy of the hand cursor, destroyed with the control

private:
    // The link draws no background of its own: the parent's, repainted under it, takes the
    // focus frame away again.
    void RedrawWithParent();
};
