// TEST_LOCK: scm
#include "common/NTScmService.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

CString UniqueServiceName(const char* purpose) {
    static int counter = 0;
    CString name;
    name.Format("OrvScmTest%s%lu_%d", purpose, GetCurrentProcessId(), ++counter);
    return name;
}

CString TestServicePath(const CString& name) {
    return "\"" + testing_support::BinFolder() + "\\TestService.exe\" " + name;
}

// Deletes the throwaway service whatever the test's outcome, stopping it first when it runs.
class ServiceCleanup {
public:
    explicit ServiceCleanup(const CString& name) : name_(name) {}
    ~ServiceCleanup() { testing_support::StopAndDeleteService(name_); }

private:
    CString name_;
};

struct EnumRecord {
    CString wanted;
    int calls = 0;
    bool found = false;
    DWORD stopAfter = 0;  // 0: never stop early
};

BOOL RecordEntry(void* context, ENUM_SERVICE_STATUSA& status) {
    EnumRecord* record = static_cast<EnumRecord*>(context);
    ++record->calls;
    if (record->wanted == status.lpServiceName) record->found = true;
    return record->stopAfter == 0 || static_cast<DWORD>(record->calls) < record->stopAfter;
}

BOOL RecordEntryEx(void* context, ENUM_SERVICE_STATUS_PROCESSA& status) {
    EnumRecord* record = static_cast<EnumRecord*>(context);
    ++record->calls;
    if (record->wanted == status.lpServiceName) record->found = true;
    return record->stopAfter == 0 || static_cast<DWORD>(record->calls) < record->stopAfter;
}

class ScmServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager_.Open(nullptr, SC_MANAGER_ALL_ACCESS)) << GetLastError(); }

    void CreateTestService(const CString& name, CNTScmService& service) {
        ASSERT_TRUE(service.Create(manager_, name, name + " display", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                   SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, TestServicePath(name), nullptr,
                                   nullptr, nullptr, nullptr, nullptr))
            << GetLastError();
    }

    CNTServiceControlManager manager_;
};

TEST_F(ScmServiceTest, CreatedServiceShowsItsConfigurationDescriptionAndAppearsInEnumerations) {
    CString name = UniqueServiceName("Config");
    ServiceCleanup cleanup(name);
    CNTScmService service;
    CreateTestService(name, service);

    LPQUERY_SERVICE_CONFIGA config = nullptr;
    ASSERT_TRUE(service.QueryConfig(config)) << GetLastError();
    ASSERT_NE(nullptr, config);
    EXPECT_EQ(TestServicePath(name), CString(config->lpBinaryPathName));
    EXPECT_EQ(name + " display", CString(config->lpDisplayName));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), config->dwStartType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS), config->dwServiceType & 0xFF);
    delete[] reinterpret_cast<BYTE*>(config);

    CString description;
    ASSERT_TRUE(service.ChangeDescription("Throwaway service of the tests")) << GetLastError();
    ASSERT_TRUE(service.QueryDescription(description)) << GetLastError();
    EXPECT_EQ(CString("Throwaway service of the tests"), description);

    SERVICE_STATUS status = {};
    ASSERT_TRUE(service.QueryStatus(status));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), status.dwCurrentState);

    PSECURITY_DESCRIPTOR security = nullptr;
    EXPECT_TRUE(service.QueryObjectSecurity(DACL_SECURITY_INFORMATION, security)) << GetLastError();
    ASSERT_NE(nullptr, security);
    EXPECT_TRUE(IsValidSecurityDescriptor(security));
    delete[] static_cast<BYTE*>(security);
    // (Wine's QueryServiceConfig2A knows no failure actions, so they are not read here.)

    EnumRecord all;
    all.wanted = name;
    ASSERT_TRUE(manager_.EnumServices(SERVICE_WIN32, SERVICE_STATE_ALL, &all, RecordEntry)) << GetLastError();
    EXPECT_TRUE(all.found);
    EXPECT_GT(all.calls, 1);

    EnumRecord first;
    first.stopAfter = 1;
    ASSERT_TRUE(manager_.EnumServices(SERVICE_WIN32, SERVICE_STATE_ALL, &first, RecordEntry));
    EXPECT_EQ(1, first.calls);

    EnumRecord allEx;
    allEx.wanted = name;
    ASSERT_TRUE(manager_.EnumServicesEx(SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, &allEx, RecordEntryEx))
        << GetLastError();
    EXPECT_TRUE(allEx.found);

    EnumRecord firstEx;
    firstEx.stopAfter = 1;
    ASSERT_TRUE(manager_.EnumServicesEx(SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, &firstEx, RecordEntryEx));
    EXPECT_EQ(1, firstEx.calls);

    // A stopped service with nothing depending on it has no dependents to report.
    EnumRecord dependents;
    EXPECT_TRUE(service.EnumDependents(SERVICE_STATE_ALL, &dependents, RecordEntry)) << GetLastError();
    EXPECT_EQ(0, dependents.calls);
}

