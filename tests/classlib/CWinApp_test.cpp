#include "classlib/CWinApp.h"
#include <gtest/gtest.h>

TEST(AfxFormatTest, PlaceholdersAreReplacedEverywhere) {
    EXPECT_EQ(CString("Unable to load Task2: bad"), AfxFormatText("Unable to load %1: %2", "Task2", "bad"));
    EXPECT_EQ(CString("b-a-b"), AfxFormatText("%2-%1-%2", "a", "b"));
    EXPECT_EQ(CString("x"), AfxFormatText("%1", "x"));
    EXPECT_EQ(CString(""), AfxFormatText("%1", ""));
    EXPECT_EQ(CString("100%"), AfxFormatText("100%", "x"));
    EXPECT_EQ(CString("%3 %d"), AfxFormatText("%3 %d", "x", "y"));
}

TEST(AfxFormatTest, ReplacementsAreNotScannedAgain) {
    EXPECT_EQ(CString("%2 and two"), AfxFormatText("%1 and %2", "%2", "two"));
    EXPECT_EQ(CString("%1"), AfxFormatText("%1", "%1"));
}

TEST(AfxFormatTest, MissingTextKeepsThePlaceholder) {
    EXPECT_EQ(CString("a %2"), AfxFormatText("%1 %2", "a"));
    EXPECT_EQ(CString(""), AfxFormatText(nullptr, "a"));
}

TEST(AfxFormatTest, UnknownStringResourceGivesAnEmptyText) {
    CString out("old");
    AfxFormatString1(out, 0xFFF0, "x");
    EXPECT_EQ(CString(""), out);
    out = "old";
    AfxFormatString2(out, 0xFFF1, "x", "y");
    EXPECT_EQ(CString(""), out);
}

TEST(CWinAppTest, InitialisationRecordsTheModuleAndTheApplication) {
    EXPECT_NE(nullptr, AfxGetInstanceHandle());
    EXPECT_NE(nullptr, AfxGetResourceHandle());
    {
        CWinApp app("OrvTest");
        EXPECT_EQ(&app, AfxGetApp());
        EXPECT_FALSE(AfxWinInit(nullptr, nullptr, nullptr, SW_HIDE));
        HINSTANCE self = GetModuleHandleA(nullptr);
        ASSERT_TRUE(AfxWinInit(self, nullptr, nullptr, SW_HIDE));
        EXPECT_EQ(self, app.m_hInstance);
        EXPECT_EQ(self, AfxGetInstanceHandle());
        EXPECT_EQ(self, AfxGetResourceHandle());
        EXPECT_STREQ("", app.m_lpCmdLine);
        EXPECT_EQ(SW_HIDE, app.m_nCmdShow);
    }
    EXPECT_EQ(nullptr, AfxGetApp());
}
