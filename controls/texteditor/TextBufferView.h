// What the text buffer needs of a view attached to it: the change hook and the edit hook. The
// text view implements it; the buffer only holds views through it, so it needs no window.
#pragma once
#include <windows.h>

class CUpdateContext;

class TextBufferView {
public:
    virtual ~TextBufferView() {}
    // After every change: the view that made it (or null), a context that moves the view's
    // positions across the change (or null), the update flags and the first line that changed.
    virtual void UpdateView(TextBufferView* source, CUpdateContext* context, DWORD flags, int line) = 0;
    // When an undo group that this view made is flushed: the action and the text of its last record.
    virtual void OnTextEdited(int action, const char* text) = 0;
};
