#include "classlib/CDC.h"
#include "classlib/Collections.h"
#include <gtest/gtest.h>

TEST(CDCTest, SelectedObjectsArePutBackBeforeTheDCGoes) {
    HDC raw = CreateCompatibleDC(nullptr);
    HGDIOBJ originalFont = GetCurrentObject(raw, OBJ_FONT);
    HGDIOBJ originalPen = GetCurrentObject(raw, OBJ_PEN);
    CFont font;
    LOGFONTA lf = {};
    lf.lfHeight = -20;
    lstrcpyA(lf.lfFaceName, "Tahoma");
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    CPen other(PS_SOLID, 2, RGB(0, 255, 0));
    {
        CDC dc;
        ASSERT_TRUE(dc.Attach(raw));
        CFont* previous = dc.SelectObject(&font);
        ASSERT_NE(nullptr, previous);
        EXPECT_EQ(originalFont, previous->GetSafeHandle());
        dc.SelectObject(&pen);
        dc.SelectObject(&other);  // the original is what comes back, not the pen before
        EXPECT_EQ(other.GetSafeHandle(), GetCurrentObject(raw, OBJ_PEN));
    }
    EXPECT_EQ(originalFont, GetCurrentObject(raw, OBJ_FONT));
    EXPECT_EQ(originalPen, GetCurrentObject(raw, OBJ_PEN));
    DeleteDC(raw);
    AfxDeleteTempMaps();
    // The temporary wrapper of the original font did not delete it: it is a stock object, and
    // the font we made is still ours.
    EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(font.GetSafeHandle())));
}

TEST(CDCTest, OwnedObjectsGoWithTheirObjectTemporariesDoNot) {
    HBRUSH kept = CreateSolidBrush(RGB(1, 2, 3));
    CBrush::FromHandle(kept);
    AfxDeleteTempMaps();
    EXPECT_EQ(OBJ_BRUSH, static_cast<int>(GetObjectType(kept)));
    HGDIOBJ owned;
    {
        CBrush brush;
        ASSERT_TRUE(brush.Attach(kept));
        owned = brush.GetSafeHandle();
    }
    EXPECT_EQ(0u, GetObjectType(owned));
}

TEST(CollectionsTest, ArraysRefuseIndexesOutsideThemAndListsKeepTheirOrder) {
    CArray<int, int> array;
    array.Add(1);
    array.Add(3);
    array.InsertAt(1, 2);
    ASSERT_EQ(3, array.GetSize());
    EXPECT_EQ(2, array[1]);
    EXPECT_THROW(array[3], std::out_of_range);
    EXPECT_THROW(array.GetAt(-1), std::out_of_range);
    EXPECT_THROW(array.RemoveAt(2, 2), std::out_of_range);
    array.RemoveAt(0);
    EXPECT_EQ(2, array.GetAt(0));

    CList<int, int> list;
    list.AddTail(2);
    list.AddHead(1);
    POSITION three = list.AddTail(3);
    list.InsertBefore(three, 25);
    list.RemoveAt(list.Find(2));
    std::vector<int> seen;
    for (POSITION p = list.GetHeadPosition(); p;) seen.push_back(list.GetNext(p));
    EXPECT_EQ((std::vector<int>{1, 25, 3}), seen);
    EXPECT_EQ(3, list.GetAt(list.FindIndex(2)));
    EXPECT_EQ(nullptr, list.FindIndex(3));
    EXPECT_EQ(3, list.RemoveTail());
    EXPECT_EQ(1, list.RemoveHead());
    EXPECT_EQ(1, list.GetCount());
    list.RemoveAll();
    EXPECT_THROW(list.GetHead(), std::out_of_range);
}
