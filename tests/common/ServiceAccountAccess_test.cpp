// TEST_LOCK: scm registry
// The rights a service account gets on what the service writes. Registry keys keep their access
// lists under Wine and are read back; files do not (Wine keeps only Unix permission bits), so for
// folders the test reads the list handed to the function that sets it.
#include "common/AppData.h"
#include "common/Generator.h"
#include "common/NTScmService.h"
#include "common/ServiceAccountAccess.h"
#include "support/TestSupport.h"
#include <aclapi.h>
#include <gtest/gtest.h>
#include <map>
#include <shlobj.h>
#include <vector>

namespace {
// A real service account Wine can look up, with no rights of its own on new objects (unlike the
// account running the tests, which owns them).
const char kServiceAccount[] = "LOCAL SERVICE";

std::vector<BYTE> SidOf(const char* account) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    char domain[256];
    DWORD sidSize = static_cast<DWORD>(sid.size()), domainSize = sizeof(domain);
    SID_NAME_USE use;
    if (!LookupAccountNameA(nullptr, account, sid.data(), &sidSize, domain, &domainSize, &use)) sid.clear();
    return sid;
}

// The allowing entries for the SID in an access list: their rights together, the inheritance
// flags of the first, and how many there are.
struct Allowed {
    DWORD rights = 0;
    BYTE inheritance = 0;
    int entries = 0;
};
Allowed AllowedIn(const ACL* list, const std::vector<BYTE>& sid) {
    Allowed allowed;
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(const_cast<ACL*>(list), i, reinterpret_cast<void**>(&ace)) ||
            ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || !EqualSid(&ace->SidStart, const_cast<BYTE*>(sid.data())))
            continue;
        if (!allowed.entries++) allowed.inheritance = ace->Header.AceFlags;
        allowed.rights |= ace->Mask;
    }
    return allowed;
}

// The access list the platform keeps for the object (empty when it cannot be read).
std::vector<BYTE> StoredList(const CString& objectName, SE_OBJECT_TYPE type) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    CString name(objectName);
    std::vector<BYTE> copy;
    if (GetNamedSecurityInfoA(name.GetBuffer(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                              &descriptor) == ERROR_SUCCESS &&
        list)
        copy.assign(reinterpret_cast<BYTE*>(list), reinterpret_cast<BYTE*>(list) + list->AclSize);
    LocalFree(descriptor);
    return copy;
}
Allowed StoredFor(const CString& objectName, SE_OBJECT_TYPE type, const std::vector<BYTE>& sid) {
    const std::vector<BYTE> list = StoredList(objectName, type);
    return AllowedIn(list.empty() ? nullptr : reinterpret_cast<const ACL*>(list.data()), sid);
}

// The lists set on files, by name, while the object lives; keys go on to the platform.
std::map<std::string, std::vector<BYTE>> g_fileLists;
DWORD WINAPI RecordFileList(LPSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID owner, PSID group,
                            PACL dacl, PACL sacl) {
    if (type != SE_FILE_OBJECT) return SetNamedSecurityInfoA(name, type, what, owner, group, dacl, sacl);
    g_fileLists[name].assign(reinterpret_cast<BYTE*>(dacl), reinterpret_cast<BYTE*>(dacl) + dacl->AclSize);
    return ERROR_SUCCESS;
}
class FileListRecorder {
public:
    FileListRecorder() {
        g_fileLists.clear();
        ServiceAccountAccess::SetSecurityFunctionForTesting(&RecordFileList);
    }
    ~FileListRecorder() { ServiceAccountAccess::SetSecurityFunctionForTesting(nullptr); }
    FileListRecorder(const FileListRecorder&) = delete;
    FileListRecorder& operator=(const FileListRecorder&) = delete;
    Allowed For(const CString& folder, const std::vector<BYTE>& sid) const {
        auto found = g_fileLists.find(folder.str());
        return found == g_fileLists.end() ? Allowed() : AllowedIn(reinterpret_cast<const ACL*>(found->second.data()), sid);
    }
};

// Takes every entry for the SID out of the key's access list, so that a grant left by an
// earlier run cannot pass for a new one.
void Revoke(const CString& objectName, const std::vector<BYTE>& sid) {
    std::vector<BYTE> list = StoredList(objectName, SE_REGISTRY_KEY);
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessMode = REVOKE_ACCESS;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.ptstrName = reinterpret_cast<LPSTR>(const_cast<BYTE*>(sid.data()));
    PACL changed = nullptr;
    CString name(objectName);
    if (!list.empty() &&
        SetEntriesInAclA(1, &entry, reinterpret_cast<PACL>(list.data()), &changed) == ERROR_SUCCESS)
        SetNamedSecurityInfoA(name.GetBuffer(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, changed,
                              nullptr);
    LocalFree(changed);
}

const BYTE kInheritedByAll = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
const CString kSettings = CString("MACHINE\\") + Generator::GetSettingsKey();
}  // namespace

