// TEST_LOCK: scm registry
// The data folder's owner and access list, as the programs make the folder and as the service's
// install makes sure of it, and what the install gives the account the service is to log on as
// and its uninstall takes back. Wine keeps no access lists on files (only Unix permission bits),
// so the test keeps the owners and lists that the code hands the system, when it makes a folder
// and when it sets an object's security, and hands them back when the code reads them.
#include "OrvService/OrvService.h"
#include "common/AppData.h"
#include "common/DataFolderSecurity.h"
#include "common/DirUtils.h"
#include "common/Generator.h"
#include "common/NTScmService.h"
#include "common/ServiceAccountAccess.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>
#include <cstring>
#include <map>

namespace {
// What the code gave an object: its owner, and its list with whether that list is protected
// from what it would inherit.
struct KeptSecurity {
    std::vector<BYTE> owner;
    std::vector<BYTE> list;
    bool protectedList = false;
};
std::map<std::string, KeptSecurity> g_kept;  // by object name

void Keep(const char* name, PSID owner, PACL list, bool protectedList) {
    KeptSecurity& kept = g_kept[name];
    if (owner) kept.owner.assign(static_cast<BYTE*>(owner), static_cast<BYTE*>(owner) + GetLengthSid(owner));
    if (list) {
        kept.list.assign(reinterpret_cast<BYTE*>(list), reinterpret_cast<BYTE*>(list) + list->AclSize);
        kept.protectedList = protectedList;
    }
}

// A list set without PROTECTED_DACL_SECURITY_INFORMATION inherits again, as the system has it.
DWORD WINAPI KeepSecurity(LPSTR name, SE_OBJECT_TYPE, SECURITY_INFORMATION what, PSID owner, PSID, PACL dacl, PACL) {
    Keep(name, (what & OWNER_SECURITY_INFORMATION) ? owner : nullptr,
         (what & DACL_SECURITY_INFORMATION) ? dacl : nullptr, (what & PROTECTED_DACL_SECURITY_INFORMATION) != 0);
    return ERROR_SUCCESS;
}

// A system that lets the object's security be read but not set.
DWORD WINAPI RefuseSecurity(LPSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL) {
    return ERROR_ACCESS_DENIED;
}

// The list kept for the object, in one block as the system hands it out (a descriptor, then the
// list it points to), protected when it was set so; the system's own for an object whose list
// was never set.
DWORD WINAPI GiveKeptList(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID* owner, PSID* group,
                          PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor) {
    const auto kept = g_kept.find(name);
    if (kept == g_kept.end() || kept->second.list.empty())
        return GetNamedSecurityInfoA(name, type, what, owner, group, dacl, sacl, descriptor);
    const std::vector<BYTE>& bytes = kept->second.list;
    BYTE* block = static_cast<BYTE*>(LocalAlloc(LPTR, sizeof(SECURITY_DESCRIPTOR) + bytes.size()));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    ACL* list = reinterpret_cast<ACL*>(block + sizeof(SECURITY_DESCRIPTOR));
    std::memcpy(list, bytes.data(), bytes.size());
    InitializeSecurityDescriptor(block, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(block, TRUE, list, FALSE);
    if (kept->second.protectedList) SetSecurityDescriptorControl(block, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    *dacl = list;
    *descriptor = block;
    return ERROR_SUCCESS;
}

// Keeps the owner and list of the descriptor, as the system gives them to what it makes.
void KeepDescriptor(const char* name, PSECURITY_DESCRIPTOR descriptor) {
    PSID owner = nullptr;
    PACL list = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    Keep(name, owner, present ? list : nullptr, (control & SE_DACL_PROTECTED) != 0);
}

BOOL WINAPI MakeFolderKeepingSecurity(LPCSTR path, LPSECURITY_ATTRIBUTES attributes) {
    if (!CreateDirectoryA(path, nullptr)) return FALSE;
    if (attributes) KeepDescriptor(path, attributes->lpSecurityDescriptor);
    return TRUE;
}

// Keeps the security in descriptor text for the object, as some other program left it.
void KeepAsLeftBy(const CString& name, const char* descriptorText) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptorText, SDDL_REVISION_1, &descriptor,
                                                                     nullptr));
    KeepDescriptor(name, descriptor);
    LocalFree(descriptor);
}

