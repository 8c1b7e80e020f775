// TEST_LOCK: scm registry
// What the service's install gives the account it is to log on as, and its uninstall takes back.
// Wine keeps no access lists on files (only Unix permission bits), so the test keeps the lists
// that the code sets and hands them back when it reads them.
#include "OrvService/OrvService.h"
#include "common/AppData.h"
#include "common/Generator.h"
#include "common/ServiceAccountAccess.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <aclapi.h>
#include <cstring>
#include <map>

namespace {
std::map<std::string, std::vector<BYTE>> g_lists;  // by object name
DWORD WINAPI KeepList(LPSTR name, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL dacl, PACL) {
    g_lists[name].assign(reinterpret_cast<BYTE*>(dacl), reinterpret_cast<BYTE*>(dacl) + dacl->AclSize);
    return ERROR_SUCCESS;
}
// The list kept for the object, in one block as the system hands it out (a descriptor, then the
// list it points to); the system's own for an object whose list was never set.
DWORD WINAPI GiveKeptList(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID* owner, PSID* group,
                          PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) {
    const auto kept = g_lists.find(name);
    if (kept == g_lists.end()) return GetNamedSecurityInfoA(name, type, what, owner, group, dacl, sacl, descriptor);
    BYTE* block = static_cast<BYTE*>(LocalAlloc(LPTR, sizeof(SECURITY_DESCRIPTOR) + kept->second.size()));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    ACL* list = reinterpret_cast<ACL*>(block + sizeof(SECURITY_DESCRIPTOR));
    std::memcpy(list, kept->second.data(), kept->second.size());
    InitializeSecurityDescriptor(block, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(block, TRUE, list, FALSE);
    *dacl = list;
    *descriptor = block;
    return ERROR_SUCCESS;
}

// The rights the kept list of the object allows the SID, and the entry's inheritance flags.
std::pair<DWORD, BYTE> Allowed(const CString& name, PSID sid) {
    std::pair<DWORD, BYTE> allowed(0, 0);
    std::vector<BYTE>& kept = g_lists[name.str()];
    ACL* list = kept.empty() ? nullptr : reinterpret_cast<ACL*>(kept.data());
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (GetAce(list, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            EqualSid(&ace->SidStart, sid))
            allowed = {allowed.first | ace->Mask, ace->Header.AceFlags};
    }
    return allowed;
}

// The service program's object under a name of its own, without event source.
class AccountTestService : public COrvService {
public:
    AccountTestService() {
        SetServiceName("OrvAccountAccessTest");
        m_bEventLogSource = FALSE;
    }
};
}  // namespace

TEST(ServiceAccountAccessTest, InstallGivesTheAccountTheDataFolderAloneAndUninstallTakesItBack) {
    testing_support::ScratchFolder scratch;
    const CString data = scratch.File("data");
    AppData::SetDataFolderForTesting(data);
    ServiceAccountAccess::SetSecurityFunctionsForTesting(&GiveKeptList, &KeepList);
    // A real service account Wine knows, with no rights of its own on new objects.
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    ASSERT_TRUE(CreateWellKnownSid(WinLocalServiceSid, nullptr, sid, &sidSize));
    testing_support::StopAndDeleteService("OrvAccountAccessTest");

    AccountTestService service;
    CNTServiceCommandLineInfo info;
    info.m_sUserName = ".\\LOCAL SERVICE";  // as the service control manager names it
    service.PrepareInstall(info, "C:\\OrvService.exe");
    CString text;
    DWORD error = 0;
    ASSERT_TRUE(service.Install(text, error)) << text.GetString();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(data + "\\Logs"));
    const std::pair<DWORD, BYTE> folder = Allowed(data, sid);
    EXPECT_EQ(ServiceAccountAccess::kFolderRights, folder.first);
    EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, folder.second & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE));
    const int entries = reinterpret_cast<ACL*>(g_lists[data.str()].data())->AceCount;
    EXPECT_GT(entries, 1) << "the folder's other entries stay";
    // The settings key also names the program the service starts: the account may not change it.
    CString key = CString("MACHINE\\") + Generator::GetSettingsKey();
    EXPECT_EQ(0u, Allowed(key, sid).first);

    // What an install of the previous version gave on the key goes at uninstall too.
    EXPLICIT_ACCESSA earlier = {KEY_WRITE, GRANT_ACCESS, NO_INHERITANCE, {}};
    BuildTrusteeWithSidA(&earlier.Trustee, sid);
    PACL keyList = nullptr;
    ASSERT_EQ(0u, SetEntriesInAclA(1, &earlier, nullptr, &keyList));
    KeepList(key.GetBuffer(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, keyList, nullptr);
    LocalFree(keyList);
    EXPECT_TRUE(service.Uninstall(text, error, 5000)) << text.GetString();
    EXPECT_EQ(0u, Allowed(data, sid).first);
    EXPECT_EQ(0u, Allowed(key, sid).first);
    EXPECT_EQ(entries - 1, reinterpret_cast<ACL*>(g_lists[data.str()].data())->AceCount);

    // An account the system does not know fails the install before the service is created.
    info.m_sUserName = "NoSuchOrvAccount";
    service.PrepareInstall(info, "C:\\OrvService.exe");
    EXPECT_FALSE(service.Install(text, error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), error);
    EXPECT_EQ(0, text.Find("CNTService::Install, Failed to give the account access to what the service writes, "
                           "Error:1332"))
        << text.GetString();
    testing_support::StopAndDeleteService("OrvAccountAccessTest");
    ServiceAccountAccess::SetSecurityFunctionsForTesting(nullptr, nullptr);
    AppData::SetDataFolderForTesting("");
}
