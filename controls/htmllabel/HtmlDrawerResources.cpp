// The drawer's pictures and strings from the program, files and libraries; its resource library,
// image list and link cursor.
#include "controls/htmllabel/HtmlDrawer.h"
#include "classlib/CWinApp.h"
#include <vector>

namespace {
// Libraries are only read for their resources: mapped as data, their entry code never runs.
HMODULE LoadResourceOnly(const char* fileName, DWORD flags) {
    return LoadLibraryExA(fileName, nullptr, flags | LOAD_LIBRARY_AS_DATAFILE);
}

bool Named(const char* text) { return text && *text; }
}  // namespace

HMODULE CHtmlDrawer::ResourceSource(const char* dll, ScopedModule& temporary) const {
    if (!Named(dll)) return resourceLibrary_;
    temporary.Reset(LoadResourceOnly(dll, 0));
    return temporary.Get();
}

HICON CHtmlDrawer::LoadIconFromResource(UINT id, int cx, int cy) const {
    if (id == 0) return nullptr;
    return static_cast<HICON>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

HICON CHtmlDrawer::LoadIconFromFile(const char* path, int cx, int cy) const {
    if (!Named(path)) return nullptr;
    return static_cast<HICON>(LoadImageA(nullptr, path, IMAGE_ICON, cx, cy, LR_LOADFROMFILE));
}

HICON CHtmlDrawer::LoadIconFromDll(UINT id, int cx, int cy, const char* dll) const {
    if (id == 0) return nullptr;
    ScopedModule temporary;
    HMODULE module = ResourceSource(dll, temporary);
    if (!module) return nullptr;
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

HBITMAP CHtmlDrawer::LoadBitmapFromResource(UINT id) const {
    if (id == 0) return nullptr;
    return static_cast<HBITMAP>(
        LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

HBITMAP CHtmlDrawer::LoadBitmapFromFile(const char* path) const {
    if (!Named(path)) return nullptr;
    return static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE | LR_LOADFROMFILE));
}

HBITMAP CHtmlDrawer::LoadBitmapFromDll(UINT id, const char* dll) const {
    if (id == 0) return nullptr;
    ScopedModule temporary;
    HMODULE module = ResourceSource(dll, temporary);
    if (!module) return nullptr;
    // From the module: with LR_LOADFROMFILE the id would be read as a file name.
    return static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
}

CString CHtmlDrawer::LoadResourceString(UINT id) const {
    CString text;
    if (id != 0) text.LoadString(id);
    return text;
}

CString CHtmlDrawer::LoadDllString(UINT id, const char* dll) const {
    if (id == 0) return CString();
    ScopedModule temporary;
    HMODULE module = ResourceSource(dll, temporary);
    if (!module) return CString();
    // A string that fills the buffer to within two bytes may have been cut: grow and read again.
    std::vector<char> buffer(256);
    int length = LoadStringA(module, id, buffer.data(), static_cast<int>(buffer.size()));
    while (length >= static_cast<int>(buffer.size()) - 2) {
        buffer.resize(buffer.size() + 256);
        length = LoadStringA(module, id, buffer.data(), static_cast<int>(buffer.size()));
    }
    return CString(buffer.data(), length > 0 ? length : 0);
}

CString CHtmlDrawer::GetResourceStringLine(UINT id, int line) const {
    CString text = LoadResourceString(id);
    int start = 0;
    for (int i = 0; i < line; ++i) {
        start = text.Find('\n', start);
        if (start < 0) return CString();
        ++start;
    }
    int end = text.Find('\n', start);
    return end < 0 ? text.Mid(start) : text.Mid(start, end - start);
}

const LOGFONTA* CHtmlDrawer::GetStatusBarFont() {
    static LOGFONTA statusFont;
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
    statusFont = metrics.lfStatusFont;
    return &statusFont;
}

void CHtmlDrawer::SetResourceDll(const char* fileName, DWORD loadFlags) {
    HMODULE loaded = Named(fileName) ? LoadResourceOnly(fileName, loadFlags) : nullptr;
    FreeResourceDll(loaded);
    if (loaded) ownedResourceLibrary_.Reset(loaded);
}

void CHtmlDrawer::FreeResourceDll(HMODULE module) {
    // A handle the drawer holds already stays as it is, owned or not.
    if (module && module == resourceLibrary_) return;
    ownedResourceLibrary_.Reset();
    resourceLibrary_ = module;
}

void CHtmlDrawer::SetImageList(UINT bitmapId, int cx, int cy, int initialCount, COLORREF maskColor) {
    ScopedBitmap bitmap(LoadBitmapFromResource(bitmapId));
    SetImageListBitmap(bitmap.Get(), cx, cy, initialCount, maskColor);
}

void CHtmlDrawer::SetImageListBitmap(HBITMAP bitmap, int cx, int cy, int initialCount, COLORREF maskColor) {
    imageList_.Reset();
    if (!bitmap) return;
    imageList_.Reset(ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, initialCount, 1));
    if (!imageList_) return;
    ImageList_AddMasked(imageList_.Get(), bitmap, maskColor);
    imageListCellWidth_ = cx;
    imageListCellHeight_ = cy;
}

void CHtmlDrawer::LoadDefaultLinkCursor() {
    if (linkCursor_) return;
    char windows[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(windows, sizeof(windows));
    if (length == 0 || length >= sizeof(windows)) return;
    CString path = CString(windows) + "\\winhlp32.exe";
    ScopedModule helpProgram(LoadResourceOnly(path, 0));
    if (!helpProgram) return;
    // The library's cursor goes with it: keep a copy of our own.
    HCURSOR shared = LoadCursorA(helpProgram.Get(), MAKEINTRESOURCEA(106));
    if (shared) linkCursor_.Reset(static_cast<HCURSOR>(CopyIcon(shared)));
}

void CHtmlDrawer::SetLinkCursor(HCURSOR cursor) {
    if (cursor && cursor == linkCursor_.Get()) return;
    linkCursor_.Reset(cursor);
    if (!cursor) LoadDefaultLinkCursor();
}
