// The source side of OLE drag and drop: data offered in clipboard formats as global memory, and
// the drag loop that offers it to drop targets.
#pragma once
#include <windows.h>
#include <ole2.h>

typedef DWORD DROPEFFECT;

// A copy of a block of global memory in a new movable block, which the caller frees; null when
// the block cannot be read or the copy cannot be made.
HGLOBAL AfxCopyGlobalMemory(HGLOBAL data);

class COleDataSource {
public:
    COleDataSource();
    // Frees the data that no drop took.
    ~COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Offers the memory in the format; the source owns it from now on (one block per format).
    void CacheGlobalData(CLIPFORMAT format, HGLOBAL data);
    // Runs the drag until the left button is released (a drop) or Escape is pressed. Answers the
    // effect the target chose: DROPEFFECT_NONE when cancelled, refused or when OLE is not
    // initialised in this thread.
    DROPEFFECT DoDragDrop(DWORD allowedEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE);
    // The data object with a reference for the caller, who releases it.
    IDataObject* GetDataObject();

private:
    class Impl;
    Impl* impl_;
};
