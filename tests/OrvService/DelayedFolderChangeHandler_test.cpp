#include "classlib/HandleOwner.h"
#include "OrvService/DelayedFolderChangeHandler.h"
#include "OrvService/WildcardMatch.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Client : FolderChangeHandler {
    bool answer = true;
    int asked = 0;
    std::vector<std::string> calls;
    bool Filter(DWORD, const CString&, const CString&) override {
        ++asked;
        return answer;
    }
    void OnFileAdded(const CString& p) override { calls.push_back("added " + p.str()); }
    void OnFileModified(const CString&) override { throw std::runtime_error("client failure"); }
    void OnFileNameChanged(const CString& o, const CString& n) override { calls.push_back(o.str() + ">" + n.str()); }
    void OnWatchStopped(const CString& f) override { calls.push_back("stopped " + f.str()); }
};

// A handler under test, with a record made the way its callbacks make them.
struct FilterBench {
    Client client;
    DelayedFolderChangeHandler* handler;
    FilterBench(const char* include, const char* exclude, DWORD flags, const char* folder = "C:\\web")
        : handler(new DelayedFolderChangeHandler(&client, false, include, exclude, flags)) {
        handler->SetFolderPath(folder);
    }
    ~FilterBench() { handler->Release(); }
    bool Passes(DWORD kind, const char* first, const char* second = "") {
        FolderChangeNotification record(handler, kind, first, second, 0, handler->GetNameOffset());
        return handler->PassesFilter(record, &client);
    }
};

}  // namespace

TEST(WildcardMatchTest, Table) {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    } cases[] = {
        {"abc", "a*c", true},     {"abc", "a?c", true},      {"abc", "*", true},          {"abc", "a*", true},
        {"abc", "a*d", false},    {"abc", "ab", false},      {"", "", true},              {"", "*", true},
        {"", "?", false},         {"abc", "", false},        {"abc", "ABC", false},       {"a.HTM", "*.htm", false},
        {"index.html", "*.html", true}, {"abcbcd", "a*bcd", true}, {"aXbXc", "a*b*c", true}, {"ab", "a**b", true},
        {"abcde", "*c*", true},   {"abc", "abc*", true},     {"abc", "abc**", true},      {"abc", "?bc?", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.match, WildcardMatch(c.name, c.pattern)) << c.name << " vs " << c.pattern;
}

TEST(DelayedFolderChangeHandlerTest, DefaultFlagsPassEveryChangeTheClientAccepts) {
    FilterBench s(nullptr, nullptr, kFilterFileNameOnly);
    for (DWORD kind = kFileAdded; kind <= kFileRenamed; ++kind) EXPECT_TRUE(s.Passes(kind, "C:\\web\\x.tmp", "y"));
    s.client.answer = false;
    EXPECT_FALSE(s.Passes(kFileAdded, "C:\\web\\x.tmp"));
    // Watch events never go through the client's filter.
    EXPECT_TRUE(s.Passes(kWatchStarted, "C:\\web"));
    EXPECT_TRUE(s.Passes(kWatchStopped, "C:\\web"));
    EXPECT_TRUE(s.Passes(kReadError, "C:\\web"));
}

TEST(DelayedFolderChangeHandlerTest, IncludeAndExcludePatternsAgainstTheFileName) {
    FilterBench s("*.htm;;*.html", "~*", kFilterFileNameOnly);
    EXPECT_FALSE(s.Passes(kFileAdded, "C:\\web\\a.HTM"));  // case-sensitive
    EXPECT_TRUE(s.Passes(kFileAdded, "C:\\web\\index.html"));
    EXPECT_TRUE(s.Passes(kFileAdded, "C:\\web\\sub\\page.htm"));
    EXPECT_FALSE(s.Passes(kFileAdded, "C:\\web\\~page.htm"));
    EXPECT_FALSE(s.Passes(kFileAdded, "noslash.txt"));
    EXPECT_TRUE(s.Passes(kFileAdded, "noslash.htm"));
    // A rename passes when either name does.
    EXPECT_TRUE(s.Passes(kFileRenamed, "C:\\web\\a.tmp", "C:\\web\\a.htm"));
    EXPECT_TRUE(s.Passes(kFileRenamed, "C:\\web\\a.htm", "C:\\web\\a.tmp"));
    EXPECT_FALSE(s.Passes(kFileRenamed, "C:\\web\\a.tmp", "C:\\web\\b.tmp"));
}

