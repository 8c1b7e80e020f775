// Owner of one open registry key; closes it when destroyed.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"

class CRegKey {
public:
    CRegKey() {}
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // Opens an existing key; never creates one. Results are registry error codes.
    LONG Open(HKEY parent, const char* subKey, REGSAM access = KEY_READ | KEY_WRITE);
    LONG Create(HKEY parent, const char* subKey, REGSAM access = KEY_READ | KEY_WRITE);
    LONG Close();
    HKEY GetKey() const { return key_.Get(); }
    operator HKEY() const { return key_.Get(); }
    HKEY Detach();

    // Reads a REG_SZ or REG_EXPAND_SZ value; the text is always terminated within `chars`,
    // which on success holds the characters stored, terminator included. On failure the buffer
    // holds the empty text; on ERROR_MORE_DATA `chars` holds a size that is enough.
    LONG QueryStringValue(const char* name, char* buffer, ULONG* chars);
    LONG QueryStringValue(const char* name, CString& value);
    // Reads a value that must be REG_DWORD.
    LONG QueryDWORDValue(const char* name, DWORD& value);
    LONG SetDWORDValue(const char* name, DWORD value);
    LONG SetStringValue(const char* name, const char* value, DWORD type = REG_SZ);
    LONG DeleteValue(const char* name);
    LONG DeleteSubKey(const char* name);

private:
    ScopedRegKey key_;
};