// As the system answers an ordinary user who asks for Administrators as a folder's owner.
BOOL WINAPI RefuseAdministratorsAsOwner(LPCSTR path, LPSECURITY_ATTRIBUTES attributes) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (attributes && GetSecurityDescriptorOwner(attributes->lpSecurityDescriptor, &owner, &defaulted) && owner) {
        SetLastError(ERROR_INVALID_OWNER);
        return FALSE;
    }
    return CreateDirectoryA(path, attributes);
}

std::vector<BYTE> WellKnownSid(WELL_KNOWN_SID_TYPE type) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &size)) return std::vector<BYTE>();
    sid.resize(size);
    return sid;
}

// The rights the kept list of the object allows the SID, and the entry's inheritance flags.
std::pair<DWORD, BYTE> Allowed(const CString& name, const std::vector<BYTE>& sid) {
    std::pair<DWORD, BYTE> allowed(0, 0);
    const std::vector<BYTE>& kept = g_kept[name.str()].list;
    const ACL* list = kept.empty() ? nullptr : reinterpret_cast<const ACL*>(kept.data());
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (GetAce(const_cast<ACL*>(list), i, reinterpret_cast<void**>(&ace)) &&
            ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, const_cast<BYTE*>(sid.data())))
            allowed = {allowed.first | ace->Mask, ace->Header.AceFlags};
    }
    return allowed;
}

int EntryCount(const CString& name) {
    const std::vector<BYTE>& kept = g_kept[name.str()].list;
    return kept.empty() ? 0 : reinterpret_cast<const ACL*>(kept.data())->AceCount;
}

bool OwnedBy(const CString& name, const std::vector<BYTE>& sid) {
    const std::vector<BYTE>& owner = g_kept[name.str()].owner;
    return !owner.empty() && EqualSid(const_cast<BYTE*>(owner.data()), const_cast<BYTE*>(sid.data()));
}

const DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                           FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// What is wrong with the data folder's kept owner and list (empty: nothing): Administrators own
// it; its list is protected and holds SYSTEM and Administrators with full control, Users with
// read and execute, all inherited by files and folders inside, and the account's modify entry
// when one is given; no broad group may write.
std::string DataFolderFaults(const CString& folder, const std::vector<BYTE>& account) {
    std::string faults;
    const BYTE inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const std::vector<BYTE> administrators = WellKnownSid(WinBuiltinAdministratorsSid);
    if (!OwnedBy(folder, administrators)) faults += "not owned by Administrators; ";
    if (!g_kept[folder.str()].protectedList) faults += "the list inherits; ";
    const std::pair<WELL_KNOWN_SID_TYPE, DWORD> holders[] = {{WinLocalSystemSid, DataFolderSecurity::kFullControl},
                                                             {WinBuiltinAdministratorsSid,
                                                              DataFolderSecurity::kFullControl},
                                                             {WinBuiltinUsersSid, DataFolderSecurity::kUsersRights}};
    for (const auto& holder : holders) {
        const std::pair<DWORD, BYTE> allowed = Allowed(folder, WellKnownSid(holder.first));
        if (allowed.first != holder.second || (allowed.second & inherit) != inherit)
            faults += "a standard entry is missing or changed; ";
    }
    for (WELL_KNOWN_SID_TYPE broad : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid, WinCreatorOwnerSid})
        if (Allowed(folder, WellKnownSid(broad)).first & kWriteRights) faults += "a broad group may write; ";
    if (!account.empty()) {
        const std::pair<DWORD, BYTE> allowed = Allowed(folder, account);
        if (allowed.first != ServiceAccountAccess::kFolderRights || (allowed.second & inherit) != inherit)
            faults += "the account's modify entry is missing or changed; ";
    }
    if (EntryCount(folder) != (account.empty() ? 3 : 4)) faults += "other entries in the list; ";
    return faults;
}

