#include "OrvServiceManager/WindowsRegistry.h"
#include "classlib/HandleOwner.h"

namespace {
// Reads need no more than read access: an account that may only read the key still gets the
// values.
ScopedRegKey OpenForReading(HKEY root, const char* subKey) {
    ScopedRegKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) key.Release();
    return key;
}
}  // namespace

BOOL WindowsRegistry::EnumSubKeys(const char* subKey, std::vector<CString>& names) {
    names.clear();
    ScopedRegKey key = OpenForReading(root_, subKey);
    if (!key) return FALSE;
    DWORD longest = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return FALSE;
    std::vector<char> buffer(longest + 1, '\0');
    for (DWORD index = 0; RegEnumKeyA(key.Get(), index, buffer.data(), static_cast<DWORD>(buffer.size())) ==
                          ERROR_SUCCESS;
         ++index)
        names.push_back(CString(buffer.data()));
    return TRUE;
}

BOOL WindowsRegistry::ValueExists(const char* subKey, const char* name) {
    ScopedRegKey key = OpenForReading(root_, subKey);
    if (!key) return FALSE;
    LONG result = RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, nullptr);
    return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

CString WindowsRegistry::GetString(const char* subKey, const char* name) {
    ScopedRegKey key = OpenForReading(root_, subKey);
    if (!key) return CString();
    DWORD longest = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return CString();
    // One byte more than any value holds, so a text stored without its terminator ends too.
    std::vector<char> buffer(longest + 1, '\0');
    DWORD type = REG_NONE;
    DWORD size = longest;
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return CString();
    return CString(buffer.data());
}

BOOL WindowsRegistry::SetString(const char* subKey, const char* name, const char* text) {
    const char* value = text ? text : "";
    return SetValue(subKey, name, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
}

DWORD WindowsRegistry::GetDword(const char* subKey, const char* name) {
    ScopedRegKey key = OpenForReading(root_, subKey);
    if (!key) return 0;
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
}

BOOL WindowsRegistry::SetDword(const char* subKey, const char* name, DWORD value) {
    return SetValue(subKey, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

BOOL WindowsRegistry::SetValue(const char* subKey, const char* name, DWORD type, const BYTE* data, DWORD size) {
    ScopedRegKey key;
    if (RegOpenKeyExA(root_, subKey, 0, KEY_ALL_ACCESS, key.Receive()) != ERROR_SUCCESS &&
        RegCreateKeyExA(root_, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr) !=
            ERROR_SUCCESS)
        return FALSE;
    return RegSetValueExA(key.Get(), name, 0, type, data, size) == ERROR_SUCCESS;
}
