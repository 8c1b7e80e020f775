#include "OrvService/DelayedFolderChangeHandler.h"
#include "OrvService/DelayedNotifier.h"
#include "OrvService/FolderWatcher.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <functional>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <vector>

using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

const DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                      FILE_NOTIFY_CHANGE_CREATION;

class Recorder : public FolderChangeHandler {
public:
    void OnFileAdded(const CString& p) override { Note("added " + p.str()); }
    void OnFileRemoved(const CString& p) override { Note("removed " + p.str()); }
    void OnFileModified(const CString& p) override { Note("modified " + p.str()); }
    void OnFileNameChanged(const CString& o, const CString& n) override { Note("renamed " + o.str() + " -> " + n.str()); }
    void OnWatchStarted(DWORD e, const CString& f) override { Note("started " + std::to_string(e) + " " + f.str()); }
    void OnWatchStopped(const CString& f) override { Note("stopped " + f.str()); }
    void OnReadDirectoryChangesError(DWORD e, const CString& f) override {
        Note("error " + std::to_string(e) + " " + f.str());
    }

    std::vector<std::string> Calls() {
        CSingleLock lock(&lock_, TRUE);
        return calls_;
    }
    std::set<DWORD> Threads() {
        CSingleLock lock(&lock_, TRUE);
        return threads_;
    }
    bool Has(const std::string& call) {
        auto calls = Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    size_t CountPrefix(const std::string& prefix) {
        std::set<std::string> distinct;
        for (const std::string& c : Calls())
            if (c.compare(0, prefix.size(), prefix) == 0) distinct.insert(c);
        return distinct.size();
    }

private:
    void Note(const std::string& call) {
        CSingleLock lock(&lock_, TRUE);
        calls_.push_back(call);
        threads_.insert(GetCurrentThreadId());
    }
    CCriticalSection lock_;
    std::vector<std::string> calls_;
    std::set<DWORD> threads_;
};

// Polls until the condition holds, pumping this thread's messages (the window notifier's
// records are dispatched by whoever pumps the creating thread's queue).
bool WaitFor(const std::function<bool()>& condition, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (condition()) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
}

// The fault tests' hooks act on one folder and its handler.
std::string g_hooked;
FolderChangeHandler* g_hookedHandler = nullptr;
std::atomic<int> g_packets(0), g_packetsUnheld(0);

void ThrowWhileBuildingRecords(const CString& folder, LONG state) {
    if (state == WatchInfo::kWatching && folder.str() == g_hooked) throw std::bad_alloc();
}

void CountPackets(const CString& folder, LONG) {
    if (folder.str() != g_hooked) return;
    ++g_packets;
    g_packetsUnheld += g_hookedHandler->GetWatcherUseCount() == 0;
}

BOOL WINAPI RefuseWatchPackets(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped) {
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return key == 0 && PostQueuedCompletionStatus(port, bytes, key, overlapped);
}

// Holds the worker thread in its first change packet of g_hooked until let go (never for ever),
// then counts the packets of that folder it goes on to handle.
ScopedHandle g_holding(CreateEventA(nullptr, TRUE, FALSE, nullptr));
ScopedHandle g_letGo(CreateEventA(nullptr, TRUE, FALSE, nullptr));
std::atomic<int> g_packetsAfterHold(0);

void HoldInFirstChangePacket(const CString& folder, LONG state) {
    if (folder.str() != g_hooked) return;
    if (WaitForSingleObject(g_holding.Get(), 0) == WAIT_OBJECT_0) {
        ++g_packetsAfterHold;
    } else if (state == WatchInfo::kWatching) {
        SetEvent(g_holding.Get());
        WaitForSingleObject(g_letGo.Get(), 90000);
    }
}

// A client owned through its reference count, as the Watch task is: its first added file holds
// the callback until let go (never for ever). It counts whether it went before that callback
// returned.
class HeldClient : public Recorder {
public:
    ~HeldClient() override { ++(returned_ ? g_gone : g_goneEarly); }
    void OnFileAdded(const CString& p) override {
        Recorder::OnFileAdded(p);
        if (InterlockedExchange(&held_, 1)) return;
        SetEvent(entered.Get());
        WaitForSingleObject(letGo.Get(), 30000);
        returned_ = true;
    }
    ScopedHandle entered{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ScopedHandle letGo{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    static std::atomic<int> g_gone, g_goneEarly;

private:
    volatile LONG held_ = 0;
    std::atomic<bool> returned_{false};
};
std::atomic<int> HeldClient::g_gone(0), HeldClient::g_goneEarly(0);

}  // namespace

TEST(FolderWatcherTest, RefusedWatchesReportTheirCodes) {
    ScratchFolder dir;
    WriteFileBytes(dir.File("plain.txt"), "x");
    Recorder handler;
    FolderWatcher watcher;
    EXPECT_EQ(87u, watcher.WatchDirectory("", kFilter, &handler, true));
    EXPECT_EQ(87u, GetLastError());
    EXPECT_EQ(87u, watcher.WatchDirectory(dir.Path(), 0, &handler, true));
    EXPECT_EQ(87u, watcher.WatchDirectory(dir.Path(), kFilter, nullptr, true));
    EXPECT_EQ(161u, watcher.WatchDirectory(dir.File("plain.txt"), kFilter, &handler, true));
    EXPECT_EQ(161u, watcher.WatchDirectory(dir.File("missing"), kFilter, &handler, true));
    EXPECT_EQ(161u, GetLastError());
    EXPECT_EQ(0, watcher.GetWatchCount());
    EXPECT_EQ(0, handler.GetWatcherUseCount());
}

TEST(FolderWatcherTest, ChangesArriveOnTheNotificationThreadWithFullPaths) {
    ScratchFolder dir;
    Recorder handler;
    FolderWatcher watcher;
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.Path(), kFilter, &handler, true));
    EXPECT_TRUE(watcher.IsWatching(dir.Path()));
    EXPECT_EQ(&watcher, handler.GetWatcher());
    // Wine follows only subfolders made while the watch runs.
    CreateDirectoryA(dir.File("sub"), nullptr);
    ASSERT_TRUE(WaitFor([&] { return handler.Has("added " + dir.File("sub").str()); }));

