// The manager's page timers: a tick kills its timer, refreshes, and sets the timer again, so no
// refresh overlaps another and a message box that a refresh shows holds the timer until it is
// closed. A refresh's exceptions end at the tick.
#pragma once
#include "classlib/CWnd.h"

class PageTimer {
public:
    PageTimer(UINT_PTR id, UINT elapseMs) : id_(id), elapseMs_(elapseMs), current_(id) {}

    // FALSE when the system gave no timer.
    BOOL Start(CWnd& page) {
        current_ = page.SetTimer(id_, elapseMs_);
        return current_ != 0;
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
