// TEST_LOCK: registry
#include "common/NTEventLogSource.h"
#include "classlib/CRegKey.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

struct ReportedEvent {
    CString server;
    CString source;
    WORD type;
    WORD category;
    DWORD id;
    PSID sid;
    DWORD dataSize;
    std::vector<CString> strings;
    bool registered;
};

class RecordingSink : public EventLogSink {
public:
    explicit RecordingSink(CNTEventLogSource* watched = nullptr) : watched_(watched) {}
    BOOL Report(const CString& server, const CString& source, WORD type, WORD category, DWORD eventId, PSID userSid,
                WORD stringCount, DWORD dataSize, const char** strings, void*) override {
        ReportedEvent e{server, source, type, category, eventId, userSid, dataSize, {}, false};
        for (WORD i = 0; i < stringCount; ++i) e.strings.push_back(strings[i]);
        e.registered = watched_ && watched_->GetHandle() != nullptr;
        events.push_back(e);
        SetLastError(failWith);
        return failWith == 0;
    }
    std::vector<ReportedEvent> events;
    DWORD failWith = 0;

private:
    CNTEventLogSource* watched_;
};

// Installs a sink for one test and restores the previous one.
class SinkScope {
public:
    explicit SinkScope(EventLogSink* sink) : previous_(CNTEventLogSource::SetSink(sink)) {}
    ~SinkScope() { CNTEventLogSource::SetSink(previous_); }

private:
    EventLogSink* previous_;
};

std::vector<CString> List(std::initializer_list<const char*> items) {
    std::vector<CString> out;
    for (const char* item : items) out.push_back(item);
    return out;
}

TEST(NTEventLogSourceTest, EveryShortFormReportsItsIdTypeAndStrings) {
    CNTEventLogSource source("", "Orvanti Manager");
    RecordingSink sink(&source);
    SinkScope scope(&sink);

    EXPECT_TRUE(source.Report(EVENTLOG_INFORMATION_TYPE, 0x40000002));
    EXPECT_TRUE(source.Report(EVENTLOG_WARNING_TYPE, "plain text"));
    EXPECT_TRUE(source.ReportString(EVENTLOG_ERROR_TYPE, 0xC0000012, "one"));
    EXPECT_TRUE(source.Report(EVENTLOG_ERROR_TYPE, 0xC000000E, "a", "b"));
    EXPECT_TRUE(source.Report(EVENTLOG_INFORMATION_TYPE, 0x40000011, "a", "b", "c"));
    EXPECT_TRUE(source.Report(EVENTLOG_ERROR_TYPE, 0xC000000F, "a", "b", 255, TRUE));
    EXPECT_TRUE(source.Report(EVENTLOG_ERROR_TYPE, 0xC000000F, "a", "b", 255, FALSE));
    EXPECT_TRUE(source.Report(EVENTLOG_ERROR_TYPE, 0xC000000B, 1460, FALSE));
    EXPECT_TRUE(source.Report(EVENTLOG_ERROR_TYPE, 0xC000000B, 0xABCDEF, TRUE));
    EXPECT_TRUE(source.Report(EVENTLOG_WARNING_TYPE, 0x80000013, "state", 7, FALSE));
    EXPECT_TRUE(source.Report(EVENTLOG_WARNING_TYPE, 0x80000013, "state", 0x1F, TRUE));

    struct Expected {
        WORD type;
        DWORD id;
        std::vector<CString> strings;
    } expected[] = {
        {EVENTLOG_INFORMATION_TYPE, 0x40000002, {}},
        {EVENTLOG_WARNING_TYPE, 0x40000010, List({"plain text"})},
        {EVENTLOG_ERROR_TYPE, 0xC0000012, List({"one"})},
        {EVENTLOG_ERROR_TYPE, 0xC000000E, List({"a", "b"})},
        {EVENTLOG_INFORMATION_TYPE, 0x40000011, List({"a", "b", "c"})},
        {EVENTLOG_ERROR_TYPE, 0xC000000F, List({"a", "b", "FF"})},
        {EVENTLOG_ERROR_TYPE, 0xC000000F, List({"a", "b", "255"})},
        {EVENTLOG_ERROR_TYPE, 0xC000000B, List({"1460"})},
        {EVENTLOG_ERROR_TYPE, 0xC000000B, List({"ABCDEF"})},
        {EVENTLOG_WARNING_TYPE, 0x80000013, List({"state", "7"})},
        {EVENTLOG_WARNING_TYPE, 0x80000013, List({"state", "1F"})},
    };
    ASSERT_EQ(sizeof(expected) / sizeof(expected[0]), sink.events.size());
    for (size_t i = 0; i < sink.events.size(); ++i) {
        SCOPED_TRACE(i);
        const ReportedEvent& e = sink.events[i];
        EXPECT_EQ(expected[i].type, e.type);
        EXPECT_EQ(expected[i].id, e.id);
        EXPECT_EQ(expected[i].strings, e.strings);
        EXPECT_EQ(0, e.category);
        EXPECT_EQ(nullptr, e.sid);
        EXPECT_EQ(0u, e.dataSize);
        EXPECT_EQ(CString("Orvanti Manager"), e.source);
        EXPECT_EQ(CString(""), e.server);
        // Registered for the report, and not kept open afterwards.
        EXPECT_TRUE(e.registered);
    }
    EXPECT_EQ(nullptr, source.GetHandle());
}

