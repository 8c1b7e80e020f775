#include "common/ServiceAccountAccess.h"
#include "classlib/HandleOwner.h"
#include "common/AppData.h"
#include "common/DataFolderSecurity.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Generator.h"
#include "common/ProcessPrivileges.h"
#include <aclapi.h>
#include <cstring>
#include <vector>

namespace {
ServiceAccountAccess::GetSecurityFunction g_getSecurity = nullptr;
ServiceAccountAccess::SetSecurityFunction g_setSecurity = nullptr;

// The account's SID, looked up on this machine; empty with the error set when it is unknown.
std::vector<BYTE> LookUpSid(const char* fullName, DWORD& error) {
    // The service control manager's ".\name" for a local account is the name alone here.
    const char* account = strncmp(fullName, ".\\", 2) == 0 ? fullName + 2 : fullName;
    DWORD sidSize = 0, domainSize = 0;
    SID_NAME_USE use;
    LookupAccountNameA(nullptr, account, nullptr, &sidSize, nullptr, &domainSize, &use);
    std::vector<BYTE> sid(sidSize ? sidSize : 1);
    std::vector<char> domain(domainSize ? domainSize : 1);
    if (!sidSize || !LookupAccountNameA(nullptr, account, sid.data(), &sidSize, domain.data(), &domainSize, &use)) {
        error = GetLastError();
        if (!error) error = ERROR_NONE_MAPPED;
        return std::vector<BYTE>();
    }
    error = 0;
    return sid;
}

bool IsLocalSystem(const char* account) { return !*account || lstrcmpiA(account, "LocalSystem") == 0; }

DWORD SetSecurity(const CString& objectName, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner,
                  PACL list) {
    CString name(objectName);
    return (g_setSecurity ? g_setSecurity : &SetNamedSecurityInfoA)(name.GetBuffer(), type, what, owner, nullptr,
                                                                    list, nullptr);
}

// The list with an entry for the SID changed (GRANT_ACCESS: an entry allowing the rights added;
// REVOKE_ACCESS: the SID's own allowing entries removed), every other entry kept; 0 or the error.
DWORD ChangeList(PACL list, PSID sid, ACCESS_MODE mode, DWORD rights, DWORD inheritance,
                 ScopedLocalMemory& changed) {
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = rights;
    entry.grfAccessMode = mode;
    entry.grfInheritance = inheritance;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_USER;
    entry.Trustee.ptstrName = static_cast<LPSTR>(sid);
    PACL newList = nullptr;
    const DWORD error = SetEntriesInAclA(1, &entry, list, &newList);
    changed.Reset(newList);
    return error;
}

// Takes the SID's own allowing entries out of the object's access list, keeping whether the list
// inherits from above: set without saying so, a list would inherit again.
DWORD RevokeAccess(const CString& objectName, SE_OBJECT_TYPE type, PSID sid) {
    PACL oldList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = (g_getSecurity ? g_getSecurity : &GetNamedSecurityInfoA)(
        objectName, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldList, nullptr, &descriptor);
    ScopedLocalMemory heldDescriptor(descriptor);
    if (error != ERROR_SUCCESS) return error;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) return GetLastError();
    ScopedLocalMemory newList;
    error = ChangeList(oldList, sid, REVOKE_ACCESS, 0, NO_INHERITANCE, newList);
    if (error != ERROR_SUCCESS) return error;
    const SECURITY_INFORMATION protection =
        (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    return SetSecurity(objectName, type, DACL_SECURITY_INFORMATION | protection, nullptr,
                       static_cast<PACL>(newList.Get()));
}

// 0 when the data folder's operation went through, or the error behind its Exception.
template <class Operation>
DWORD ErrorOf(Operation operation) {
    try {
        operation();
        return 0;
    } catch (const Exception&) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_PATH_NOT_FOUND;
    }
}