TEST(DelayedFolderChangeHandlerTest, RelativeAndWholeNameMatching) {
    FilterBench relative("sub\\*", nullptr, kFilterRelativeName, "C:\\web");
    EXPECT_EQ(7u, relative.handler->GetNameOffset());
    EXPECT_TRUE(relative.Passes(kFileAdded, "C:\\web\\sub\\a"));
    EXPECT_FALSE(relative.Passes(kFileAdded, "C:\\web\\a"));
    FilterBench trailing(nullptr, nullptr, kFilterRelativeName, "C:\\web\\");
    EXPECT_EQ(7u, trailing.handler->GetNameOffset());
    FilterBench whole("C:\\web\\*.txt", nullptr, 0);
    EXPECT_EQ(0u, whole.handler->GetNameOffset());
    EXPECT_TRUE(whole.Passes(kFileAdded, "C:\\web\\sub\\a.txt"));
    EXPECT_FALSE(whole.Passes(kFileAdded, "D:\\web\\a.txt"));
}

TEST(DelayedFolderChangeHandlerTest, WhenTheClientIsAsked) {
    // Client last (default): not asked when the patterns already refused.
    FilterBench last("*.htm", nullptr, kFilterFileNameOnly);
    EXPECT_FALSE(last.Passes(kFileAdded, "C:\\a.txt"));
    EXPECT_EQ(0, last.client.asked);
    EXPECT_TRUE(last.Passes(kFileAdded, "C:\\a.htm"));
    EXPECT_EQ(1, last.client.asked);

    // Client first: asked before the patterns, and its refusal ends the test.
    FilterBench first("*.htm", nullptr, kFilterFileNameOnly | kFilterClientFirst);
    EXPECT_FALSE(first.Passes(kFileAdded, "C:\\a.txt"));
    EXPECT_EQ(1, first.client.asked);
    first.client.answer = false;
    EXPECT_FALSE(first.Passes(kFileAdded, "C:\\a.htm"));

    // Never asked; with no pattern test either, everything passes.
    FilterBench never("*.htm", nullptr, kFilterFileNameOnly | kFilterNoClient);
    never.client.answer = false;
    EXPECT_TRUE(never.Passes(kFileAdded, "C:\\a.htm"));
    EXPECT_FALSE(never.Passes(kFileAdded, "C:\\a.txt"));
    FilterBench all("*.htm", nullptr, kFilterNoPatterns | kFilterNoClient);
    all.client.answer = false;
    EXPECT_TRUE(all.Passes(kFileAdded, "C:\\a.txt"));
    EXPECT_EQ(0, never.client.asked + all.client.asked);

    // No pattern test, client asked.
    FilterBench nopat("*.htm", nullptr, kFilterNoPatterns);
    nopat.client.answer = false;
    EXPECT_FALSE(nopat.Passes(kFileAdded, "C:\\a.htm"));
}

TEST(DelayedFolderChangeHandlerTest, DispatchDeliversFreesAndSurvivesClientFailures) {
    FilterBench s(nullptr, nullptr, kFilterFileNameOnly);
    s.handler->Dispatch(new FolderChangeNotification(s.handler, kFileAdded, "C:\\a", "", 0, 0));
    s.handler->Dispatch(new FolderChangeNotification(s.handler, kFileRenamed, "C:\\a", "C:\\b", 0, 0));
    EXPECT_ANY_THROW(s.handler->Dispatch(new FolderChangeNotification(s.handler, kFileModified, "C:\\a", "", 0, 0)));
    // Through the notifiers' entry point nothing escapes.
    DispatchFolderChangeRecord(new FolderChangeNotification(s.handler, kFileModified, "C:\\a", "", 0, 0));
    std::vector<std::string> want = {"added C:\\a", "C:\\a>C:\\b"};
    EXPECT_EQ(want, s.client.calls);
}

TEST(DelayedFolderChangeHandlerTest, RecordsKeepTheirOwnerAliveAfterItsWatchLetsGo) {
    Client client;
    DelayedFolderChangeHandler* handler = new DelayedFolderChangeHandler(&client, false, nullptr, nullptr, 8);
    FolderChangeNotification* pending = new FolderChangeNotification(handler, kFileAdded, "C:\\w\\a", "", 0, 0);
    handler->DetachClient(GetTickCount());
    EXPECT_EQ(1, handler->Release());  // the record's reference remains
    DispatchFolderChangeRecord(pending);  // freed unseen, and the handler with it
    EXPECT_TRUE(client.calls.empty());
}

