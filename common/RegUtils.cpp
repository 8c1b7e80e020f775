#include "common/RegUtils.h"
#include "classlib/CRegKey.h"

bool RegUtils::ReadString(HKEY root, const char* keyPath, const char* valueName, CString& value) {
    CRegKey key;
    if (key.Open(root, keyPath, KEY_READ) != ERROR_SUCCESS) return false;
    char buffer[260];
    ULONG chars = sizeof(buffer);
    // The registry keeps whatever bytes were stored, terminator or not; the key terminates the
    // text within the buffer and refuses a longer one.
    if (key.QueryStringValue(valueName, buffer, &chars) != ERROR_SUCCESS) return false;
    buffer[sizeof(buffer) - 1] = '\0';
    value = buffer;
    return true;
}

bool RegUtils::ReadDword(HKEY root, const char* keyPath, const char* valueName, DWORD& value) {
    CRegKey key;
    if (key.Open(root, keyPath, KEY_READ) != ERROR_SUCCESS) return false;
    return key.QueryDWORDValue(valueName, value) == ERROR_SUCCESS;
}

bool RegUtils::WriteDword(HKEY root, const char* keyPath, const char* valueName, DWORD value) {
    CRegKey key;
    if (key.Open(root, keyPath, KEY_WRITE) != ERROR_SUCCESS) return false;
    return key.SetDWORDValue(valueName, value) == ERROR_SUCCESS;
}
