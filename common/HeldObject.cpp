#include "common/HeldObject.h"
#include "common/ObjectSecurity.h"

DWORD HeldObject::Open(const CString& path, DWORD furtherAccess) {
    m_path = path;
    m_handle.Reset();
    // Some systems show a link only in the attributes read by its path, others only in those
    // read from a handle opened on the link itself: either one makes it a link.
    const DWORD byPath = GetFileAttributesA(path);
    if (byPath == INVALID_FILE_ATTRIBUTES) return GetLastError();
    // Backup semantics open folders, and let an administrator in whatever the object's list says.
    m_handle.Reset(CreateFileA(path, READ_CONTROL | FILE_READ_ATTRIBUTES | furtherAccess,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!m_handle) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_OPEN_FAILED;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(m_handle.Get(), &information)) {
        const DWORD error = GetLastError();
        m_handle.Reset();
        return error ? error : ERROR_OPEN_FAILED;
    }
    m_attributes = information.dwFileAttributes | (byPath & FILE_ATTRIBUTE_REPARSE_POINT);
    m_names = information.nNumberOfLinks;
    return 0;
}

DWORD HeldObject::ReadOwner(std::vector<BYTE>& owner, bool& protectedList) const {
    if (!m_handle) return ERROR_INVALID_HANDLE;
    return ObjectSecurity::ReadOwner(m_handle.Get(), owner, protectedList);
}
