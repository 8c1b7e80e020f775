// The account utilities under Wine, with a stand-in for the group-member listing: at the level
// the membership check asks for, Wine lists no members of "Administrators".
#include "OrvServiceManager/AccountBinders.h"
#include "OrvServiceManager/AccountUtils.h"
#include "OrvServiceManager/LibraryBinder.h"
#include "OrvServiceManager/NetworkBinders.h"
#include "common/Exception.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// The parts the stand-in hands out one call after the other; every call gets a buffer, also a
// failing one, so that leaks on any path show.
struct FakeGroup {
    std::vector<std::vector<PSID>> parts;
    NET_API_STATUS failure = NERR_Success;
    int given = 0;
    int freed = 0;
} g_group;

NET_API_STATUS WINAPI FakeGetMembers(LPCWSTR, LPCWSTR, DWORD, LPBYTE* buffer, DWORD, LPDWORD read, LPDWORD total,
                                     PDWORD_PTR resume) {
    const size_t part = static_cast<size_t>(*resume);
    const std::vector<PSID> none;
    const std::vector<PSID>& sids = part < g_group.parts.size() ? g_group.parts[part] : none;
    auto* entries = static_cast<LOCALGROUP_MEMBERS_INFO_0*>(
        HeapAlloc(GetProcessHeap(), 0, (sids.size() + 1) * sizeof(LOCALGROUP_MEMBERS_INFO_0)));
    for (size_t i = 0; i < sids.size(); ++i) entries[i].lgrmi0_sid = sids[i];
    *buffer = reinterpret_cast<LPBYTE>(entries);
    ++g_group.given;
    *read = static_cast<DWORD>(sids.size());
    *total = 0;
    *resume = part + 1;
    SetLastError(1234);  // the status, not the last error, tells what happened
    if (g_group.failure != NERR_Success) return g_group.failure;
    return part + 1 < g_group.parts.size() ? ERROR_MORE_DATA : NERR_Success;
}

NET_API_STATUS WINAPI FakeFree(LPVOID buffer) {
    ++g_group.freed;
    HeapFree(GetProcessHeap(), 0, buffer);
    return NERR_Success;
}

std::string CurrentUser() {
    char name[512] = "";
    DWORD size = sizeof(name);
    GetUserNameA(name, &size);
    return name;
}

}  // namespace

TEST(AccountUtilsTest, TheCurrentAccountAndTheLogonRightForNamesOfAnyLength) {
    EXPECT_EQ(CurrentUser(), GetCurrentAccountName().str());
    PSID sid = reinterpret_cast<PSID>(1);
    EXPECT_FALSE(GetAccountSid(nullptr, "NoSuchOrvAccount", &sid));
    EXPECT_EQ(nullptr, sid);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NONE_MAPPED), GetLastError());
    // Wine's LSA stores nothing but answers success.
    EXPECT_TRUE(GrantServiceLogonRight(CurrentUser().c_str()));
    EXPECT_FALSE(GrantServiceLogonRight(std::string(600, 'x').c_str()));
}

TEST(AccountUtilsTest, MembershipFromOneWholeListingWithItsBufferFreed) {
    PSID current = nullptr;
    ASSERT_TRUE(GetAccountSid(nullptr, CurrentUser().c_str(), &current));
    ScopedHeapBlock currentOwner(current);
    BYTE system[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(system);
    ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size));
    const PSID other = system;

    struct Case {
        std::vector<std::vector<PSID>> parts;
        NET_API_STATUS failure;
        const char* account;
        const char* outcome;  // "member", "not a member" or the exception's text
    } cases[] = {
        {{{other, current}}, NERR_Success, nullptr, "member"},
        {{{other}}, NERR_Success, nullptr, "not a member"},
        {{{}}, NERR_Success, nullptr, "not a member"},
        // A group that does not fit the buffer is not read in parts: more data is a failure.
        {{{other}, {current}}, NERR_Success, nullptr, "Unable to retrieve group members. (234)"},
        {{{other}}, ERROR_ACCESS_DENIED, nullptr, "Unable to retrieve group members. (5)"},
        {{{current}}, NERR_Success, "NoSuchOrvAccount", "Problem when looking for user account. (1332)"},
    };
    NetApi32Binder::SetFunctionsForTesting(&FakeGetMembers, &FakeFree);
    for (const Case& c : cases) {
        g_group = FakeGroup();
        g_group.parts = c.parts;
        g_group.failure = c.failure;
        std::string outcome;
        try {
            outcome = IsAdministratorsMember(c.account ? c.account : CurrentUser().c_str()) ? "member" : "not a member";
        } catch (const Exception& e) {
            outcome = e.GetFullMessage();
        }
        EXPECT_EQ(c.outcome, outcome);
        EXPECT_EQ(g_group.given, g_group.freed) << c.outcome;
    }
    NetApi32Binder::SetFunctionsForTesting(nullptr, nullptr);

    // Wine's listing answers success without a list: that is no answer either.
    EXPECT_THROW(IsAdministratorsMember(GetCurrentAccountName()), Exception);
}

TEST(AccountUtilsTest, BindersResolveTheirFunctionsAndFreeALibraryThatFails) {
    EXPECT_NO_THROW(NetApi32Binder::NetApiBufferFree(nullptr));
    ULONG size = 0;
    EXPECT_NO_THROW(IpHlpApiBinder::GetInterfaceInfo(nullptr, &size));
    // Wine's RasGetCredentialsA ends the process when called: that binder is not tried here.

    const char* const names[] = {"WNetGetConnectionA", "NoSuchOrvFunction"};
    ASSERT_EQ(nullptr, GetModuleHandleA("mpr.dll"));
    for (const char* library : {"mpr.dll", "NoSuchOrvLibrary.dll"}) {
        try {
            LibraryBinder binder(library, names, 2, "not bound");
            ADD_FAILURE() << library;
        } catch (const Exception& e) {
            EXPECT_STREQ("not bound", e.GetFullMessage());
        }
    }
    EXPECT_EQ(nullptr, GetModuleHandleA("mpr.dll"));
}
