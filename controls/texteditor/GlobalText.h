// Text in a block of global memory, as the clipboard and a drag hand it over in CF_TEXT: up to
// its first NUL and never past the block's size (another program need not end it with a NUL).
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
