// TEST_LOCK: scm registry
// What the service's install gives the account it is to log on as. Wine keeps no access lists on
// files (only Unix permission bits), so the test reads the lists handed to the setting function.
#include "OrvService/OrvService.h"
#include "common/AppData.h"
#include "common/Generator.h"
#include "common/ServiceAccountAccess.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <map>

namespace {
std::map<std::string, std::vector<BYTE>> g_lists;  // by object name
DWORD WINAPI RecordList(LPSTR name, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL dacl, PACL) {
    g_lists[name].assign(reinterpret_cast<BYTE*>(dacl), reinterpret_cast<BYTE*>(dacl) + dacl->AclSize);
    return ERROR_SUCCESS;
}

// The rights the recorded list of the object allows the SID, and the entry's inheritance flags.
std::pair<DWORD, BYTE> Allowed(const CString& name, PSID sid) {
    std::pair<DWORD, BYTE> allowed(0, 0);
    ACL* list = reinterpret_cast<ACL*>(g_lists[name.str()].data());
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (GetAce(list, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            EqualSid(&ace->SidStart, sid))
            allowed = {allowed.first | ace->Mask, ace->Header.AceFlags};
    }
    return allowed;
}
}  // namespace

TEST(ServiceAccountAccessTest, InstallGivesTheAccountTheDataFolderAndTheSettingsKeyOrFails) {
    testing_support::ScratchFolder scratch;
    const CString data = scratch.File("data");
    AppData::SetDataFolderForTesting(data);
    ServiceAccountAccess::SetSecurityFunctionForTesting(&RecordList);
    // A real service account Wine knows, with no rights of its own on new objects.
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    ASSERT_TRUE(CreateWellKnownSid(WinLocalServiceSid, nullptr, sid, &sidSize));

    COrvService service;
    EXPECT_EQ(0u, service.GrantAccountAccess(".\\LOCAL SERVICE"));  // as the service control manager names it
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(data + "\\Logs"));
    const std::pair<DWORD, BYTE> folder = Allowed(data, sid);
    EXPECT_EQ(ServiceAccountAccess::kFolderRights, folder.first);
    EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, folder.second & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE));
    EXPECT_GT(reinterpret_cast<ACL*>(g_lists[data.str()].data())->AceCount, 1) << "the folder's other entries stay";
    EXPECT_EQ(static_cast<DWORD>(KEY_SET_VALUE),
              Allowed(CString("MACHINE\\") + Generator::GetSettingsKey(), sid).first & KEY_SET_VALUE);

    // An account the system does not know fails the install before the service is created.
    CNTServiceCommandLineInfo info;
    info.m_sUserName = "NoSuchOrvAccount";
    service.PrepareInstall(info, "C:\\OrvService.exe");
    CString text;
    DWORD error = 0;
    EXPECT_FALSE(service.Install(text, error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), error);
    EXPECT_EQ(0, text.Find("CNTService::Install, Failed to give the account access to what the service writes, "
                           "Error:1332"))
        << text.GetString();
    ServiceAccountAccess::SetSecurityFunctionForTesting(nullptr);
    AppData::SetDataFolderForTesting("");
}
