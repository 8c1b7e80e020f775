#include "classlib/CRegKey.h"
#include <vector>

LONG CRegKey::Open(HKEY parent, const char* subKey, REGSAM access) {
    HKEY key = nullptr;
    LONG r = RegOpenKeyExA(parent, subKey, 0, access, &key);
    if (r == ERROR_SUCCESS) key_.Reset(key);
    return r;
}

LONG CRegKey::Create(HKEY parent, const char* subKey, REGSAM access) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG r = RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    if (r == ERROR_SUCCESS) key_.Reset(key);
    return r;
}

LONG CRegKey::Close() {
    // Closed here rather than by the owner, so that the caller learns the result.
    HKEY key = key_.Release();
    return key && handle_traits::RegKey::IsValid(key) ? RegCloseKey(key) : ERROR_SUCCESS;
}

HKEY CRegKey::Detach() { return key_.Release(); }

LONG CRegKey::QueryStringValue(const char* name, char* buffer, ULONG* chars) {
    if (!buffer || !chars || *chars == 0) return ERROR_INVALID_PARAMETER;
    const ULONG capacity = *chars;
    DWORD type = 0;
    DWORD bytes = capacity;
    LONG r = RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (r == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) r = ERROR_INVALID_DATA;
    // The registry does not promise a terminator: add one, within the buffer.
    if (r == ERROR_SUCCESS && (bytes == 0 || buffer[bytes - 1] != '\0')) {
        if (bytes >= capacity) {
            r = ERROR_MORE_DATA;
        } else {
            buffer[bytes++] = '\0';
        }
    }
    if (r != ERROR_SUCCESS) {
        // Whatever the failure, a caller that ignores it still finds a terminated (empty) text;
        // on a short buffer it learns a size that is enough, terminator included.
        buffer[0] = '\0';
        if (r == ERROR_MORE_DATA) *chars = bytes + 1;
        return r;
    }
    *chars = bytes;
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryStringValue(const char* name, CString& value) {
    DWORD type = 0, bytes = 0;
    LONG r = RegQueryValueExA(key_.Get(), name, nullptr, &type, nullptr, &bytes);
    if (r != ERROR_SUCCESS) return r;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    std::vector<char> buf(bytes + 1, '\0');
    ULONG chars = static_cast<ULONG>(buf.size());
    r = QueryStringValue(name, buf.data(), &chars);
    if (r == ERROR_SUCCESS) value = buf.data();
    return r;
}

LONG CRegKey::QueryDWORDValue(const char* name, DWORD& value) {
    DWORD type = 0, data = 0, bytes = sizeof(data);
    LONG r = RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes);
    if (r != ERROR_SUCCESS) return r;
    if (type != REG_DWORD || bytes != sizeof(DWORD)) return ERROR_INVALID_DATA;
    value = data;
    return ERROR_SUCCESS;
}

LONG CRegKey::SetDWORDValue(const char* name, DWORD value) {
    return RegSetValueExA(key_.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG CRegKey::SetStringValue(const char* name, const char* value, DWORD type) {
    const char* v = value ? value : "";
    return RegSetValueExA(key_.Get(), name, 0, type, reinterpret_cast<const BYTE*>(v), lstrlenA(v) + 1);
}

LONG CRegKey::DeleteValue(const char* name) { return RegDeleteValueA(key_.Get(), name); }

LONG CRegKey::DeleteSubKey(const char* name) { return RegDeleteKeyA(key_.Get(), name); }