    WriteFileBytes(dir.File("sub\\a.tmp"), "1");
    ASSERT_TRUE(WaitFor([&] { return handler.Has("added " + dir.File("sub\\a.tmp").str()); }, 3000))
        << ::testing::PrintToString(handler.Calls());
    ASSERT_TRUE(MoveFileA(dir.File("sub\\a.tmp"), dir.File("sub\\a.htm")));
    ASSERT_TRUE(WaitFor([&] {
        return handler.Has("renamed " + dir.File("sub\\a.tmp").str() + " -> " + dir.File("sub\\a.htm").str());
    }));
    ASSERT_TRUE(DeleteFileA(dir.File("sub\\a.htm")));
    ASSERT_TRUE(WaitFor([&] { return handler.Has("removed " + dir.File("sub\\a.htm").str()); }));

    EXPECT_EQ("started 0 " + dir.Path().str(), handler.Calls().front());
    std::set<DWORD> threads = handler.Threads();
    ASSERT_EQ(1u, threads.size());
    EXPECT_EQ(DelayedThreadNotifier::GetThreadId(), *threads.begin());
    EXPECT_NE(GetCurrentThreadId(), *threads.begin());

    EXPECT_TRUE(watcher.UnwatchAll());
    EXPECT_EQ("stopped " + dir.Path().str(), handler.Calls().back());
    EXPECT_EQ(nullptr, handler.GetWatcher());
}

TEST(FolderWatcherTest, AWatchedFolderCanBeRenamedOrDeletedAndTheWatchStillEnds) {
    ScratchFolder dir;
    CreateDirectoryA(dir.File("moved"), nullptr);
    CreateDirectoryA(dir.File("deleted"), nullptr);
    Recorder handler;
    FolderWatcher watcher;
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.File("moved"), kFilter, &handler, true));
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.File("deleted"), kFilter, &handler, true));
    EXPECT_TRUE(MoveFileA(dir.File("moved"), dir.File("renamed"))) << GetLastError();
    EXPECT_TRUE(RemoveDirectoryA(dir.File("deleted"))) << GetLastError();
    EXPECT_TRUE(watcher.UnwatchAll());
    EXPECT_TRUE(handler.Has("stopped " + dir.File("moved").str()));
    EXPECT_TRUE(handler.Has("stopped " + dir.File("deleted").str()));
}

TEST(FolderWatcherTest, RewatchingUnderAnotherLetterCaseRestartsTheWatch) {
    ScratchFolder dir;
    Recorder handler;
    FolderWatcher watcher;
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.Path(), kFilter, &handler, false));
    CString upper = dir.Path();
    upper.MakeUpper();
    ASSERT_EQ(0u, watcher.WatchDirectory(upper, kFilter, &handler, false));
    EXPECT_EQ(1, watcher.GetWatchCount());
    EXPECT_EQ(1, handler.GetWatcherUseCount());
    std::vector<std::string> want = {"started 0 " + dir.Path().str(), "stopped " + dir.Path().str(),
                                     "started 0 " + upper.str()};
    ASSERT_TRUE(WaitFor([&] { return handler.Calls().size() >= 3; }));
    EXPECT_EQ(want, handler.Calls());
    EXPECT_TRUE(watcher.UnwatchDirectory(dir.Path()));
    EXPECT_FALSE(watcher.UnwatchDirectory(dir.Path()));
    EXPECT_EQ(0, handler.GetWatcherUseCount());
}