// Owned by Administrators, with no entry of its own: it has what the data folder's list gives.
bool InheritsOnly(const CString& name) {
    return OwnedBy(name, WellKnownSid(WinBuiltinAdministratorsSid)) && EntryCount(name) == 0 &&
           !g_kept[name.str()].protectedList;
}

bool IsInstalled(const char* name) {
    CNTServiceControlManager manager;
    CNTScmService service;
    return manager.Open(nullptr, SC_MANAGER_CONNECT) && manager.OpenService(name, SERVICE_QUERY_STATUS, service);
}

const char kServiceName[] = "OrvAccountAccessTest";

// The service program's object under a name of its own, without event source.
class AccountTestService : public COrvService {
public:
    AccountTestService() {
        SetServiceName(kServiceName);
        m_bEventLogSource = FALSE;
    }
    BOOL InstallAs(const char* account, CString& text, DWORD& error) {
        CNTServiceCommandLineInfo info;
        info.m_sUserName = account;
        PrepareInstall(info, "C:\\OrvService.exe");
        return Install(text, error);
    }
};

// A data folder under a scratch folder, every folder made and every security set kept by the
// test, and no service of the test's name left over.
class ServiceAccountAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_kept.clear();
        data_ = scratch_.File("Brellix\\OrvService");
        AppData::SetDataFolderForTesting(data_);
        DirUtils::SetCreateDirectoryForTesting(&MakeFolderKeepingSecurity);
        ServiceAccountAccess::SetSecurityFunctionsForTesting(&GiveKeptList, &KeepSecurity);
        testing_support::StopAndDeleteService(kServiceName);
    }
    void TearDown() override {
        testing_support::StopAndDeleteService(kServiceName);
        ServiceAccountAccess::SetSecurityFunctionsForTesting(nullptr, nullptr);
        DirUtils::SetCreateDirectoryForTesting(nullptr);
        AppData::SetDataFolderForTesting("");
    }

    testing_support::ScratchFolder scratch_;
    CString data_;
    AccountTestService service_;
    CString text_;
    DWORD error_ = 0;
};
}  // namespace

