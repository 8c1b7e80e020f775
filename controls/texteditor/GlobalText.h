// Text in a block of global memory, as the clipboard and a drag hand it over in CF_TEXT: read up
// to its first NUL and never past the block's size (another program need not end it with a NUL),
// and made for the clipboard or a drag source.
#pragma once
#include "classlib/CString.h"
#include <windows.h>
#include <cstring>

inline BOOL ReadGlobalText(HANDLE data, CString& text) {
    const char* from = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (!from) return FALSE;
    const SIZE_T size = GlobalSize(data);
    const void* nul = std::memchr(from, 0, size);
    text = CString(from, static_cast<int>(nul ? static_cast<const char*>(nul) - from : size));
    GlobalUnlock(data);
    return TRUE;
}

// The chars and a NUL in a new movable block, null when there is no memory. Whoever takes the
// block owns it; until then the caller frees it.
inline HGLOBAL MakeGlobalText(const char* text, size_t length) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, length + 1);
    char* to = data ? static_cast<char*>(GlobalLock(data)) : nullptr;
    if (!to) {
        if (data) GlobalFree(data);
        return nullptr;
    }
    std::memcpy(to, text, length);
    to[length] = '\0';
    GlobalUnlock(data);
    return data;
}
