#include "classlib/CImageList.h"
#include "classlib/CDC.h"
#include "classlib/CWinApp.h"
#include "classlib/TempMap.h"

BOOL CImageList::Attach(HIMAGELIST list) {
    if (!list || list_.IsValid()) return FALSE;
    list_.Reset(list);
    return TRUE;
}

BOOL CImageList::DeleteImageList() {
    if (!list_.IsValid()) return FALSE;
    list_.Reset();
    return TRUE;
}

CImageList* CImageList::FromHandle(HIMAGELIST list) { return list ? TempMap<CImageList, HIMAGELIST>::Get(list) : nullptr; }

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    return Attach(ImageList_Create(cx, cy, flags, initial, grow));
}

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
    return Attach(ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId), cx, grow, mask,
                                       IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
    if (!list_.IsValid() || !bitmap) return -1;
    return ImageList_AddMasked(list_.Get(), static_cast<HBITMAP>(bitmap->GetSafeHandle()), mask);
}

int CImageList::Add(HICON icon) { return list_.IsValid() ? ImageList_AddIcon(list_.Get(), icon) : -1; }

int CImageList::GetImageCount() const { return list_.IsValid() ? ImageList_GetImageCount(list_.Get()) : 0; }

BOOL CImageList::Draw(CDC* dc, int image, POINT point, UINT style) {
    return list_.IsValid() && dc && ImageList_Draw(list_.Get(), image, dc->m_hDC, point.x, point.y, style);
}