// Fresh: the folder is made with its owner and list at once, the folder above it with
// Administrators as owner. Already there (made by an older build, or by a user before any of the
// programs, with whatever someone put in it): the install makes sure of it and everything inside.
TEST_F(ServiceAccountAccessTest, TheDataFolderHasItsOwnListFreshOrFoundWithOrWithoutAnAccountAndAfterUninstall) {
    const std::vector<BYTE> localService = WellKnownSid(WinLocalServiceSid);
    const struct {
        const char* name;
        bool existing;
        const char* account;
    } cases[] = {
        {"fresh, LocalSystem", false, ""},
        {"fresh, an account", false, ".\\LOCAL SERVICE"},  // as the service control manager names it
        {"found, LocalSystem", true, ""},
        {"found, an account", true, ".\\LOCAL SERVICE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_kept.clear();
        DirUtils::DeleteFolderTree(scratch_.File("Brellix"));
        AppData::SetDataFolderForTesting(data_);
        const CString planted[] = {data_ + "\\tasks.ini", data_ + "\\Logs", data_ + "\\Logs\\2024-03.log"};
        if (c.existing) {
            // Made without a list of its own: it inherits, and every user may create in it.
            ASSERT_TRUE(CreateDirectoryA(scratch_.File("Brellix"), nullptr));
            ASSERT_TRUE(CreateDirectoryA(data_, nullptr));
            ASSERT_TRUE(CreateDirectoryA(planted[1], nullptr));
            testing_support::WriteFileBytes(planted[0], "[General]\r\nTasksCount=0\r\n");
            testing_support::WriteFileBytes(planted[2], "");
            KeepAsLeftBy(data_, "O:BUD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)"
                                "(A;CIID;0x116;;;BU)(A;OICIIOID;GA;;;CO)(A;OICI;FA;;;WD)");
            for (const CString& entry : planted) KeepAsLeftBy(entry, "O:AUD:P(A;;FA;;;AU)(A;OICI;FA;;;WD)");
        } else {
            // The service, or the manager of an administrator, that makes the folder.
            AppData::GetDataFolder();
            EXPECT_EQ("", DataFolderFaults(data_, std::vector<BYTE>())) << "as made";
        }

        ASSERT_TRUE(service_.InstallAs(c.account, text_, error_)) << text_.GetString();
        const std::vector<BYTE> account = *c.account ? localService : std::vector<BYTE>();
        EXPECT_EQ("", DataFolderFaults(data_, account));
        EXPECT_TRUE(DirUtils::Exists(data_ + "\\Logs"));
        if (c.existing) {
            for (const CString& entry : planted) EXPECT_TRUE(InheritsOnly(entry)) << entry.GetString();
        } else {
            EXPECT_TRUE(OwnedBy(scratch_.File("Brellix"), WellKnownSid(WinBuiltinAdministratorsSid)));
            EXPECT_EQ(0, EntryCount(scratch_.File("Brellix"))) << "the folder above keeps what it inherits";
            EXPECT_EQ(0, EntryCount(data_ + "\\Logs")) << "Logs inherits the data folder's list";
        }

        ASSERT_TRUE(service_.Uninstall(text_, error_, 5000)) << text_.GetString();
        EXPECT_EQ("", DataFolderFaults(data_, std::vector<BYTE>()));
    }
}

TEST_F(ServiceAccountAccessTest, AProgramThatMayNotOwnTheDataFolderMakesNothingAndGoesOn) {
    DirUtils::SetCreateDirectoryForTesting(&RefuseAdministratorsAsOwner);
    EXPECT_EQ(data_, AppData::GetDataFolder());
    EXPECT_EQ(data_ + "\\Logs", AppData::GetLogsFolder());
    EXPECT_FALSE(DirUtils::Exists(scratch_.File("Brellix"))) << "no folder an ordinary user owns";
}

// Nobody keeps rights from an install that failed: not when the service cannot be created (here
// it exists already), not when the data folder cannot be made sure of or the account is unknown
// (the service just created goes again).
TEST_F(ServiceAccountAccessTest, AFailedInstallLeavesNoGrantAndNoService) {
    const std::vector<BYTE> localService = WellKnownSid(WinLocalServiceSid);
    const std::vector<BYTE> networkService = WellKnownSid(WinNetworkServiceSid);
    ASSERT_TRUE(service_.InstallAs(".\\LOCAL SERVICE", text_, error_)) << text_.GetString();
    EXPECT_FALSE(service_.InstallAs(".\\NETWORK SERVICE", text_, error_));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_EXISTS), error_);
    EXPECT_EQ(0u, Allowed(data_, networkService).first);
    EXPECT_EQ("", DataFolderFaults(data_, localService)) << "the installed service keeps its account's entry";
    ASSERT_TRUE(service_.Uninstall(text_, error_, 5000)) << text_.GetString();

    const struct {
        ServiceAccountAccess::SetSecurityFunction set;
        const char* account;
        DWORD error;
    } refusals[] = {{&RefuseSecurity, "", ERROR_ACCESS_DENIED}, {&KeepSecurity, "NoSuchOrvAccount", ERROR_NONE_MAPPED}};
    for (const auto& refusal : refusals) {
        ServiceAccountAccess::SetSecurityFunctionsForTesting(&GiveKeptList, refusal.set);
        EXPECT_FALSE(service_.InstallAs(refusal.account, text_, error_));
        EXPECT_EQ(refusal.error, error_);
        CString expected;
        expected.Format("CNTService::Install, Failed to give the account access to what the service writes, Error:%u",
                        static_cast<unsigned>(refusal.error));
        EXPECT_EQ(0, text_.Find(expected)) << text_.GetString();
        EXPECT_FALSE(IsInstalled(kServiceName));
    }
}