TEST_F(ScmServiceTest, ServiceRunsPausesContinuesStopsAndIsDeleted) {
    CString name = UniqueServiceName("Life");
    ServiceCleanup cleanup(name);
    {
        CNTScmService created;
        CreateTestService(name, created);
    }
    CNTScmService service;
    ASSERT_TRUE(manager_.OpenService(name, SERVICE_ALL_ACCESS, service)) << GetLastError();

    ASSERT_TRUE(service.Start(0, nullptr)) << GetLastError();
    ASSERT_TRUE(service.WaitForStatus(INFINITE, SERVICE_RUNNING, 50)) << GetLastError();

    SERVICE_STATUS_PROCESS process = {};
    ASSERT_TRUE(service.QueryStatusEx(process)) << GetLastError();
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), process.dwCurrentState);
    EXPECT_NE(0u, process.dwProcessId);

    BOOL stop = FALSE, pause = FALSE, shutdown = TRUE;
    ASSERT_TRUE(service.AcceptsStop(stop));
    ASSERT_TRUE(service.AcceptsPauseContinue(pause));
    ASSERT_TRUE(service.AcceptsShutdown(shutdown));
    EXPECT_TRUE(stop);
    EXPECT_TRUE(pause);
    EXPECT_FALSE(shutdown);

    // Already there: the state is looked at before any sleep, so a long poll interval costs nothing.
    DWORD before = GetTickCount();
    EXPECT_TRUE(service.WaitForStatus(0, SERVICE_RUNNING, 5000));
    EXPECT_LT(GetTickCount() - before, 2000u);

    // Not there, no time to wait: one poll interval, then the time-out.
    before = GetTickCount();
    SetLastError(0);
    EXPECT_FALSE(service.WaitForStatus(0, SERVICE_STOPPED, 300));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
    // Tick counts are coarse and a sleep may end a little early: allow for both.
    EXPECT_GE(GetTickCount() - before, 250u);

    ASSERT_TRUE(service.Pause()) << GetLastError();
    EXPECT_TRUE(service.WaitForStatus(10000, SERVICE_PAUSED, 50)) << GetLastError();
    ASSERT_TRUE(service.Continue()) << GetLastError();
    EXPECT_TRUE(service.WaitForStatus(10000, SERVICE_RUNNING, 50)) << GetLastError();
    EXPECT_TRUE(service.Interrogate()) << GetLastError();

    ASSERT_TRUE(service.Stop()) << GetLastError();
    EXPECT_TRUE(service.WaitForStop(10000)) << GetLastError();

    ASSERT_TRUE(service.Delete()) << GetLastError();
    service.Close();
    EXPECT_EQ(nullptr, service.GetHandle());

    // A failed open leaves the service object as it was.
    CString otherName = UniqueServiceName("Other");
    ServiceCleanup otherCleanup(otherName);
    CNTScmService other;
    CreateTestService(otherName, other);
    SC_HANDLE held = other.GetHandle();
    other.Delete();
    // A name never created: a service just deleted may still be found while its process ends.
    EXPECT_FALSE(manager_.OpenService(UniqueServiceName("Never"), SERVICE_QUERY_STATUS, other));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), GetLastError());
    EXPECT_EQ(held, other.GetHandle());
}

TEST_F(ScmServiceTest, WaitEndsWithTheQueryErrorWhenTheHandleCannotQuery) {
    CString name = UniqueServiceName("Rights");
    ServiceCleanup cleanup(name);
    {
        CNTScmService created;
        CreateTestService(name, created);
    }
    CNTScmService service;
    ASSERT_TRUE(manager_.OpenService(name, SERVICE_QUERY_CONFIG, service)) << GetLastError();
    SetLastError(0);
    EXPECT_FALSE(service.WaitForStatus(INFINITE, SERVICE_RUNNING, 10));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
}

TEST_F(ScmServiceTest, FunctionsMissingFromTheSystemAnswerCallNotImplemented) {
    CString name = UniqueServiceName("Missing");
    ServiceCleanup cleanup(name);
    CNTScmService service;
    CreateTestService(name, service);
    service.ForgetOptionalFunctions();

    SERVICE_STATUS_PROCESS process = {};
    CString description("untouched");
    LPSERVICE_FAILURE_ACTIONSA actions = nullptr;
    SERVICE_FAILURE_ACTIONSA none = {};
    SetLastError(0);
    EXPECT_FALSE(service.QueryStatusEx(process));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(service.QueryDescription(description));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_EQ(CString("untouched"), description);
    SetLastError(0);
    EXPECT_FALSE(service.ChangeDescription("x"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(service.QueryFailureActions(actions));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_EQ(nullptr, actions);
    SetLastError(0);
    EXPECT_FALSE(service.ChangeFailureActions(&none));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());

    // The plain functions are still there.
    SERVICE_STATUS status = {};
    EXPECT_TRUE(service.QueryStatus(status));

    manager_.ForgetEnumServicesStatusEx();
    EnumRecord record;
    SetLastError(0);
    EXPECT_FALSE(manager_.EnumServicesEx(SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, &record, RecordEntryEx));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    EXPECT_EQ(0, record.calls);
}

TEST_F(ScmServiceTest, HandlesCanBeDetachedAndAttached) {
    SC_HANDLE raw = manager_.Detach();
    ASSERT_NE(nullptr, raw);
    EXPECT_EQ(nullptr, manager_.GetHandle());
    {
        CNTServiceControlManager other;
        other.Attach(raw);
        EXPECT_EQ(raw, other.GetHandle());
        EXPECT_TRUE(other.Lock()) << GetLastError();
        // (Wine's QueryServiceLockStatusA is a stub that always fails, so it is not read here.)
        EXPECT_TRUE(other.Unlock());
        // Nothing held any more: unlocking again is harmless.
        EXPECT_TRUE(other.Unlock());
        manager_.Attach(other.Detach());
    }
    EXPECT_EQ(raw, manager_.GetHandle());
    EXPECT_TRUE(manager_.Close());
    EXPECT_EQ(nullptr, manager_.GetHandle());
    EXPECT_TRUE(manager_.Close());
}

}  // namespace