// Each round ends the watcher's thread another way: answered; never told (its quit packet
// refused); held in a change packet, answering nothing; held in the stop's hand-over by a client
// callback that does not return; answering, with no hand-over, while such a callback runs. The
// stop always ends (it once waited for ever), within one limit for all the watches, and lets the
// client go; the held thread's watches are not freed under it, nor the held callback's client,
// which its owner let go meanwhile; the watcher works again.
TEST(FolderWatcherTest, UnwatchAllEndsWhenItsThreadCannotBeToldToAndTheWatcherWorksAfterwards) {
    struct Round {
        const char* what;
        CompletionPoster poster;
        bool held;
        bool callbackHeld;
        DWORD left;
        DWORD filterFlags = 0;  // the watcher's default
    };
    const Round rounds[] = {
        {"answered", nullptr, false, false, 0},
        {"quit refused", testing_support::RefuseQuitPacket, false, false, ERROR_NO_SYSTEM_RESOURCES},
        {"held in a packet", nullptr, true, false, ERROR_TIMEOUT},
        {"callback held", nullptr, false, true, ERROR_TIMEOUT},
        {"callback held, no hand-over", nullptr, false, true, 0, kFilterFileNameOnly | kFilterNoStopped},
        {"answered after a thread was left", nullptr, false, false, 0},
    };
    const DWORD limit = 2000, previousLimit = FolderWatcher::SetAnswerLimitForTesting(limit);
    const DWORD withinLimit = limit + 2500;  // not one limit per watch
    ScratchFolder dir;
    const CString a = dir.File("a"), b = dir.File("b");
    CreateDirectoryA(a, nullptr);
    CreateDirectoryA(b, nullptr);
    Recorder recorder;
    FolderWatcher watcher;
    EXPECT_FALSE(watcher.UnwatchAll());
    testing_support::Watchdog deadline(60);
    for (const Round& round : rounds) {
        SCOPED_TRACE(round.what);
        HeldClient::g_gone = HeldClient::g_goneEarly = 0;
        HeldClient* held = round.callbackHeld ? new HeldClient : nullptr;
        Recorder& handler = held ? *held : recorder;
        watcher.SetFilterFlags(round.filterFlags);
        ASSERT_EQ(0u, watcher.WatchDirectory(a, kFilter, &handler, false));
        ASSERT_EQ(0u, watcher.WatchDirectory(b, kFilter, &handler, false));
        g_hooked = a.str();
        SetPacketHookForTesting(round.held ? HoldInFirstChangePacket : nullptr);
        const CString changed = a + "\\" + round.what + ".txt";
        WriteFileBytes(changed, "x");
        DWORD start = GetTickCount();
        if (round.held) {
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_holding.Get(), 10000));
            // A start the held thread cannot answer ends too, and nothing is watched for it.
            EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), watcher.WatchDirectory(dir.Path(), kFilter, &handler, false));
            EXPECT_LT(GetTickCount() - start, withinLimit);
            EXPECT_EQ(2, watcher.GetWatchCount());
        } else if (held) {
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held->entered.Get(), 10000));
        } else {
            EXPECT_TRUE(WaitFor([&] { return handler.Has("added " + changed.str()); }));
        }
        const size_t callsBefore = handler.Calls().size();
        SetCompletionPosterForTesting(round.poster);
        DWORD left = 1;
        bool callbackLeft = !held;
        start = GetTickCount();
        EXPECT_TRUE(watcher.UnwatchAll(&left, &callbackLeft));
        EXPECT_LT(GetTickCount() - start, withinLimit);
        SetCompletionPosterForTesting(nullptr);
        EXPECT_EQ(round.left, left);
        EXPECT_EQ(held != nullptr, callbackLeft);
        EXPECT_EQ(nullptr, handler.GetWatcher());
        // The notification thread goes with the last watch, also when watches were left behind;
        // a callback that runs on it without a hand-over keeps it until the callback returns.
        EXPECT_EQ(round.filterFlags == 0, DelayedThreadNotifier::GetThreadId() == 0);
        if (round.held) {
            SetEvent(g_letGo.Get());
            // The thread reads its watch after it was left behind; the client hears nothing more.
            EXPECT_TRUE(WaitFor([] { return g_packetsAfterHold > 0; }));
            EXPECT_FALSE(WaitFor([&] { return handler.Calls().size() != callsBefore; }, 500));
        } else if (held) {
            // Its owner lets go at once; the callback still uses it, and it goes only once that
            // returns.
            held->Release();
            SetEvent(held->letGo.Get());
            EXPECT_TRUE(WaitFor([] { return HeldClient::g_gone + HeldClient::g_goneEarly > 0; }));
            EXPECT_EQ(1, HeldClient::g_gone.load());
            EXPECT_EQ(0, HeldClient::g_goneEarly.load());
            EXPECT_TRUE(WaitFor([] { return DelayedThreadNotifier::GetThreadId() == 0; }));
        } else {
            const std::vector<std::string> calls = handler.Calls(), last(calls.end() - 2, calls.end());
            EXPECT_EQ(std::vector<std::string>({"stopped " + a.str(), "stopped " + b.str()}), last);
        }
        EXPECT_FALSE(watcher.UnwatchAll());
    }
    FolderWatcher::SetAnswerLimitForTesting(previousLimit);
}

