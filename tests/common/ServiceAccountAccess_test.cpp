// TEST_LOCK: scm registry
// The data folder's owner and access list, as the programs make the folder and as the service's
// install makes it its own, trusting nothing an ordinary user made there or above it, and what
// the install gives the account the service is to log on as and its uninstall takes back. Wine
// keeps no access lists on files and spreads none, so KeptSecurity keeps and spreads them.
#include "OrvService/ExaminationTestSupport.h"
#include "OrvService/OrvService.h"
#include "common/AppData.h"
#include "common/DataFolderSecurity.h"
#include "common/DirUtils.h"
#include "common/Generator.h"
#include "common/NTScmService.h"
#include "common/ServiceAccountAccess.h"
#include "support/HeldFileTracker.h"
#include "support/ImportPatch.h"
#include "support/KeptSecurity.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <aclapi.h>

using testing_support::KeptObject;
using testing_support::KeptSecurity;

namespace {
std::vector<BYTE> Sid(WELL_KNOWN_SID_TYPE type) { return KeptSecurity::WellKnownSid(type); }

const DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                           FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// What is wrong with a folder's kept owner and list (empty: nothing): Administrators own it; its
// list is protected and holds SYSTEM and Administrators with full control, Users with read and
// execute, all inherited by files and folders inside, and the account's modify entry when one is
// given; no broad group may write.
std::string FolderFaults(const KeptObject& folder, const std::vector<BYTE>& account) {
    std::string faults;
    const BYTE inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    if (!KeptSecurity::OwnedBy(folder, Sid(WinBuiltinAdministratorsSid))) faults += "not owned by Administrators; ";
    if (!folder.protectedList) faults += "the list inherits; ";
    const std::pair<WELL_KNOWN_SID_TYPE, DWORD> holders[] = {
        {WinLocalSystemSid, DataFolderSecurity::kFullControl},
        {WinBuiltinAdministratorsSid, DataFolderSecurity::kFullControl},
        {WinBuiltinUsersSid, DataFolderSecurity::kUsersRights}};
    for (const auto& holder : holders) {
        const std::pair<DWORD, BYTE> allowed = KeptSecurity::Allowed(folder, Sid(holder.first));
        if (allowed.first != holder.second || (allowed.second & inherit) != inherit)
            faults += "a standard entry is missing or changed; ";
    }
    for (WELL_KNOWN_SID_TYPE broad : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid, WinCreatorOwnerSid})
        if (KeptSecurity::Allowed(folder, Sid(broad)).first & kWriteRights) faults += "a broad group may write; ";
    if (!account.empty()) {
        const std::pair<DWORD, BYTE> allowed = KeptSecurity::Allowed(folder, account);
        if (allowed.first != ServiceAccountAccess::kFolderRights || (allowed.second & inherit) != inherit)
            faults += "the account's modify entry is missing or changed; ";
    }
    if (KeptSecurity::EntryCount(folder) != (account.empty() ? 3 : 4)) faults += "other entries in the list; ";
    return faults;
}

// Owned by Administrators, with no entry of its own: it has what the data folder's list gives.
bool InheritsOnly(const KeptObject& object) {
    return KeptSecurity::OwnedBy(object, Sid(WinBuiltinAdministratorsSid)) && KeptSecurity::EntryCount(object) == 0 &&
           !object.protectedList;
}

bool IsInstalled(const char* name) {
    CNTServiceControlManager manager;
    CNTScmService service;
    return manager.Open(nullptr, SC_MANAGER_CONNECT) && manager.OpenService(name, SERVICE_QUERY_STATUS, service);
}

// The one folder beside the data folder whose name says it was set aside; empty when none is.
CString SetAsideFolder(const CString& data) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(data + ".set-aside-*", &found);
    if (find == INVALID_HANDLE_VALUE) return CString();
    FindClose(find);
    return DirUtils::JoinPath(DirUtils::GetParentFolder(data), found.cFileName);
}

const char kServiceName[] = "OrvAccountAccessTest";
const char kLocalService[] = ".\\LOCAL SERVICE";  // as the service control manager names it

