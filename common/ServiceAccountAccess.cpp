#include "common/ServiceAccountAccess.h"
#include "classlib/HandleOwner.h"
#include "common/AppData.h"
#include "common/Exception.h"
#include "common/Generator.h"
#include <aclapi.h>
#include <cstring>
#include <vector>

namespace {
ServiceAccountAccess::GetSecurityFunction g_getSecurity = nullptr;
ServiceAccountAccess::SetSecurityFunction g_setSecurity = nullptr;

// Memory the security functions hand out with LocalAlloc.
typedef HandleOwner<handle_traits::NullIsInvalid<HLOCAL, HLOCAL, LocalFree>> ScopedLocalMemory;

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

// Changes the object's access list for the SID (GRANT_ACCESS: adds an entry allowing the rights;
// REVOKE_ACCESS: removes the SID's own allowing entries), keeping every other entry.
DWORD ChangeAccess(const CString& objectName, SE_OBJECT_TYPE type, PSID sid, ACCESS_MODE mode, DWORD rights,
                   DWORD inheritance) {
    PACL oldList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    CString name(objectName);
    DWORD error = (g_getSecurity ? g_getSecurity : &GetNamedSecurityInfoA)(
        name, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldList, nullptr, &descriptor);
    ScopedLocalMemory heldDescriptor(descriptor);
    if (error != ERROR_SUCCESS) return error;
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = rights;
    entry.grfAccessMode = mode;
    entry.grfInheritance = inheritance;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_USER;
    entry.Trustee.ptstrName = static_cast<LPSTR>(sid);
    PACL newList = nullptr;
    error = SetEntriesInAclA(1, &entry, oldList, &newList);
    ScopedLocalMemory heldList(newList);
    if (error != ERROR_SUCCESS) return error;
    return (g_setSecurity ? g_setSecurity : &SetNamedSecurityInfoA)(name.GetBuffer(), type, DACL_SECURITY_INFORMATION,
                                                                    nullptr, nullptr, newList, nullptr);
}

// The data folder, made when missing (so that the files the service makes later inherit what the
// folder is given); 0 or the error.
DWORD DataFolder(CString& folder) {
    try {
        AppData::GetLogsFolder();
        folder = AppData::GetDataFolder();
        return 0;
    } catch (const Exception&) {
        const DWORD error = GetLastError();
        return error ? error : ERROR_PATH_NOT_FOUND;
    }
}
}  // namespace

void ServiceAccountAccess::SetSecurityFunctionsForTesting(GetSecurityFunction get, SetSecurityFunction set) {
    g_getSecurity = get;
    g_setSecurity = set;
}

DWORD ServiceAccountAccess::GrantServiceData(const char* account) {
    DWORD error = 0;
    std::vector<BYTE> sid = LookUpSid(account, error);
    if (error) return error;
    CString folder;
    error = DataFolder(folder);
    if (error) return error;
    return ChangeAccess(folder, SE_FILE_OBJECT, sid.data(), GRANT_ACCESS, kFolderRights,
                        SUB_CONTAINERS_AND_OBJECTS_INHERIT);
}

DWORD ServiceAccountAccess::RevokeServiceData(const char* account) {
    DWORD error = 0;
    std::vector<BYTE> sid = LookUpSid(account, error);
    // An account that is gone can no longer use what it was given.
    if (error == ERROR_NONE_MAPPED) return 0;
    if (error) return error;
    CString folder;
    error = DataFolder(folder);
    if (error) return error;
    error = ChangeAccess(folder, SE_FILE_OBJECT, sid.data(), REVOKE_ACCESS, 0, NO_INHERITANCE);
    if (error) return error;
    // Installs of the previous version gave the account the settings key too.
    error = ChangeAccess(CString("MACHINE\\") + Generator::GetSettingsKey(), SE_REGISTRY_KEY, sid.data(),
                         REVOKE_ACCESS, 0, NO_INHERITANCE);
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
}
