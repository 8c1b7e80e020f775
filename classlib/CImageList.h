// An image list: owns the lists it creates; FromHandle gives a temporary that does not.
#pragma once
#include "classlib/HandleOwner.h"
#include "classlib/Geometry.h"

class CBitmap;
class CDC;

class CImageList {
public:
    CImageList() {}
    virtual ~CImageList() {}
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST GetSafeHandle() const { return list_.Get(); }
    operator HIMAGELIST() const { return list_.Get(); }
    BOOL Attach(HIMAGELIST list);
    HIMAGELIST Detach() { return list_.Release(); }
    BOOL DeleteImageList();
    static CImageList* FromHandle(HIMAGELIST list);
    static void AttachTemporary(CImageList* temporary, HIMAGELIST list) { temporary->list_.Reset(list); }
    static void ForgetTemporary(CImageList* temporary) { temporary->list_.Release(); }

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // From a bitmap resource of the resource module, images `cx` wide; `mask` is the
    // transparent colour (CLR_NONE for none).
    BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
    int Add(CBitmap* bitmap, COLORREF mask);
    int Add(HICON icon);
    int GetImageCount() const;
    BOOL Draw(CDC* dc, int image, POINT point, UINT style);

private:
    ScopedImageList list_;
};