// The service program's object under names of its own, reporting to the test's event sink.
class AccountTestService : public COrvService {
public:
    AccountTestService() {
        SetServiceName(kServiceName);
        SetDisplayName(kServiceName);
        SetConsole(FALSE);
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
        vendor_ = scratch_.File("Brellix");
        data_ = vendor_ + "\\OrvService";
        outside_ = scratch_.File("outside");
        AppData::SetDataFolderForTesting(data_);
        previousSink_ = CNTEventLogSource::SetSink(&sink_);
        testing_support::StopAndDeleteService(kServiceName);
    }
    void TearDown() override {
        testing_support::StopAndDeleteService(kServiceName);
        CNTEventLogSource::SetSink(previousSink_);
        AppData::SetDataFolderForTesting("");
    }
    // A fresh start for the next row: no data folder, no vendor folder, no outside folder.
    void Reset() {
        testing_support::StopAndDeleteService(kServiceName);
        for (const CString& folder : {vendor_, outside_}) DirUtils::DeleteFolderTree(folder);
        kept_.Clear();
        kept_.refuseSet = nullptr;
        kept_.refuseMakeFolder = nullptr;
        AppData::SetDataFolderForTesting(data_);
        warningsBefore_ = sink_.Events().size();
    }
    // Files and folders made as some other program left them.
    void Plant(const std::vector<std::pair<CString, const char*>>& entries) {
        for (const auto& entry : entries) {
            if (DirUtils::GetFileName(entry.first).Find('.') < 0)
                DirUtils::CreateFolder(entry.first);
            else
                testing_support::WriteFileBytes(entry.first, "[General]\r\nTasksCount=0\r\n");
            if (entry.second) kept_.LeaveAs(entry.first, entry.second);
        }
    }
    // No object anywhere, its own entries or inherited ones, gives the SID anything.
    std::string HoldersOf(const std::vector<BYTE>& sid) {
        std::string holders;
        for (const auto& object : kept_.Objects())
            if (KeptSecurity::Allowed(object.second, sid).first) holders += object.second.name + "; ";
        return holders;
    }
    // The warnings since the row began.
    std::vector<std::string> Warnings() {
        std::vector<std::string> warnings;
        const std::vector<examination_test::RecordedEvent> events = sink_.Events();
        for (size_t i = warningsBefore_; i < events.size(); ++i)
            if (events[i].type == EVENTLOG_WARNING_TYPE) warnings.push_back(events[i].strings.at(0));
        return warnings;
    }

    testing_support::ScratchFolder scratch_;
    KeptSecurity kept_;
    CString vendor_, data_, outside_;
    examination_test::RecordingSink sink_;
    EventLogSink* previousSink_ = nullptr;
    size_t warningsBefore_ = 0;
    AccountTestService service_;
    CString text_;
    DWORD error_ = 0;
};

// What an older build, an administrator or an ordinary user left, and what the install makes of
// it. A data folder of a trusted owner is taken over; what an ordinary user made in one whose
// list let users create goes aside; a data folder an ordinary user made goes aside whole.
enum class Found { Nothing, OlderBuilds, Protected, Strangers, AnonymousLogon };
}  // namespace

