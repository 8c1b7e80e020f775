#include "common/DataFolderSecurity.h"
#include "common/DirUtils.h"

namespace {
// Owner Administrators; a protected list of entries that folders and files inside inherit:
// SYSTEM and Administrators full control, Users read and execute (0x1200a9).
const char* const kFolderDescriptor = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

static_assert(DataFolderSecurity::kUsersRights == 0x1200a9, "the descriptor text spells out Users' rights");
}  // namespace

DataFolderSecurity::DataFolderSecurity() : m_folder(kFolderDescriptor) {}

DWORD DataFolderSecurity::MakeFolder(const CString& folder) {
    return DirUtils::CreateFolderWith(folder, m_folder.Get(), m_folder.Get());
}

PSID DataFolderSecurity::GetOwner() const {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    GetSecurityDescriptorOwner(m_folder.GetDescriptor(), &owner, &defaulted);
    return owner;
}

PACL DataFolderSecurity::GetList() const {
    PACL list = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorDacl(m_folder.GetDescriptor(), &present, &list, &defaulted);
    return list;
}
