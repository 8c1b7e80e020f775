#include "classlib/HandleOwner.h"
#include <gtest/gtest.h>
#include <utility>

namespace {
// True while the handle still names an open kernel object.
bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

TEST(HandleOwner, OneOwnerClosesOnceAcrossMovesResetsAndRelease) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        ScopedHandle first(raw);
        ScopedHandle second(std::move(first));
        EXPECT_FALSE(first.IsValid());
        EXPECT_EQ(second.Get(), raw);
        ScopedHandle third;
        third = std::move(second);
        EXPECT_EQ(third.Get(), raw);
        third.Reset(raw);  // taking the handle it already holds must not close it
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));

    HANDLE kept = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        ScopedHandle owner(kept);
        EXPECT_EQ(owner.Release(), kept);
    }
    EXPECT_TRUE(IsOpen(kept));
    ScopedHandle received;
    *received.Receive() = kept;
    received.Reset();
    EXPECT_FALSE(IsOpen(kept));
}

TEST(HandleOwner, NothingIsOwnedByFailureValuesOrPredefinedKeys) {
    EXPECT_FALSE(ScopedHandle(INVALID_HANDLE_VALUE).IsValid());
    EXPECT_FALSE(ScopedHandle(nullptr).IsValid());
    EXPECT_FALSE(ScopedModule().IsValid());
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
        { ScopedRegKey owner(root); EXPECT_FALSE(owner.IsValid()); }
        HKEY opened = nullptr;
        // The root still works after its owner went: it was never closed.
        EXPECT_EQ(RegOpenKeyExA(root, nullptr, 0, KEY_READ, &opened), ERROR_SUCCESS);
        ScopedRegKey owner(opened);
    }
}

TEST(HandleOwner, GdiObjectIsDeletedWithItsOwner) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    { ScopedBrush brush(raw); EXPECT_NE(GetObjectType(raw), 0u); }
    EXPECT_EQ(GetObjectType(raw), 0u);
}
}  // namespace
