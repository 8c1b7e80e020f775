// Registry values under one root key: each operation opens the subkey, works and closes it.
#pragma once
#include "classlib/CString.h"
#include <vector>

class WindowsRegistry {
public:
    explicit WindowsRegistry(HKEY root) : root_(root) {}
    virtual ~WindowsRegistry() {}

    // The names of the subkey's subkeys in enumeration order; FALSE when it cannot be read.
    virtual BOOL EnumSubKeys(const char* subKey, std::vector<CString>& names);
    virtual BOOL ValueExists(const char* subKey, const char* name);
    // A REG_SZ value's text; the empty text for anything else, or a missing key or value.
    virtual CString GetString(const char* subKey, const char* name);
    // Creates the subkey when it is missing; TRUE when written.
    virtual BOOL SetString(const char* subKey, const char* name, const char* text);
    // A REG_DWORD value; 0 for anything else.
    virtual DWORD GetDword(const char* subKey, const char* name);
    virtual BOOL SetDword(const char* subKey, const char* name, DWORD value);

private:
    BOOL SetValue(const char* subKey, const char* name, DWORD type, const BYTE* data, DWORD size);

    HKEY root_;
};