TEST_F(ServiceAccountAccessTest, TheDataFolderIsTheServicesOwnWhateverWasFoundWithOrWithoutAnAccount) {
    const std::vector<BYTE> localService = Sid(WinLocalServiceSid);
    const char* const kInheritsUsersCreate =
        "O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)(A;CIID;0x116;;;BU)(A;OICIIOID;GA;;;CO)";
    const struct {
        const char* name;
        Found found;
        const char* account;
    } cases[] = {
        {"fresh, LocalSystem", Found::Nothing, ""},
        {"fresh, an account", Found::Nothing, kLocalService},
        {"an older build's, LocalSystem", Found::OlderBuilds, ""},
        {"protected, an account", Found::Protected, kLocalService},
        {"an ordinary user's, an account", Found::Strangers, kLocalService},
        {"a Unix stranger's, LocalSystem", Found::AnonymousLogon, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        const CString tasks = data_ + "\\tasks.ini", logs = data_ + "\\Logs", log = logs + "\\2024-03.log";
        const CString planted = data_ + "\\planted.ini", plantedLog = logs + "\\2024-04.log";
        switch (c.found) {
            case Found::Nothing:
                // The service, or the manager of an administrator, that makes the folder.
                AppData::GetDataFolder();
                EXPECT_EQ("", FolderFaults(kept_.At(data_), {})) << "as made";
                EXPECT_EQ("", FolderFaults(kept_.At(vendor_), {})) << "the vendor folder as made";
                break;
            case Found::OlderBuilds:
            case Found::Protected: {
                const char* const list = c.found == Found::Protected ? "O:BAD:PAI(A;OICI;FA;;;BA)" : kInheritsUsersCreate;
                Plant({{data_, list}, {tasks, "O:SYD:AI"}, {logs, "O:SYD:AI"}, {log, "O:SYD:AI"},
                       {planted, "O:AUD:P(A;;FA;;;AU)"}, {plantedLog, "O:AUD:P(A;;FA;;;WD)"}});
                break;
            }
            case Found::Strangers:
            case Found::AnonymousLogon:
                Plant({{data_, c.found == Found::Strangers ? "O:BUD:(A;OICI;FA;;;WD)" : nullptr}, {tasks, nullptr}});
                if (c.found == Found::AnonymousLogon)
                    ASSERT_TRUE(testing_support::GiveToAnotherUnixUser(data_)) << "no way to play an ordinary user";
                break;
        }
        const std::string dataBefore = testing_support::FileIdentity(data_);
        const std::string plantedBefore = testing_support::FileIdentity(planted);

        ASSERT_TRUE(service_.InstallAs(c.account, text_, error_)) << text_.GetString();
        const std::vector<BYTE> account = *c.account ? localService : std::vector<BYTE>();
        EXPECT_EQ("", FolderFaults(kept_.At(data_), account));
        EXPECT_TRUE(DirUtils::Exists(logs));
        const CString aside = SetAsideFolder(data_);
        switch (c.found) {
            case Found::Nothing:
                EXPECT_TRUE(aside.IsEmpty());
                EXPECT_EQ(0, KeptSecurity::EntryCount(kept_.At(logs))) << "Logs inherits the data folder's list";
                break;
            case Found::OlderBuilds:
            case Found::Protected:
                for (const CString& entry : {tasks, logs, log}) EXPECT_TRUE(InheritsOnly(kept_.At(entry))) << entry;
                EXPECT_EQ(dataBefore, testing_support::FileIdentity(data_)) << "taken over in place";
                if (c.found == Found::Protected) {
                    // Only administrators, SYSTEM and the service's account could make anything.
                    EXPECT_TRUE(aside.IsEmpty());
                    EXPECT_TRUE(InheritsOnly(kept_.At(planted)));
                    EXPECT_TRUE(InheritsOnly(kept_.At(plantedLog)));
                } else {
                    ASSERT_FALSE(aside.IsEmpty());
                    EXPECT_FALSE(DirUtils::Exists(planted));
                    EXPECT_EQ(plantedBefore, testing_support::FileIdentity(aside + "\\planted.ini"));
                    EXPECT_TRUE(DirUtils::Exists(aside + "\\Logs\\2024-04.log"));
                    EXPECT_FALSE(kept_.At(aside + "\\planted.ini").touched) << "nothing set aside is changed";
                    ASSERT_EQ(1u, Warnings().size());
                    EXPECT_NE(std::string::npos, Warnings()[0].find(aside.str())) << Warnings()[0];
                }
                break;
            case Found::Strangers:
            case Found::AnonymousLogon:
                ASSERT_FALSE(aside.IsEmpty());
                EXPECT_EQ(dataBefore, testing_support::FileIdentity(aside)) << "the whole folder went aside";
                EXPECT_EQ("[General]\r\nTasksCount=0\r\n", testing_support::ReadFileBytes(aside + "\\tasks.ini"));
                EXPECT_FALSE(kept_.At(aside).touched);
                EXPECT_FALSE(kept_.At(aside + "\\tasks.ini").touched);
                EXPECT_FALSE(DirUtils::Exists(tasks)) << "the new data folder holds none of it";
                ASSERT_EQ(1u, Warnings().size());
                EXPECT_NE(std::string::npos, Warnings()[0].find(aside.str())) << Warnings()[0];
                EXPECT_NE(std::string::npos,
                          Warnings()[0].find(c.found == Found::Strangers ? "BUILTIN\\Users" : "ANONYMOUS LOGON"))
                    << Warnings()[0];
                break;
        }

        ASSERT_TRUE(service_.Uninstall(text_, error_, 5000)) << text_.GetString();
        EXPECT_EQ("", FolderFaults(kept_.At(data_), {}));
        EXPECT_EQ("", HoldersOf(localService)) << "what the account was given goes with the service";
    }
}

// The vendor folder above the data folder: one an administrator or another product's installer
// made stays as it is; one an ordinary user made (who could rename the data folder away at any
// time) gets Administrators as owner and the data folder's list on itself alone, not spread to
// another product's folder inside.
TEST_F(ServiceAccountAccessTest, AVendorFolderAnOrdinaryUserMadeIsTakenBackOnItselfAlone) {
    const struct {
        const char* name;
        const char* left;  // null: a Unix stranger's
        bool takenBack;
    } cases[] = {
        {"an administrator's", "O:BAD:AI(A;OICI;FA;;;BA)(A;CI;0x116;;;BU)", false},
        {"another product's installer's", "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:AI", false},
        {"an ordinary user's", "O:BUD:AI(A;OICI;FA;;;BU)", true},
        {"a Unix stranger's", nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        const CString other = vendor_ + "\\OtherProduct";
        DirUtils::CreateFolder(other);
        if (c.left)
            kept_.LeaveAs(vendor_, c.left);
        else
            ASSERT_TRUE(testing_support::GiveToAnotherUnixUser(vendor_)) << "no way to play an ordinary user";
        const KeptObject before = kept_.At(vendor_);

        ASSERT_TRUE(service_.InstallAs("", text_, error_)) << text_.GetString();
        EXPECT_FALSE(kept_.At(other).touched) << "another product's folder is not rewritten";
        if (c.takenBack) {
            EXPECT_EQ("", FolderFaults(kept_.At(vendor_), {}));
        } else {
            EXPECT_FALSE(kept_.At(vendor_).touched);
            EXPECT_EQ(before.list, kept_.At(vendor_).list);
        }
        EXPECT_EQ("", FolderFaults(kept_.At(data_), {}));
    }
}

TEST_F(ServiceAccountAccessTest, AProgramThatMayNotOwnTheDataFolderMakesNothingAndGoesOn) {
    kept_.refuseMakeFolder = [](const CString&) { return static_cast<DWORD>(ERROR_INVALID_OWNER); };
    EXPECT_EQ(data_, AppData::GetDataFolder());
    EXPECT_EQ(data_ + "\\Logs", AppData::GetLogsFolder());
    EXPECT_FALSE(DirUtils::Exists(vendor_)) << "no folder an ordinary user owns";
}

// Links, junctions and second names of files go before anything gets an owner or list: the
// system spreads a folder's list through a link to what it points to, and to every name of a
// file. What was checked stays held: a user who swaps it for a link afterwards cannot. (Wine
// cannot remove a link: where one is met, the install fails instead, touching nothing.)
TEST_F(ServiceAccountAccessTest, NothingOutsideTheDataFolderGetsAnOwnerOrListThroughALinkOrASecondName) {
    testing_support::HeldFileTracker tracker;
    ASSERT_TRUE(tracker.IsActive());
    const struct {
        const char* name;
        const char* link;     // a folder link to the outside folder, there before the install
        const char* swapped;  // a folder the test tries to swap for such a link once the install opened it
        bool hardLink;        // Logs\2024-03.log shares the outside folder's file
    } cases[] = {
        {"a link for Logs", "Brellix\\OrvService\\Logs", nullptr, false},
        {"a link for the data folder", "Brellix\\OrvService", nullptr, false},
        {"a link for the vendor folder", "Brellix", nullptr, false},
        {"a second name of a log file", nullptr, nullptr, true},
        {"the vendor folder swapped after its check", nullptr, "Brellix", false},
        {"the data folder swapped after its check", nullptr, "Brellix\\OrvService", false},
        {"Logs swapped after its check", nullptr, "Brellix\\OrvService\\Logs", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        const CString shared = outside_ + "\\shared.log";
        DirUtils::CreateFolder(outside_);
        testing_support::WriteFileBytes(shared, "someone else's");
        DirUtils::CreateFolder(data_ + "\\Logs");
        if (c.hardLink) ASSERT_TRUE(CreateHardLinkA(data_ + "\\Logs\\2024-03.log", shared, nullptr));
        if (c.link) {
            const CString link = scratch_.File(c.link);
            DirUtils::DeleteFolderTree(link);
            ASSERT_TRUE(testing_support::MakeHostFolderLink(outside_, link));
            ASSERT_TRUE(testing_support::IsFolderLink(link));
        }
        bool attempted = false, swapped = false;
        tracker.onOpen = [&](const CString& path) {
            if (!c.swapped || attempted || path != scratch_.File(c.swapped)) return;
            attempted = true;
            swapped = tracker.SwapForLink(path, outside_);
        };
        const std::vector<std::string> outside = {testing_support::FileIdentity(outside_),
                                                  testing_support::FileIdentity(shared)};

        const BOOL installed = service_.InstallAs(kLocalService, text_, error_);
        tracker.onOpen = nullptr;
        for (const auto& object : kept_.Objects())
            for (const std::string& identity : outside)
                EXPECT_FALSE(object.first == identity && object.second.touched) << object.second.name;
        EXPECT_EQ("someone else's", testing_support::ReadFileBytes(shared));
        if (c.swapped) {
            EXPECT_TRUE(attempted) << "the install never opened what it checked";
            EXPECT_FALSE(swapped) << "what the install checked was not held";
        }
        if (c.link) {
            EXPECT_EQ(installed, !testing_support::IsFolderLink(scratch_.File(c.link))) << text_.GetString();
        } else {
            EXPECT_TRUE(installed) << text_.GetString();
        }
        if (c.hardLink) EXPECT_FALSE(DirUtils::Exists(data_ + "\\Logs\\2024-03.log")) << "only the second name goes";
        if (installed) EXPECT_EQ("", FolderFaults(kept_.At(data_), Sid(WinLocalServiceSid)));
        testing_support::StopAndDeleteService(kServiceName);
        if (c.link) testing_support::RemoveHostLink(scratch_.File(c.link));
        if (swapped) testing_support::RemoveHostLink(scratch_.File(c.swapped));
    }
}

// Nobody keeps rights from an install that failed, whatever step failed: the account's entry is
// the last thing written. A failure names its own reason.
TEST_F(ServiceAccountAccessTest, AFailedInstallLeavesNoGrantAndNoServiceWhateverStepFailed) {
    const std::vector<BYTE> localService = Sid(WinLocalServiceSid);
    ASSERT_TRUE(service_.InstallAs(kLocalService, text_, error_)) << text_.GetString();
    EXPECT_FALSE(service_.InstallAs(".\\NETWORK SERVICE", text_, error_));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_EXISTS), error_);
    EXPECT_EQ("", HoldersOf(Sid(WinNetworkServiceSid)));
    EXPECT_EQ("", FolderFaults(kept_.At(data_), localService)) << "the installed service keeps its account's entry";
    ASSERT_TRUE(service_.Uninstall(text_, error_, 5000)) << text_.GetString();

    auto refuseSetOn = [this](const CString& path, bool onlyWithAnEntryFor) {
        const std::string identity = testing_support::FileIdentity(path);
        kept_.refuseSet = [identity, onlyWithAnEntryFor](const std::string& object, PACL list) -> DWORD {
            if (object != identity) return 0;
            KeptObject given;
            if (list) given.list.assign(reinterpret_cast<BYTE*>(list), reinterpret_cast<BYTE*>(list) + list->AclSize);
            const bool withAccount = KeptSecurity::Allowed(given, Sid(WinLocalServiceSid)).first != 0;
            return !onlyWithAnEntryFor || withAccount ? ERROR_ACCESS_DENIED : 0;
        };
    };
    static testing_support::ImportPatch* moves = nullptr;
    struct Refusals {
        static BOOL WINAPI Move(LPCSTR, LPCSTR, DWORD) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
    };
    const struct {
        const char* name;
        const char* account;
        DWORD error;
        std::function<void()> arrange;
    } cases[] = {
        {"an unknown account", "NoSuchOrvAccount", ERROR_NONE_MAPPED, [] {}},
        {"the vendor folder cannot be taken back", kLocalService, ERROR_ACCESS_DENIED,
         [&] {
             Plant({{data_, nullptr}});
             kept_.LeaveAs(vendor_, "O:BUD:AI");
             refuseSetOn(vendor_, false);
         }},
        {"the data folder cannot be set aside", kLocalService, ERROR_SHARING_VIOLATION,
         [&] {
             Plant({{data_, "O:BUD:AI"}});
             moves = new testing_support::ImportPatch("kernel32.dll", "MoveFileExA",
                                                      reinterpret_cast<void*>(&Refusals::Move));
         }},
        {"the data folder's list cannot be set", kLocalService, ERROR_ACCESS_DENIED,
         [&] {
             Plant({{data_, nullptr}});
             refuseSetOn(data_, false);
         }},
        {"the task file refuses its change", kLocalService, ERROR_ACCESS_DENIED,
         [&] {
             Plant({{data_, nullptr}, {data_ + "\\tasks.ini", nullptr}});
             refuseSetOn(data_ + "\\tasks.ini", false);
         }},
        {"Logs cannot be made", kLocalService, ERROR_ACCESS_DENIED,
         [&] {
             kept_.refuseMakeFolder = [this](const CString& path) {
                 return path == data_ + "\\Logs" ? static_cast<DWORD>(ERROR_ACCESS_DENIED) : 0;
             };
         }},
        {"the account's entry cannot be written", kLocalService, ERROR_ACCESS_DENIED,
         [&] {
             Plant({{data_, nullptr}});
             refuseSetOn(data_, true);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.arrange();
        EXPECT_FALSE(service_.InstallAs(c.account, text_, error_));
        delete moves;
        moves = nullptr;
        EXPECT_EQ(c.error, error_);
        CString expected;
        expected.Format("CNTService::Install, Failed to give the account access to what the service writes, Error:%u",
                        static_cast<unsigned>(c.error));
        EXPECT_EQ(0, text_.Find(expected)) << text_.GetString();
        EXPECT_FALSE(IsInstalled(kServiceName));
        EXPECT_EQ("", HoldersOf(localService));
    }
}

// A file where the logs folder belongs fails no install: the service runs its tasks without a
// log, as it always did.
TEST_F(ServiceAccountAccessTest, AFileNamedLogsFailsNoInstall) {
    DirUtils::CreateFolder(data_);
    testing_support::WriteFileBytes(data_ + "\\Logs", "not a folder");
    ASSERT_TRUE(service_.InstallAs(kLocalService, text_, error_)) << text_.GetString();
    EXPECT_EQ("", FolderFaults(kept_.At(data_), Sid(WinLocalServiceSid)));
    EXPECT_EQ("not a folder", testing_support::ReadFileBytes(data_ + "\\Logs"));
}

// The take-back comes before the service goes: when it fails the service stays, and the next
// uninstall takes the rights back and removes it. What an install of the previous version gave
// on the settings key goes too, and the key is never given. A data folder that is no longer the
// install's own (an ordinary user made it since) is not changed, and keeps no uninstall from
// going through.
TEST_F(ServiceAccountAccessTest, ATakeBackThatFailsKeepsTheServiceForTheNextUninstall) {
    const std::vector<BYTE> localService = Sid(WinLocalServiceSid);
    ASSERT_TRUE(service_.InstallAs(kLocalService, text_, error_)) << text_.GetString();
    const CString key = CString("MACHINE\\") + Generator::GetSettingsKey();
    EXPECT_EQ(0u, KeptSecurity::Allowed(kept_.At(key), localService).first);
    kept_.LeaveAs(key, "D:(A;;KW;;;LS)");  // LOCAL SERVICE may write the key

    kept_.refuseSet = [](const std::string&, PACL) { return static_cast<DWORD>(ERROR_ACCESS_DENIED); };
    EXPECT_FALSE(service_.Uninstall(text_, error_, 5000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error_);
    EXPECT_EQ(0, text_.Find("CNTService::Uninstall, Failed to take back the account's access to what the service "
                            "wrote, Error:5"))
        << text_.GetString();
    EXPECT_TRUE(IsInstalled(kServiceName));

    kept_.refuseSet = nullptr;
    EXPECT_TRUE(service_.Uninstall(text_, error_, 5000)) << text_.GetString();
    EXPECT_EQ("", FolderFaults(kept_.At(data_), {}));
    EXPECT_EQ(0u, KeptSecurity::Allowed(kept_.At(key), localService).first);
    EXPECT_FALSE(IsInstalled(kServiceName));

    ASSERT_TRUE(service_.InstallAs(kLocalService, text_, error_)) << text_.GetString();
    kept_.LeaveAs(data_, "O:BUD:(A;OICI;FA;;;LS)");
    EXPECT_TRUE(service_.Uninstall(text_, error_, 5000)) << text_.GetString();
    EXPECT_EQ(static_cast<DWORD>(FILE_ALL_ACCESS), KeptSecurity::Allowed(kept_.At(data_), localService).first)
        << "an ordinary user's folder is not the uninstall's to change";
    EXPECT_FALSE(IsInstalled(kServiceName));
}
