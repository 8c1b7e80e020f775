// For tests of the text view and the views built on it: a view over its own buffer in a hidden
// parent that records the notifications it gets, sized in rows and columns of the view's font,
// and a CCmdUI that records what an update handler says.
#pragma once
#include "classlib/CDC.h"
#include "controls/texteditor/TextBuffer.h"
#include "controls/texteditor/TextView.h"
#include <vector>

namespace testing_support {
// A hidden popup that keeps the WM_NOTIFY headers its children send.
class RecordingParent : public CWnd {
public:
    std::vector<NMHDR> notifications;

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override {
        notifications.push_back(*reinterpret_cast<NMHDR*>(lParam));
        *result = 0;
        return TRUE;
    }
};

template <class View = CTextView>
class TextViewHost {
public:
    static const UINT kViewId = 4321;

    // The view's text area is `rows` lines high and `columns` chars wide.
    explicit TextViewHost(const char* text, int rows = 10, int columns = 40) {
        parent.CreateEx(0, nullptr, "view host", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr);
        buffer.LoadFromString(text, -1);
        view.Create(nullptr, "view", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &parent, kViewId);
        view.AttachBuffer(&buffer);
        Resize(rows, columns);
    }
    ~TextViewHost() {
        view.DestroyWindow();
        buffer.ReleaseAll();
        parent.DestroyWindow();
    }
    void Resize(int rows, int columns) {
        CRect window, client;
        view.GetWindowRect(&window);
        view.GetClientRect(&client);
        view.MoveWindow(0, 0, view.GetMarginWidth() + columns * view.GetCharWidth() + window.Width() - client.Width(),
                        rows * view.GetLineHeight() + window.Height() - client.Height());
    }
    void Command(UINT id) { view.SendMessage(WM_COMMAND, MAKEWPARAM(id, 1), 0); }
    // The cursor, the anchor and an empty selection at the position.
    void PlaceCursor(CPoint position) {
        view.SetCursorPos(position);
        view.SetAnchor(position);
        view.SetSelection(position, position);
    }
    // The client point at a column (fractions reach into its cell), half-way down the line's row.
    CPoint PointAt(double column, int line) {
        return CPoint(view.GetMarginWidth() + static_cast<int>((column - view.GetFirstColumn()) * view.GetCharWidth()),
                      (line - view.GetTopLine()) * view.GetLineHeight() + view.GetLineHeight() / 2);
    }
    void Click(UINT message, UINT flags, CPoint point) {
        view.SendMessage(message, flags, MAKELPARAM(point.x, point.y));
    }
    CPoint SelectionStart() {
        CPoint start, end;
        view.GetSelection(start, end);
        return start;
    }
    CPoint SelectionEnd() {
        CPoint start, end;
        view.GetSelection(start, end);
        return end;
    }

    RecordingParent parent;
    CTextBuffer buffer;
    View view;
};

// Keeps what an update handler said of the command.
class RecordingCmdUI : public CCmdUI {
public:
    explicit RecordingCmdUI(UINT id) { m_nID = id; }
    void Enable(BOOL on = TRUE) override { enabled = on; }
    void SetText(const char* t) override { text = t; }
    BOOL enabled = -1;
    CString text;
};
}  // namespace testing_support