TEST(ServiceAccountAccessTest, TheAccountMayModifyTheFolderAndItsContentAndSetValuesOfTheKey) {
    testing_support::ScratchFolder scratch;
    const std::vector<BYTE> sid = SidOf(kServiceAccount);
    ASSERT_FALSE(sid.empty());
    const CString key = "Software\\OrvServiceAccessTest";
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    FileListRecorder files;

    for (int pass = 0; pass < 2; ++pass) {  // a second grant adds no second entry to the key
        EXPECT_EQ(0u, ServiceAccountAccess::GrantFolder(kServiceAccount, scratch.Path()));
        EXPECT_EQ(0u, ServiceAccountAccess::GrantKey(kServiceAccount, HKEY_CURRENT_USER, key));
    }
    const Allowed folder = files.For(scratch.Path(), sid);
    EXPECT_EQ(ServiceAccountAccess::kFolderRights, folder.rights);
    EXPECT_EQ(kInheritedByAll, folder.inheritance & kInheritedByAll);
    EXPECT_EQ(1, folder.entries);
    // The entries the folder had stay.
    const std::vector<BYTE> owner = SidOf("SYSTEM");
    EXPECT_EQ(StoredFor(scratch.Path(), SE_FILE_OBJECT, owner).rights, files.For(scratch.Path(), owner).rights);
    const Allowed value = StoredFor("CURRENT_USER\\" + key, SE_REGISTRY_KEY, sid);
    EXPECT_EQ(static_cast<DWORD>(KEY_SET_VALUE), value.rights & KEY_SET_VALUE);
    EXPECT_EQ(1, value.entries);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);

    // An account the system does not know fails with its error.
    EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), ServiceAccountAccess::GrantFolder("NoSuchOrvAccount", scratch.Path()));
}

TEST(ServiceAccountAccessTest, TheServiceDataAreTheDataFolderWithItsLogsAndTheSettingsKey) {
    testing_support::ScratchFolder scratch;
    const CString data = scratch.File("data");
    AppData::SetDataFolderForTesting(data);
    const std::vector<BYTE> sid = SidOf(kServiceAccount);
    Revoke(kSettings, sid);
    ASSERT_EQ(0u, StoredFor(kSettings, SE_REGISTRY_KEY, sid).rights & KEY_SET_VALUE);
    FileListRecorder files;
    // The service control manager's ".\name" form of a local account is taken too.
    EXPECT_EQ(0u, ServiceAccountAccess::GrantServiceData((std::string(".\\") + kServiceAccount).c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(data + "\\Logs"));
    EXPECT_EQ(ServiceAccountAccess::kFolderRights, files.For(data, sid).rights);
    EXPECT_EQ(static_cast<DWORD>(KEY_SET_VALUE), StoredFor(kSettings, SE_REGISTRY_KEY, sid).rights & KEY_SET_VALUE);

    // A data folder that cannot be made fails the grant.
    testing_support::WriteFileBytes(scratch.File("blocker"), "a file where a folder should be");
    AppData::SetDataFolderForTesting(scratch.File("blocker\\data"));
    EXPECT_NE(0u, ServiceAccountAccess::GrantServiceData(kServiceAccount));
    AppData::SetDataFolderForTesting("");
}

// The service program's install with an account, as the manager runs it (in a process of its
// own: only the settings key can be read back).
TEST(ServiceAccountAccessTest, TheServiceProgramGrantsItsAccountBeforeInstallingOrDoesNotInstall) {
    testing_support::ScratchFolder scratch;
    const std::string program = (testing_support::BinFolder() + "\\OrvService.exe").str();
    const std::string names = " -silent -SN:OrvAccessTest \"-SDN:Orv Access Test\"";
    auto installed = [] {
        CNTServiceControlManager manager;
        CNTScmService service;
        return manager.Open(nullptr, SC_MANAGER_CONNECT) &&
               manager.OpenService("OrvAccessTest", SERVICE_QUERY_STATUS, service);
    };
    auto run = [&](const std::string& words) {
        return testing_support::RunProgram(program, words + names, scratch.File("out.txt").str()).exitCode;
    };
    run("-uninstall");

    EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), run("-install \"-U:NoSuchOrvAccount\""));
    EXPECT_FALSE(installed());

    const std::vector<BYTE> sid = SidOf(kServiceAccount);
    Revoke(kSettings, sid);
    ASSERT_EQ(0u, StoredFor(kSettings, SE_REGISTRY_KEY, sid).rights & KEY_SET_VALUE);
    EXPECT_EQ(0u, run(std::string("-install \"-U:") + kServiceAccount + "\""));
    EXPECT_TRUE(installed());
    EXPECT_EQ(static_cast<DWORD>(KEY_SET_VALUE), StoredFor(kSettings, SE_REGISTRY_KEY, sid).rights & KEY_SET_VALUE);
    EXPECT_EQ(0u, run("-uninstall"));
}
