#include "common/DataFolderSecurity.h"
#include <sddl.h>

namespace {
// Owner Administrators; a protected list of entries that folders and files inside inherit:
// SYSTEM and Administrators full control, Users read and execute (0x1200a9).
const char* const kFolderDescriptor = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// Owner Administrators, no list: the folder inherits the one of the folder it is made in.
const char* const kParentDescriptor = "O:BA";

static_assert(DataFolderSecurity::kUsersRights == 0x1200a9, "the descriptor text spells out Users' rights");

DWORD Build(const char* text, ScopedLocalMemory& descriptor, SECURITY_ATTRIBUTES& attributes) {
    PSECURITY_DESCRIPTOR built = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &built, nullptr)) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_INVALID_SECURITY_DESCR;
    }
    descriptor.Reset(built);
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = built;
    attributes.bInheritHandle = FALSE;
    return 0;
}
}  // namespace

DataFolderSecurity::DataFolderSecurity() : m_error(0), m_folderAttributes(), m_parentAttributes() {
    m_error = Build(kFolderDescriptor, m_folder, m_folderAttributes);
    if (!m_error) m_error = Build(kParentDescriptor, m_parent, m_parentAttributes);
}

PSID DataFolderSecurity::GetOwner() const {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    GetSecurityDescriptorOwner(m_folder.Get(), &owner, &defaulted);
    return owner;
}

PACL DataFolderSecurity::GetList() const {
    PACL list = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorDacl(m_folder.Get(), &present, &list, &defaulted);
    return list;
}