TEST(FolderWatcherTest, AHundredQuickChangesAreAllDelivered) {
    ScratchFolder dir;
    Recorder handler;
    FolderWatcher watcher;
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.Path(), kFilter, &handler, true));
    for (int i = 0; i < 100; ++i) {
        CString name;
        name.Format("file%03d.txt", i);
        WriteFileBytes(dir.File(name), "x");
    }
    // Under a heavily loaded machine the change buffer can overflow: then the lost records must
    // come as a change of the folder itself, so that nothing is lost unnoticed.
    const std::string overflow = "modified " + dir.Path().str();
    EXPECT_TRUE(WaitFor([&] { return handler.CountPrefix("added ") == 100 || handler.Has(overflow); }, 20000))
        << handler.CountPrefix("added ") << " of 100, " << handler.Calls().size() << " calls";
}

TEST(FolderWatcherTest, UnwatchEndsPromptlyWhileChangesStreamIn) {
    ScratchFolder dir;
    Recorder handler;
    FolderWatcher watcher;
    CreateDirectoryA(dir.File("a"), nullptr);
    CreateDirectoryA(dir.File("b"), nullptr);
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.File("a"), kFilter, &handler, true));
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.File("b"), kFilter, &handler, true));
    std::atomic<bool> stop(false);
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            CString name;
            name.Format("%s\\f%d.txt", i % 2 ? "a" : "b", i % 50);
            WriteFileBytes(dir.File(name), std::to_string(i));
        }
    });
    ASSERT_TRUE(WaitFor([&] { return handler.CountPrefix("modified ") + handler.CountPrefix("added ") > 10; }));
    DWORD start = GetTickCount();
    EXPECT_TRUE(watcher.UnwatchAll());
    DWORD took = GetTickCount() - start;
    stop = true;
    writer.join();
    EXPECT_LT(took, 5000u);
    EXPECT_EQ(0, watcher.GetWatchCount());
    EXPECT_TRUE(handler.Has("stopped " + dir.File("a").str()));
    EXPECT_TRUE(handler.Has("stopped " + dir.File("b").str()));
}

TEST(FolderWatcherTest, AHandlerGoingAwayIsUnwatchedAndTheLastOneStopsTheNotificationThread) {
    ScratchFolder dir;
    FolderWatcher watcher;
    {
        Recorder handler;
        ASSERT_EQ(0u, watcher.WatchDirectory(dir.Path(), kFilter, &handler, false));
        EXPECT_NE(0u, DelayedThreadNotifier::GetThreadId());
        // The base part unwatches only after the recorder's own members are gone: a record still
        // on its way then would reach a half-destroyed recorder.
        ASSERT_TRUE(WaitFor([&] { return handler.Has("started 0 " + dir.Path().str()); }));
    }
    EXPECT_EQ(0, watcher.GetWatchCount());
    EXPECT_EQ(0u, DelayedThreadNotifier::GetThreadId());
    Recorder again;
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.Path(), kFilter, &again, false));
    EXPECT_NE(0u, DelayedThreadNotifier::GetThreadId());
    EXPECT_TRUE(WaitFor([&] { return again.Has("started 0 " + dir.Path().str()); }));
}

