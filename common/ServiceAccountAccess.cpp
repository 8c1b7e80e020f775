#include "common/ServiceAccountAccess.h"
#include "classlib/HandleOwner.h"
#include "common/AppData.h"
#include "common/DataFolderSecurity.h"
#include "common/DataFolderTakeOver.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/Generator.h"
#include "common/HeldObject.h"
#include "common/ObjectSecurity.h"
#include "common/ProcessPrivileges.h"
#include "common/TrustedOwners.h"
#include <aclapi.h>
#include <cstring>
#include <vector>

namespace {
// The account's SID, looked up on this machine; empty with the error set when it is unknown.
std::vector<BYTE> LookUpSid(const char* fullName, DWORD& error) {
    // The service control manager's ".\\name" for a local account is the name alone here.
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
    ScopedLocalMemory descriptor;
    DWORD error = ObjectSecurity::GetNamed(objectName, type, DACL_SECURITY_INFORMATION, nullptr, &oldList, descriptor);
    if (error != ERROR_SUCCESS) return error;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor.Get(), &control, &revision)) return GetLastError();
    ScopedLocalMemory newList;
    error = ChangeList(oldList, sid, REVOKE_ACCESS, 0, NO_INHERITANCE, newList);
    if (error != ERROR_SUCCESS) return error;
    const SECURITY_INFORMATION protection =
        (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    return ObjectSecurity::SetNamed(objectName, type, DACL_SECURITY_INFORMATION | protection, nullptr,
                                    static_cast<PACL>(newList.Get()));
}

// Where the data folder is; 0 or the error behind the Exception.
DWORD LocateDataFolder(CString& folder) {
    try {
        folder = AppData::LocateDataFolder();
        return 0;
    } catch (const Exception&) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_PATH_NOT_FOUND;
    }
}

// The account's modify entry in the data folder's protected list, spread to everything inside.
DWORD GrantFolderToAccount(const CString& folder, PSID account) {
    DataFolderSecurity security;
    if (security.GetError()) return security.GetError();
    ScopedLocalMemory withAccount;
    const DWORD error = ChangeList(security.GetList(), account, GRANT_ACCESS, ServiceAccountAccess::kFolderRights,
                                   SUB_CONTAINERS_AND_OBJECTS_INHERIT, withAccount);
    if (error) return error;
    return ObjectSecurity::SetNamed(folder, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, static_cast<PACL>(withAccount.Get()));
}
}  // namespace

DWORD ServiceAccountAccess::GrantServiceData(const char* account, std::vector<CString>& notes) {
    notes.clear();
    DWORD error = 0;
    std::vector<BYTE> sid;
    if (!IsLocalSystem(account)) {
        sid = LookUpSid(account, error);
        if (error) return error;
    }
    PSID accountSid = sid.empty() ? nullptr : sid.data();
    CString folder;
    error = LocateDataFolder(folder);
    if (error) return error;
    // Opening what another account owns, whose list may shut Administrators out, and taking it
    // over need these rights; they stay on for the rest of the install.
    EnableProcessPrivileges({"SeBackupPrivilege", "SeTakeOwnershipPrivilege", "SeRestorePrivilege"});
    const TrustedOwners trusted(accountSid);
    DataFolderTakeOver takeOver(trusted);
    error = takeOver.Run(folder);
    notes = takeOver.GetNotes();
    if (error) return error;
    // A file where the logs folder belongs keeps no install from succeeding: the service runs its
    // tasks without a log, as it always did.
    error = DirUtils::CreateFolderWith(DirUtils::JoinPath(folder, "Logs"), nullptr, nullptr);
    if (error && error != ERROR_ALREADY_EXISTS) return error;
    // Last, while the folder is still held: an install that fails at any step before leaves the
    // account nothing.
    return accountSid ? GrantFolderToAccount(folder, accountSid) : 0;
}

DWORD ServiceAccountAccess::RevokeServiceData(const char* account) {
    if (IsLocalSystem(account)) return 0;
    DWORD error = 0;
    std::vector<BYTE> sid = LookUpSid(account, error);
    // An account that is gone can no longer use what it was given.
    if (error == ERROR_NONE_MAPPED) return 0;
    if (error) return error;
    CString folder;
    error = LocateDataFolder(folder);
    if (error) return error;
    // Only a data folder the install made sure of holds the account's entry; a link in its place,
    // or a folder an ordinary user made since, is nobody's to change: the next install sets it
    // aside.
    HeldObject held;
    error = held.Open(folder);
    std::vector<BYTE> owner;
    bool listWasProtected = false;
    if (!error) error = held.ReadOwner(owner, listWasProtected);
    if (!error && !held.IsLink() && TrustedOwners(sid.data()).Trusts(owner)) {
        error = RevokeAccess(folder, SE_FILE_OBJECT, sid.data());
        if (error) return error;
    } else if (error && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return error;
    }
    // Installs of the previous version gave the account the settings key too.
    error = RevokeAccess(CString("MACHINE\\") + Generator::GetSettingsKey(), SE_REGISTRY_KEY, sid.data());
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
}
