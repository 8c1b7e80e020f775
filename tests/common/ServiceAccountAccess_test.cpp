// TEST_LOCK: registry
// The rights a service account gets on what the service writes, read back from the security
// descriptors the platform keeps.
#include "common/AppData.h"
#include "common/Generator.h"
#include "common/ServiceAccountAccess.h"
#include "support/TestSupport.h"
#include <aclapi.h>
#include <gtest/gtest.h>
#include <vector>

namespace {
std::string CurrentUser() {
    char name[256] = "";
    DWORD size = sizeof(name);
    GetUserNameA(name, &size);
    return name;
}

std::vector<BYTE> SidOf(const std::string& account) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    char domain[256];
    DWORD sidSize = static_cast<DWORD>(sid.size()), domainSize = sizeof(domain);
    SID_NAME_USE use;
    if (!LookupAccountNameA(nullptr, account.c_str(), sid.data(), &sidSize, domain, &domainSize, &use)) sid.clear();
    return sid;
}

// The rights of the allowing entries for the SID in the object's access list, with the
// inheritance flags of the first one; -1 when the list cannot be read.
struct Allowed {
    long long rights = -1;
    BYTE inheritance = 0;
};
Allowed AllowedFor(const CString& objectName, SE_OBJECT_TYPE type, PSID sid) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    CString name(objectName);
    Allowed allowed;
    if (GetNamedSecurityInfoA(name.GetBuffer(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                              &descriptor) != ERROR_SUCCESS)
        return allowed;
    allowed.rights = 0;
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(list, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        if (!EqualSid(&ace->SidStart, sid)) continue;
        if (!allowed.rights) allowed.inheritance = ace->Header.AceFlags;
        allowed.rights |= ace->Mask;
    }
    LocalFree(descriptor);
    return allowed;
}

const BYTE kInheritedByAll = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
}  // namespace

TEST(ServiceAccountAccessTest, TheAccountMayModifyTheFolderAndItsContentAndSetValuesOfTheKey) {
    testing_support::ScratchFolder scratch;
    const std::string account = CurrentUser();
    std::vector<BYTE> sid = SidOf(account);
    ASSERT_FALSE(sid.empty());
    const CString key = "Software\\OrvServiceAccessTest";
    RegDeleteKeyA(HKEY_CURRENT_USER, key);

    const Allowed before = AllowedFor(scratch.Path(), SE_FILE_OBJECT, sid.data());
    ASSERT_GE(before.rights, 0) << "the folder's descriptor cannot be read";
    EXPECT_EQ(0u, ServiceAccountAccess::GrantFolder(account.c_str(), scratch.Path()));
    const Allowed folder = AllowedFor(scratch.Path(), SE_FILE_OBJECT, sid.data());
    EXPECT_EQ(ServiceAccountAccess::kFolderRights, folder.rights & ServiceAccountAccess::kFolderRights);
    EXPECT_EQ(kInheritedByAll, folder.inheritance & kInheritedByAll);

    EXPECT_EQ(0u, ServiceAccountAccess::GrantKey(account.c_str(), HKEY_CURRENT_USER, key));
    const Allowed value = AllowedFor("CURRENT_USER\\" + key, SE_REGISTRY_KEY, sid.data());
    EXPECT_EQ(static_cast<long long>(KEY_SET_VALUE), value.rights & KEY_SET_VALUE);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);

    // An account the system does not know fails with its error; nothing is granted.
    EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED),
              ServiceAccountAccess::GrantFolder("NoSuchOrvAccount", scratch.Path()));
}

TEST(ServiceAccountAccessTest, TheServiceDataAreTheDataFolderWithItsLogsAndTheSettingsKey) {
    testing_support::ScratchFolder scratch;
    const CString data = scratch.File("data");
    AppData::SetDataFolderForTesting(data);
    const std::string account = ".\\" + CurrentUser();  // as the service control manager takes it
    std::vector<BYTE> sid = SidOf(CurrentUser());
    EXPECT_EQ(0u, ServiceAccountAccess::GrantServiceData(account.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(data + "\\Logs"));
    EXPECT_EQ(ServiceAccountAccess::kFolderRights,
              AllowedFor(data, SE_FILE_OBJECT, sid.data()).rights & ServiceAccountAccess::kFolderRights);
    EXPECT_EQ(static_cast<long long>(KEY_SET_VALUE),
              AllowedFor(CString("MACHINE\\") + Generator::GetSettingsKey(), SE_REGISTRY_KEY, sid.data()).rights &
                  KEY_SET_VALUE);

    // A data folder that cannot be made fails the grant.
    testing_support::WriteFileBytes(scratch.File("blocker"), "a file where a folder should be");
    AppData::SetDataFolderForTesting(scratch.File("blocker\\data"));
    EXPECT_NE(0u, ServiceAccountAccess::GrantServiceData(account.c_str()));
    AppData::SetDataFolderForTesting("");
}