TEST(FolderWatcherTest, AHandlerMovesToTheWatcherThatWatchesLast) {
    ScratchFolder dir;
    CreateDirectoryA(dir.File("x"), nullptr);
    Recorder handler;
    FolderWatcher first;
    FolderWatcher second;
    ASSERT_EQ(0u, first.WatchDirectory(dir.Path(), kFilter, &handler, false));
    ASSERT_EQ(0u, second.WatchDirectory(dir.File("x"), kFilter, &handler, false));
    EXPECT_EQ(0, first.GetWatchCount());
    EXPECT_EQ(1, second.GetWatchCount());
    EXPECT_EQ(&second, handler.GetWatcher());
}

TEST(FolderWatcherTest, TheWindowNotifierDeliversOnTheThreadThatPumps) {
    ScratchFolder dir;
    Recorder handler;
    FolderWatcher watcher(true);
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.Path(), kFilter, &handler, false));
    HWND window = DelayedWindowNotifier::GetWindow();
    ASSERT_TRUE(window != nullptr);
    EXPECT_TRUE(GetParent(window) == nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    WriteFileBytes(dir.File("w.txt"), "x");
    ASSERT_TRUE(WaitFor([&] { return handler.Has("added " + dir.File("w.txt").str()); }));
    // Stopping from this thread works although the stopped record waits in its own queue.
    EXPECT_TRUE(watcher.UnwatchAll());
    EXPECT_EQ("stopped " + dir.Path().str(), handler.Calls().back());
    std::set<DWORD> threads = handler.Threads();
    ASSERT_EQ(1u, threads.size());
    EXPECT_EQ(GetCurrentThreadId(), *threads.begin());
    EXPECT_EQ(nullptr, DelayedWindowNotifier::GetWindow());
}

TEST(FolderWatcherTest, AHandlerMayUnwatchFromItsOwnCallback) {
    // The stop's hand-over needs the notification thread, which is the thread asking for it.
    struct SelfStopping : Recorder {
        FolderWatcher* watcher = nullptr;
        std::atomic<bool> done{false};
        void OnFileAdded(const CString& p) override {
            Recorder::OnFileAdded(p);
            if (!done) {
                watcher->UnwatchDirectory(p.Left(p.ReverseFind('\\')));
                done = true;
            }
        }
    } handler;
    ScratchFolder dir;
    FolderWatcher watcher;
    handler.watcher = &watcher;
    ASSERT_EQ(0u, watcher.WatchDirectory(dir.Path(), kFilter, &handler, false));
    WriteFileBytes(dir.File("go.txt"), "x");
    ASSERT_TRUE(WaitFor([&] { return handler.done.load(); }));
    EXPECT_EQ(0, watcher.GetWatchCount());
    EXPECT_TRUE(handler.Has("stopped " + dir.Path().str()));
}

TEST(FolderWatcherTest, AWatchThatFailsEndsAloneAndIsFreedOnlyAfterItsLastCompletion) {
    ScratchFolder dir;
    Recorder handler;
    FolderWatcher watcher;
    for (const char* name : {"a", "b"}) {
        CreateDirectoryA(dir.File(name), nullptr);
        ASSERT_EQ(0u, watcher.WatchDirectory(dir.File(name), kFilter, &handler, false));
    }
    // Building the change records fails on the I/O thread: reported once, the other watch lives.
    g_hooked = dir.File("a").str();
    SetPacketHookForTesting(ThrowWhileBuildingRecords);
    WriteFileBytes(dir.File("a\\1.txt"), "1");
    EXPECT_TRUE(WaitFor([&] { return handler.Has("error 8 " + g_hooked); }));
    WriteFileBytes(dir.File("b\\2.txt"), "2");
    EXPECT_TRUE(WaitFor([&] { return handler.Has("added " + dir.File("b\\2.txt").str()); }));
    EXPECT_EQ(1u, handler.CountPrefix("error "));
    EXPECT_EQ(1, watcher.GetWatchCount());

    // A stop request that cannot be posted: the cancelled read's completion still comes in while
    // the watcher holds the watch, and none after.
    g_hooked = dir.File("b").str();
    g_hookedHandler = &handler;
    SetPacketHookForTesting(CountPackets);
    SetCompletionPosterForTesting(RefuseWatchPackets);
    EXPECT_TRUE(watcher.UnwatchDirectory(dir.File("b")));
    Sleep(300);
    SetCompletionPosterForTesting(nullptr);
    SetPacketHookForTesting(nullptr);
    EXPECT_EQ(1, g_packets.load());
    EXPECT_EQ(0, g_packetsUnheld.load());
    EXPECT_EQ(0u, watcher.WatchDirectory(dir.File("b"), kFilter, &handler, false));  // the thread lives on
}
