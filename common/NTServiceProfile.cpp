// The service's registry profile: values under its key "Parameters" in the services key.
#include "classlib/CRegKey.h"
#include "common/NTService.h"
#include "classlib/HandleOwner.h"
#include <memory>

namespace {
const REGSAM kReadAccess = KEY_READ;
const REGSAM kWriteAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

void SetError(DWORD* error, LONG result) {
    if (error) *error = static_cast<DWORD>(result);
}
}  // namespace

// Opens (creating what is missing, for reads too) the "Parameters" key, and under it the
// section when one is given. The caller closes the key.
HKEY CNTService::OpenSectionKey(const char* section, BOOL write, LONG& result) {
    REGSAM access = write ? kWriteAccess : kReadAccess;
    CRegKey services;
    result = services.Open(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", access);
    if (result != ERROR_SUCCESS) return nullptr;
    CRegKey serviceKey;
    result = serviceKey.Create(services, m_sServiceName, kWriteAccess);
    if (result != ERROR_SUCCESS) return nullptr;
    CRegKey parameters;
    result = parameters.Create(serviceKey, "Parameters", kWriteAccess);
    if (result != ERROR_SUCCESS) return nullptr;
    if (!section) return parameters.Detach();
    CRegKey sectionKey;
    result = sectionKey.Create(parameters, section, access);
    if (result != ERROR_SUCCESS) return nullptr;
    return sectionKey.Detach();
}

void CNTService::FinishWrite(HKEY key) {
    if (m_bProfileWriteFlush) RegFlushKey(key);
}

BOOL CNTService::WriteProfileString(const char* section, const char* entry, const char* value, DWORD* error) {
    LONG result;
    if (!entry) {
        ScopedRegKey parameters(OpenSectionKey(nullptr, TRUE, result));
        if (!parameters.Get()) {
            SetError(error, result);
            return FALSE;
        }
        result = RegDeleteKeyA(parameters.Get(), section);
        if (result == ERROR_SUCCESS) FinishWrite(parameters.Get());
        SetError(error, result);
        return result == ERROR_SUCCESS;
    }
    ScopedRegKey key(OpenSectionKey(section, TRUE, result));
    if (!key.Get()) {
        SetError(error, result);
        return FALSE;
    }
    if (!value)
        result = RegDeleteValueA(key.Get(), entry);
    else
        result = RegSetValueExA(key.Get(), entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                static_cast<DWORD>(strlen(value) + 1));
    if (result == ERROR_SUCCESS) FinishWrite(key.Get());
    SetError(error, result);
    return result == ERROR_SUCCESS;
}

BOOL CNTService::WriteProfileInt(const char* section, const char* entry, int value, DWORD* error) {
    LONG result;
    ScopedRegKey key(OpenSectionKey(section, TRUE, result));
    if (key.Get()) {
        DWORD data = static_cast<DWORD>(value);
        result = RegSetValueExA(key.Get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
        if (result == ERROR_SUCCESS) FinishWrite(key.Get());
    }
    SetError(error, result);
    return result == ERROR_SUCCESS;
}

BOOL CNTService::WriteProfileStringArray(const char* section, const char* entry, const CStringArray& array,
                                         DWORD* error) {
    LONG result;
    ScopedRegKey key(OpenSectionKey(section, TRUE, result));
    if (key.Get()) {
        result = CNTEventLogSource::WriteMultiString(key.Get(), entry, array);
        if (result == ERROR_SUCCESS) FinishWrite(key.Get());
    }
    SetError(error, result);
    return result == ERROR_SUCCESS;
}

BOOL CNTService::WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT bytes,
                                    DWORD* error) {
    LONG result;
    ScopedRegKey key(OpenSectionKey(section, TRUE, result));
    if (key.Get()) {
        result = RegSetValueExA(key.Get(), entry, 0, REG_BINARY, data, bytes);
        if (result == ERROR_SUCCESS) FinishWrite(key.Get());
    }
    SetError(error, result);
    return result == ERROR_SUCCESS;
}

CString CNTService::GetProfileString(const char* section, const char* entry, const char* defaultValue,
                                     DWORD* error) {
    LONG result;
    ScopedRegKey key(OpenSectionKey(section, FALSE, result));
    if (key.Get()) {
        DWORD type = 0;
        DWORD size = 0;
        result = RegQueryValueExA(key.Get(), entry, nullptr, &type, nullptr, &size);
        if (result == ERROR_SUCCESS) {
            // One spare NUL: a stored value need not be terminated.
            std::unique_ptr<char[]> buffer(new char[size + 1]());
            result = RegQueryValueExA(key.Get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer.get()), &size);
            if (result == ERROR_SUCCESS) {
                SetError(error, result);
                return CString(buffer.get());
            }
        }
    }
    SetError(error, result);
    return defaultValue;
}

int CNTService::GetProfileInt(const char* section, const char* entry, int defaultValue, DWORD* error) {
    LONG result;
    ScopedRegKey key(OpenSectionKey(section, FALSE, result));
    if (key.Get()) {
        DWORD value = 0;
        DWORD size = sizeof(value);
        result = RegQueryValueExA(key.Get(), entry, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        if (result == ERROR_SUCCESS) {
            SetError(error, result);
            return static_cast<int>(value);
        }
    }
    SetError(error, result);
    return defaultValue;
}

BOOL CNTService::GetProfileStringArray(const char* section, const char* entry, CStringArray& array,
                                       DWORD* error) {
    array.RemoveAll();
    LONG result;
    ScopedRegKey key(OpenSectionKey(section, FALSE, result));
    if (key.Get()) result = CNTEventLogSource::ReadMultiString(key.Get(), entry, array);
    SetError(error, result);
    if (result != ERROR_SUCCESS) SetLastError(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

BOOL CNTService::GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes,
                                  DWORD* error) {
    *data = nullptr;
    *bytes = 0;
    LONG result;
    ScopedRegKey key(OpenSectionKey(section, FALSE, result));
    if (key.Get()) {
        DWORD size = 0;
        result = RegQueryValueExA(key.Get(), entry, nullptr, nullptr, nullptr, &size);
        if (result == ERROR_SUCCESS) {
            std::unique_ptr<BYTE[]> buffer(new BYTE[size ? size : 1]);
            result = RegQueryValueExA(key.Get(), entry, nullptr, nullptr, buffer.get(), &size);
            if (result == ERROR_SUCCESS) {
                *data = buffer.release();
                *bytes = size;
            }
        }
    }
    SetError(error, result);
    return result == ERROR_SUCCESS;
}
