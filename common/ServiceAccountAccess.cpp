#include "common/ServiceAccountAccess.h"
#include "classlib/CRegKey.h"
#include "classlib/HandleOwner.h"
#include "common/AppData.h"
#include "common/Exception.h"
#include "common/Generator.h"
#include <aclapi.h>
#include <cstring>
#include <vector>

namespace {
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

// Adds an entry allowing the rights to the SID to the object's access list, keeping every other.
DWORD Grant(const CString& objectName, SE_OBJECT_TYPE type, PSID sid, DWORD rights, DWORD inheritance) {
    PACL oldList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    CString name(objectName);
    DWORD error = GetNamedSecurityInfoA(name.GetBuffer(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldList,
                                        nullptr, &descriptor);
    ScopedLocalMemory heldDescriptor(descriptor);
    if (error != ERROR_SUCCESS) return error;
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = rights;
    entry.grfAccessMode = GRANT_ACCESS;
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
}  // namespace

void ServiceAccountAccess::SetSecurityFunctionForTesting(SetSecurityFunction function) { g_setSecurity = function; }

DWORD ServiceAccountAccess::GrantServiceData(const char* account) {
    DWORD error = 0;
    std::vector<BYTE> sid = LookUpSid(account, error);
    if (error) return error;
    CString folder;
    try {
        // Made here when missing, so that the files the service makes later inherit the entry.
        AppData::GetLogsFolder();
        folder = AppData::GetDataFolder();
    } catch (const Exception&) {
        error = GetLastError();
        return error ? error : ERROR_PATH_NOT_FOUND;
    }
    error = Grant(folder, SE_FILE_OBJECT, sid.data(), kFolderRights, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
    if (error) return error;
    // Made when missing, so that there is a key to give the rights on.
    CRegKey key;
    error = key.Create(HKEY_LOCAL_MACHINE, Generator::GetSettingsKey(), KEY_READ);
    if (error) return error;
    return Grant(CString("MACHINE\\") + Generator::GetSettingsKey(), SE_REGISTRY_KEY, sid.data(), kKeyRights,
                 NO_INHERITANCE);
}