TEST(DelayedFolderChangeHandlerTest, AStoppedRecordWithoutAClientStillEndsTheHandOver) {
    Client client;
    DelayedFolderChangeHandler* handler = new DelayedFolderChangeHandler(&client, false, nullptr, nullptr, 8);
    HANDLE stopped = handler->GetStoppedEvent();
    ResetEvent(stopped);
    handler->DetachClient(GetTickCount());
    DispatchFolderChangeRecord(new FolderChangeNotification(handler, kWatchStopped, "C:\\w", "", 0, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(stopped, 0));
    EXPECT_TRUE(client.calls.empty());
    // Watch events pass every filter: told or not, the stopper is released.
    struct Refusing : FolderChangeHandler {
        bool Filter(DWORD, const CString&, const CString&) override { return false; }
    } refusing;
    DelayedFolderChangeHandler* other = new DelayedFolderChangeHandler(&refusing, false, "*.x", nullptr, 8);
    ResetEvent(other->GetStoppedEvent());
    DispatchFolderChangeRecord(new FolderChangeNotification(other, kWatchStopped, "C:\\w", "", 0, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(other->GetStoppedEvent(), 0));
    EXPECT_EQ(0, handler->Release());
    EXPECT_EQ(0, other->Release());
}

TEST(DelayedFolderChangeHandlerTest, WatchStoppedWaitsForTheClientOnTheNotificationThread) {
    struct Stopped : FolderChangeHandler {
        DWORD thread = 0;
        void OnWatchStopped(const CString&) override { thread = GetCurrentThreadId(); }
    } client;
    DelayedFolderChangeHandler* handler = new DelayedFolderChangeHandler(&client, false, nullptr, nullptr, 8);
    handler->OnWatchStopped("C:\\w");  // returns only once delivered
    EXPECT_NE(0u, client.thread);
    EXPECT_EQ(DelayedThreadNotifier::GetThreadId(), client.thread);
    EXPECT_NE(GetCurrentThreadId(), client.thread);
    handler->Release();

    // Dropped by flag 0x80: no record, no wait.
    Stopped quiet;
    handler = new DelayedFolderChangeHandler(&quiet, false, nullptr, nullptr, 8 | kFilterNoStopped);
    handler->OnWatchStopped("C:\\w");
    EXPECT_EQ(0u, quiet.thread);
    handler->Release();
    // The last notifier gone, the thread is gone.
    EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
}

TEST(DelayedFolderChangeHandlerTest, TheLastNotifierMayGoAwayOnTheNotificationThread) {
    // A watch removed while its records are still queued: the last record, freed on the
    // notification thread, takes the handler and the last notifier with it there.
    for (int round = 0; round < 3; ++round) {
        // Another handler's delivery holds the notification thread until the test let go of the
        // handler under test, so its records are still queued then; the holder's lock is held.
        struct Held : FolderChangeHandler {
            ScopedHandle entered{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
            ScopedHandle gate{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
            DWORD waited = WAIT_FAILED;
            void OnFileAdded(const CString&) override {
                SetEvent(entered.Get());
                waited = WaitForSingleObject(gate.Get(), 10000);
            }
        } holder;
        Client client;
        DelayedFolderChangeHandler* holding = new DelayedFolderChangeHandler(&holder, false, nullptr, nullptr, 8);
        DelayedFolderChangeHandler* handler = new DelayedFolderChangeHandler(&client, false, nullptr, nullptr, 8);
        DWORD thread = DelayedThreadNotifier::GetThreadId();
        ASSERT_NE(0u, thread);
        HANDLE threadHandle = OpenThread(SYNCHRONIZE, FALSE, thread);
        ASSERT_TRUE(threadHandle != nullptr);
        holding->OnFileAdded("C:\\h\\a");
        for (int i = 0; i < 5; ++i) handler->OnFileAdded("C:\\w\\a");
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holder.entered.Get(), 5000));
        handler->DetachClient(GetTickCount());
        EXPECT_LT(0, handler->Release());  // the queued records hold it
        EXPECT_LT(0, holding->Release());  // the record in delivery holds it
        SetEvent(holder.gate.Get());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(threadHandle, 5000));
        CloseHandle(threadHandle);
        EXPECT_EQ(WAIT_OBJECT_0, holder.waited) << "the holder was not let go by the test";
        EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
    }
    // And the next one starts a working thread again.
    struct Stopped : FolderChangeHandler {
        DWORD thread = 0;
        void OnWatchStopped(const CString&) override { thread = GetCurrentThreadId(); }
    } client;
    DelayedFolderChangeHandler* handler = new DelayedFolderChangeHandler(&client, false, nullptr, nullptr, 8);
    handler->OnWatchStopped("C:\\w");
    EXPECT_EQ(DelayedThreadNotifier::GetThreadId(), client.thread);
    handler->Release();
}
