// A file or folder opened as it stands at its path, never what a link there points to, and held
// without delete sharing: while the handle lives nobody can rename it, remove it or put a link in
// its place, so what was checked on it is what later steps act on.
#pragma once
#include "classlib/CString.h"
#include "classlib/HandleOwner.h"
#include <vector>

class HeldObject {
public:
    HeldObject() = default;
    HeldObject(const HeldObject&) = delete;
    HeldObject& operator=(const HeldObject&) = delete;

    // Opens the object at the path with the right to read its security and attributes, and any
    // further rights asked for (WRITE_DAC | WRITE_OWNER to change its security). 0 or the error.
    DWORD Open(const CString& path, DWORD furtherAccess = 0);
    // Lets the object go, so that it can be moved or removed.
    void Release() { m_handle.Reset(); }

    const CString& GetPath() const { return m_path; }
    HANDLE Get() const { return m_handle.Get(); }
    // A symbolic link or junction in the path's place, not an object of its own.
    bool IsLink() const { return (m_attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    bool IsFolder() const { return (m_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // How many names the file has; more than one: a hard link shares it with another place.
    DWORD GetNameCount() const { return m_names; }
    // Through ObjectSecurity: a copy of the owner, and whether the list is protected.
    DWORD ReadOwner(std::vector<BYTE>& owner, bool& protectedList) const;

private:
    CString m_path;
    ScopedHandle m_handle;
    DWORD m_attributes = 0;
    DWORD m_names = 0;
};