// The take-back comes before the service goes: when it fails the service stays, and the next
// uninstall takes the rights back and removes it. What an install of the previous version gave
// on the settings key goes too, and the key is never given.
TEST_F(ServiceAccountAccessTest, ATakeBackThatFailsKeepsTheServiceForTheNextUninstall) {
    const std::vector<BYTE> localService = WellKnownSid(WinLocalServiceSid);
    ASSERT_TRUE(service_.InstallAs(".\\LOCAL SERVICE", text_, error_)) << text_.GetString();
    const CString key = CString("MACHINE\\") + Generator::GetSettingsKey();
    EXPECT_EQ(0u, Allowed(key, localService).first);
    KeepAsLeftBy(key, "D:(A;;KW;;;LS)");  // LOCAL SERVICE may write the key

    ServiceAccountAccess::SetSecurityFunctionsForTesting(&GiveKeptList, &RefuseSecurity);
    EXPECT_FALSE(service_.Uninstall(text_, error_, 5000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error_);
    EXPECT_EQ(0, text_.Find("CNTService::Uninstall, Failed to take back the account's access to what the service "
                            "wrote, Error:5"))
        << text_.GetString();
    EXPECT_TRUE(IsInstalled(kServiceName));

    ServiceAccountAccess::SetSecurityFunctionsForTesting(&GiveKeptList, &KeepSecurity);
    EXPECT_TRUE(service_.Uninstall(text_, error_, 5000)) << text_.GetString();
    EXPECT_EQ("", DataFolderFaults(data_, std::vector<BYTE>()));
    EXPECT_EQ(0u, Allowed(key, localService).first);
    EXPECT_FALSE(IsInstalled(kServiceName));
}

// A link that someone put in the data folder, or in its place, would have the install rewrite
// the owner and list of what it points to, and the service write there: it goes, and nothing
// behind it is touched. (Wine cannot remove a link: there the install fails instead.)
TEST_F(ServiceAccountAccessTest, ALinkInOrForTheDataFolderIsRemovedNeverFollowed) {
    for (const char* linkName : {"Brellix\\OrvService\\Logs", "Brellix\\OrvService"}) {
        SCOPED_TRACE(linkName);
        g_kept.clear();
        const CString outside = scratch_.File("outside"), link = scratch_.File(linkName);
        DirUtils::CreateFolder(outside);
        DirUtils::CreateFolder(DirUtils::GetParentFolder(link));
        testing_support::WriteFileBytes(outside + "\\keep.txt", "1");
        if (!testing_support::MakeHostFolderLink(outside, link)) GTEST_SKIP() << "no way to make a folder link here";
        ASSERT_TRUE(testing_support::IsFolderLink(link));
        AppData::SetDataFolderForTesting(data_);

        const BOOL installed = service_.InstallAs("", text_, error_);
        for (const auto& kept : g_kept) {
            EXPECT_NE(0, CString(kept.first.c_str()).Find(outside)) << kept.first;
            EXPECT_EQ(std::string::npos, kept.first.find("keep.txt")) << kept.first;
        }
        EXPECT_EQ(installed, !testing_support::IsFolderLink(link)) << text_.GetString();
        if (installed) {
            EXPECT_EQ("", DataFolderFaults(data_, std::vector<BYTE>()));
        }
        testing_support::StopAndDeleteService(kServiceName);
        testing_support::RemoveHostLink(link);
        DirUtils::DeleteFolderTree(scratch_.File("Brellix"));
        DirUtils::DeleteFolderTree(outside);
    }
}