// The data folder, made when missing; 0 or the error.
DWORD DataFolder(CString& folder) {
    return ErrorOf([&folder] { folder = AppData::GetDataFolder(); });
}

// Every entry of the folder, and of its folders, owned by the owner with no entry of its own, so
// that it has only what the data folder's list gives everything inside. Links go: the service
// never makes one, and it would write where a link points. A folder is set before it is listed,
// as its list may not let Administrators see inside until then.
DWORD SecureContents(const CString& folder, PSID owner, PACL noEntries) {
    WIN32_FIND_DATAA found;
    ScopedFindHandle find(FindFirstFileA(DirUtils::JoinPath(folder, "*"), &found));
    if (!find) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
        const CString path = DirUtils::JoinPath(folder, found.cFileName);
        DWORD error = 0;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            error = DirUtils::RemoveLink(path);
        } else {
            error = SetSecurity(path, SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                    UNPROTECTED_DACL_SECURITY_INFORMATION,
                                owner, noEntries);
            if (!error && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                error = SecureContents(path, owner, noEntries);
        }
        if (error) return error;
    } while (FindNextFileA(find.Get(), &found));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

// The data folder and everything in it as GrantServiceData describes, the account's entry (none
// without a SID) in the folder's list from the start; 0 or the error.
DWORD SecureDataFolder(PSID account) {
    DataFolderSecurity security;
    if (security.GetError()) return security.GetError();
    ScopedLocalMemory withAccount;
    PACL list = security.GetList();
    if (account) {
        const DWORD error = ChangeList(list, account, GRANT_ACCESS, ServiceAccountAccess::kFolderRights,
                                       SUB_CONTAINERS_AND_OBJECTS_INHERIT, withAccount);
        if (error) return error;
        list = static_cast<PACL>(withAccount.Get());
    }
    CString folder;
    DWORD error = DataFolder(folder);
    if (error) return error;
    if (DirUtils::IsLink(folder)) {
        error = DirUtils::RemoveLink(folder);
        if (!error) error = security.MakeFolder(folder);
        if (error) return error;
    }
    // Taking over what another account owns, and whose list may shut Administrators out, needs
    // the rights to take ownership and to restore; they stay on for the rest of the install.
    EnableProcessPrivileges({"SeTakeOwnershipPrivilege", "SeRestorePrivilege"});
    error = SetSecurity(folder, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                        security.GetOwner(), list);
    if (error) return error;
    ACL noEntries;
    if (!InitializeAcl(&noEntries, sizeof(noEntries), ACL_REVISION)) return GetLastError();
    error = SecureContents(folder, security.GetOwner(), &noEntries);
    return error ? error : ErrorOf([] { AppData::GetLogsFolder(); });
}
}  // namespace

void ServiceAccountAccess::SetSecurityFunctionsForTesting(GetSecurityFunction get, SetSecurityFunction set) {
    g_getSecurity = get;
    g_setSecurity = set;
}

DWORD ServiceAccountAccess::GrantServiceData(const char* account) {
    DWORD error = 0;
    std::vector<BYTE> sid;
    if (!IsLocalSystem(account)) {
        sid = LookUpSid(account, error);
        if (error) return error;
    }
    return SecureDataFolder(sid.empty() ? nullptr : sid.data());
}

DWORD ServiceAccountAccess::RevokeServiceData(const char* account) {
    if (IsLocalSystem(account)) return 0;
    DWORD error = 0;
    std::vector<BYTE> sid = LookUpSid(account, error);
    // An account that is gone can no longer use what it was given.
    if (error == ERROR_NONE_MAPPED) return 0;
    if (error) return error;
    CString folder;
    error = DataFolder(folder);
    if (error) return error;
    error = RevokeAccess(folder, SE_FILE_OBJECT, sid.data());
    if (error) return error;
    // Installs of the previous version gave the account the settings key too.
    error = RevokeAccess(CString("MACHINE\\") + Generator::GetSettingsKey(), SE_REGISTRY_KEY, sid.data());
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
}
