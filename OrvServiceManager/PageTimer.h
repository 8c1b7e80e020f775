// The manager's page timers: a tick kills its timer, refreshes, and sets the timer again, so no
// refresh overlaps another and a message box that a refresh shows holds the timer until it is
// closed. A refresh's exceptions end at the tick. A timer the system does not give is reported
// once, at the start, in the pages' one warning box.
#pragma once
#include "classlib/CWnd.h"

class PageTimer {
public:
    PageTimer(UINT_PTR id, UINT elapseMs) : id_(id), elapseMs_(elapseMs), current_(id) {}

    // FALSE when the system gave no timer; the page then shows the failure text in an
    // exclamation box with the manager's caption.
    BOOL Start(CWnd& page, const char* failureText) {
        current_ = page.SetTimer(id_, elapseMs_);
        if (current_ != 0) return TRUE;
        page.MessageBox(failureText, "Orvanti Service Manager", MB_ICONEXCLAMATION);
        return FALSE;
    }
    // For the page's WM_TIMER: refreshes when the tick is this timer's.
    template <class Refresh>
    void Tick(CWnd& page, UINT_PTR id, Refresh refresh) {
        if (id != current_) return;
        page.KillTimer(current_);
        try {
            refresh();
        } catch (...) {
            // The next tick tries again; the page keeps what it shows meanwhile.
        }
        current_ = page.SetTimer(id_, elapseMs_);
    }

private:
    UINT_PTR id_;
    UINT elapseMs_;
    UINT_PTR current_;  // the id the system gave; 0 when it gave none
};