TEST(NTEventLogSourceTest, ReportsGoUnderTheCurrentSourceNameAndKeepTheSinksError) {
    CNTEventLogSource source;
    EXPECT_EQ(CString("Application"), source.GetLogName());
    RecordingSink sink;
    SinkScope scope(&sink);
    source.SetSourceName("First");
    source.ReportString(EVENTLOG_INFORMATION_TYPE, 0x40000001, "x");
    source.SetSourceName("Second");
    sink.failWith = ERROR_ACCESS_DENIED;
    SetLastError(0);
    EXPECT_FALSE(source.ReportString(EVENTLOG_INFORMATION_TYPE, 0x40000001, "x"));
    // Deregistering after the report must not hide why the report failed.
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    ASSERT_EQ(2u, sink.events.size());
    EXPECT_EQ(CString("First"), sink.events[0].source);
    EXPECT_EQ(CString("Second"), sink.events[1].source);
}

TEST(NTEventLogSourceTest, RegisterDeregisterAttachAndDetach) {
    CNTEventLogSource source(nullptr, "OrvTestSource", "Application");
    EXPECT_TRUE(source.Deregister());  // nothing held
    ASSERT_TRUE(source.Register()) << GetLastError();
    HANDLE first = source.GetHandle();
    EXPECT_NE(nullptr, first);
    EXPECT_TRUE(source.Deregister());
    EXPECT_EQ(nullptr, source.GetHandle());

    HANDLE outside = RegisterEventSourceA(nullptr, "OrvTestSource");
    ASSERT_NE(nullptr, outside);
    source.Attach(outside);
    EXPECT_EQ(outside, source.GetHandle());
    EXPECT_EQ(outside, source.Detach());
    EXPECT_EQ(nullptr, source.GetHandle());
    EXPECT_TRUE(DeregisterEventSource(outside));
}

// A log key of its own, so the "Sources" list can be watched without touching a real log.
class EventLogKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        logName_.Format("OrvTestLog%lu", GetCurrentProcessId());
        logPath_ = CString("SYSTEM\\CurrentControlSet\\Services\\EventLog\\") + logName_;
        ASSERT_EQ(ERROR_SUCCESS, logKey_.Create(HKEY_LOCAL_MACHINE, logPath_));
    }
    void TearDown() override {
        logKey_.Close();
        CRegKey parent;
        if (parent.Open(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\EventLog") == ERROR_SUCCESS) {
            parent.DeleteSubKey(logName_ + "\\OrvTestSource");
            parent.DeleteSubKey(logName_);
        }
    }
    CStringArray Sources() {
        CStringArray sources;
        EXPECT_EQ(ERROR_SUCCESS, CNTEventLogSource::ReadMultiString(logKey_, "Sources", sources));
        return sources;
    }
    static std::vector<CString> ToVector(const CStringArray& a) {
        std::vector<CString> v;
        for (int i = 0; i < a.GetSize(); ++i) v.push_back(a[i]);
        return v;
    }

    CString logName_;
    CString logPath_;
    CRegKey logKey_;
};

