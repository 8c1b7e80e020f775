#include "classlib/CSync.h"
#include "classlib/CString.h"
#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>
#include <thread>

namespace {
// A name no other test program uses, so parallel runs cannot interfere.
CString UniqueName(const char* what) {
    CString name;
    name.Format("OrvTest.%s.%lu", what, GetCurrentProcessId());
    return name;
}

// Whether a thread other than the caller can take the mutex right now.
bool FreeForAnotherThread(CMutex& mutex) {
    bool got = false;
    std::thread t([&] {
        got = mutex.Lock(0) != FALSE;
        if (got) mutex.Unlock();
    });
    t.join();
    return got;
}
}  // namespace

TEST(CMutexTest, NamedMutexIsSharedBetweenObjectsAndNotInitiallyOwned) {
    CString name = UniqueName("shared");
    CMutex first(FALSE, name);
    CMutex second(FALSE, name);
    ASSERT_NE(nullptr, first.GetHandle());
    ASSERT_NE(first.GetHandle(), second.GetHandle());  // each object owns its own handle
    EXPECT_TRUE(FreeForAnotherThread(second));

    ASSERT_TRUE(first.Lock());
    EXPECT_FALSE(FreeForAnotherThread(second));
    EXPECT_TRUE(first.Unlock());
    EXPECT_TRUE(FreeForAnotherThread(second));
}

TEST(CMutexTest, AnAbandonedMutexCountsAsAcquired) {
    CString name = UniqueName("abandoned");
    CMutex mutex(FALSE, name);
    std::thread owner([&] {
        CMutex own(FALSE, name);
        // The thread ends holding the mutex, as a crashed owner would; closing the handle
        // does not release ownership.
        ASSERT_TRUE(own.Lock());
    });
    owner.join();
    EXPECT_TRUE(mutex.Lock(2000));
    EXPECT_TRUE(mutex.Unlock());
}

TEST(CSingleLockTest, ReleasesOnDestructionAndOnException) {
    CMutex mutex(FALSE, UniqueName("scoped"));
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(FreeForAnotherThread(mutex));
    }
    EXPECT_TRUE(FreeForAnotherThread(mutex));

    try {
        CSingleLock lock(&mutex, TRUE);
        throw std::runtime_error("failure while holding the lock");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(FreeForAnotherThread(mutex));

    CSingleLock manual(&mutex);
    EXPECT_FALSE(manual.IsLocked());
    EXPECT_TRUE(manual.Lock());
    EXPECT_TRUE(manual.Lock());  // locking twice through one lock object takes it once
    manual.Unlock();
    EXPECT_FALSE(manual.IsLocked());
    EXPECT_TRUE(FreeForAnotherThread(mutex));
}

TEST(CSingleLockTest, TimedLockFailsWhileAnotherThreadOwns) {
    CMutex mutex(FALSE, UniqueName("timed"));
    CSingleLock held(&mutex, TRUE);
    bool got = true;
    std::thread t([&] {
        CSingleLock attempt(&mutex);
        got = attempt.Lock(50) != FALSE;
        EXPECT_EQ(got, attempt.IsLocked() != FALSE);
    });
    t.join();
    EXPECT_FALSE(got);
}

TEST(CCriticalSectionTest, SerialisesThreads) {
    CCriticalSection cs;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            CSingleLock lock(&cs, TRUE);
            long v = counter;
            if ((i & 1023) == 0) Sleep(0);
            counter = v + 1;
        }
    };
    std::thread a(work), b(work), c(work);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(60000, counter);
}
