// The target side of OLE drag and drop: a window registered with the system gets each drag that
// passes over it as calls of the virtual operations below, with the dragged data as a
// COleDataObject and the point in the window's client coordinates.
#pragma once
#include "classlib/COleDataSource.h"
#include "classlib/Geometry.h"

class CWnd;

// The data of a drag as a target reads it; the object is borrowed, not owned.
class COleDataObject {
public:
    explicit COleDataObject(IDataObject* data = nullptr) : m_lpDataObject(data) {}
    BOOL IsDataAvailable(CLIPFORMAT format) const;
    // A copy of the data in the format, which the caller frees; null when it is not offered.
    HGLOBAL GetGlobalData(CLIPFORMAT format) const;

    IDataObject* m_lpDataObject;
};

class COleDropTarget {
public:
    COleDropTarget();
    // Revokes the registration.
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // FALSE when the system refuses: OLE not initialised in this thread, the window has a target
    // already, or it is not a window.
    BOOL Register(CWnd* wnd);
    void Revoke();
    // The interface the system calls (with a reference for the caller, who releases it).
    IDropTarget* GetInterface();

    // Each answers the effect the drop would have (DROPEFFECT_NONE refuses). An effect that the
    // source does not allow becomes a copy when the source allows that, else none.
    virtual DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point);
    // The data was dropped with the effect of the last move; FALSE refuses it.
    virtual BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point);
    virtual void OnDragLeave(CWnd* wnd);
    // Runs at each move before OnDragOver; an answer other than DROPEFFECT_NONE says that the
    // window scrolled, and the move's effect then carries DROPEFFECT_SCROLL.
    virtual DROPEFFECT OnDragScroll(CWnd* wnd, DWORD keyState, CPoint point);

private:
    class Impl;
    friend class Impl;
    Impl* impl_;
    HWND registered_;
};