TEST_F(EventLogKeyTest, InstallingTwiceListsTheSourceOnceAndUninstallingRemovesIt) {
    CStringArray initial;
    initial.Add("Existing");
    initial.Add("orvtestsource");  // differs only in case: another source
    ASSERT_EQ(ERROR_SUCCESS, CNTEventLogSource::WriteMultiString(logKey_, "Sources", initial));

    ASSERT_TRUE(CNTEventLogSource::InstallSource(logName_, "OrvTestSource", "C:\\x\\OrvService.DLL", 7))
        << GetLastError();
    ASSERT_TRUE(CNTEventLogSource::InstallSource(logName_, "OrvTestSource", "C:\\y\\OrvService.DLL", 7));
    EXPECT_EQ(List({"Existing", "orvtestsource", "OrvTestSource"}), ToVector(Sources()));

    CRegKey sourceKey;
    ASSERT_EQ(ERROR_SUCCESS, sourceKey.Open(HKEY_LOCAL_MACHINE, logPath_ + "\\OrvTestSource", KEY_READ));
    CString file;
    DWORD types = 0;
    EXPECT_EQ(ERROR_SUCCESS, sourceKey.QueryStringValue("EventMessageFile", file));
    EXPECT_EQ(CString("C:\\y\\OrvService.DLL"), file);
    EXPECT_EQ(ERROR_SUCCESS, sourceKey.QueryDWORDValue("TypesSupported", types));
    EXPECT_EQ(7u, types);
    sourceKey.Close();

    ASSERT_TRUE(CNTEventLogSource::UninstallSource(logName_, "OrvTestSource")) << GetLastError();
    EXPECT_EQ(List({"Existing", "orvtestsource"}), ToVector(Sources()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, sourceKey.Open(HKEY_LOCAL_MACHINE, logPath_ + "\\OrvTestSource", KEY_READ));

    SetLastError(0);
    EXPECT_FALSE(CNTEventLogSource::UninstallSource(logName_, "OrvTestSource"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(List({"Existing", "orvtestsource"}), ToVector(Sources()));
}

TEST_F(EventLogKeyTest, LogWithoutASourceListGetsNoneCreated) {
    ASSERT_TRUE(CNTEventLogSource::InstallSource(logName_, "OrvTestSource", "m.dll", 7)) << GetLastError();
    CStringArray sources;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, CNTEventLogSource::ReadMultiString(logKey_, "Sources", sources));
    EXPECT_TRUE(CNTEventLogSource::UninstallSource(logName_, "OrvTestSource"));
}

TEST_F(EventLogKeyTest, MissingLogFailsWithoutBeingCreated) {
    CString missing = logName_ + "Missing";
    SetLastError(0);
    EXPECT_FALSE(CNTEventLogSource::InstallSource(missing, "OrvTestSource", "m.dll", 7));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              key.Open(HKEY_LOCAL_MACHINE, CString("SYSTEM\\CurrentControlSet\\Services\\EventLog\\") + missing,
                       KEY_READ));
}

TEST_F(EventLogKeyTest, MultiStringsRoundTripAndAnotherTypeIsInvalidData) {
    CStringArray empty;
    ASSERT_EQ(ERROR_SUCCESS, CNTEventLogSource::WriteMultiString(logKey_, "Empty", empty));
    DWORD type = 0, bytes = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(logKey_, "Empty", nullptr, &type, nullptr, &bytes));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    EXPECT_EQ(1u, bytes);
    CStringArray read;
    read.Add("stale");
    EXPECT_EQ(ERROR_SUCCESS, CNTEventLogSource::ReadMultiString(logKey_, "Empty", read));
    EXPECT_EQ(0, read.GetSize());

    CStringArray two;
    two.Add("A");
    two.Add("Bc");
    ASSERT_EQ(ERROR_SUCCESS, CNTEventLogSource::WriteMultiString(logKey_, "Two", two));
    char raw[16] = {};
    bytes = sizeof(raw);
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(logKey_, "Two", nullptr, &type, reinterpret_cast<BYTE*>(raw), &bytes));
    EXPECT_EQ(std::string("A\0Bc\0\0", 6), std::string(raw, bytes));

    // Written without its closing NULs: still read safely.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(logKey_, "Bare", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("xy"), 2));
    EXPECT_EQ(ERROR_SUCCESS, CNTEventLogSource::ReadMultiString(logKey_, "Bare", read));
    EXPECT_EQ(List({"xy"}), ToVector(read));

    ASSERT_EQ(ERROR_SUCCESS, logKey_.SetStringValue("Text", "not a list"));
    SetLastError(0);
    EXPECT_EQ(ERROR_INVALID_DATA, CNTEventLogSource::ReadMultiString(logKey_, "Text", read));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    EXPECT_EQ(0, read.GetSize());

    // A list that is not a list is left alone by an installation.
    ASSERT_EQ(ERROR_SUCCESS, logKey_.SetStringValue("Sources", "plain"));
    EXPECT_TRUE(CNTEventLogSource::InstallSource(logName_, "OrvTestSource", "m.dll", 7));
    CString plain;
    EXPECT_EQ(ERROR_SUCCESS, logKey_.QueryStringValue("Sources", plain));
    EXPECT_EQ(CString("plain"), plain);
}

}  // namespace
