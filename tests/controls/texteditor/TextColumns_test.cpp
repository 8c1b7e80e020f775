#include "controls/texteditor/TextColumns.h"
#include <gtest/gtest.h>
#include <cstring>

TEST(TextColumnsTest, ColumnsAndTheCharsThatColumnsFallOn) {
    struct {
        const char* line;
        int tabSize;
        int column;
        int charOfColumn;  // rounding inside a tab to the nearer edge
        int charAtColumn;  // no rounding
    } cases[] = {
        {"\tx", 4, 0, 0, 0}, {"\tx", 4, 1, 0, 0}, {"\tx", 4, 2, 0, 0}, {"\tx", 4, 3, 1, 0},
        {"\tx", 4, 4, 1, 1}, {"\tx", 4, 9, 2, 2}, {"ab\tc", 4, 3, 3, 2}, {"abc", 1, 1, 1, 1},
        {"a\tb", 0, 1, 1, 1},  // a tab size below 1 counts as 1
    };
    for (const auto& c : cases) {
        const int length = static_cast<int>(std::strlen(c.line));
        EXPECT_EQ(c.charOfColumn, CharOfColumn(c.line, length, c.column, c.tabSize)) << c.line << " " << c.column;
        EXPECT_EQ(c.charAtColumn, CharAtColumn(c.line, length, c.column, c.tabSize)) << c.line << " " << c.column;
    }
    EXPECT_EQ(4, GetLineColumns("\t", 1, 4));
    EXPECT_EQ(5, GetLineColumns("ab\tc", 4, 4));
    EXPECT_EQ(4, ColumnOfChar("ab\tc", 4, 3, 4));
    EXPECT_EQ(0, GetLineColumns("", 0, 4));
}

TEST(TextColumnsTest, TabsExpandForDisplayFromTheColumnOfTheFirstChar) {
    CString out;
    ExpandTabsForDisplay("ab\tc", 0, 4, 4, FALSE, out);
    EXPECT_EQ(CString("ab  c"), out);
    ExpandTabsForDisplay("ab\tc", 0, 4, 4, TRUE, out);
    EXPECT_EQ(CString("ab\xBB c"), out);
    ExpandTabsForDisplay("a b\t", 0, 4, 4, TRUE, out);
    EXPECT_EQ(CString("a\x95" "b\xBB"), out);
    ExpandTabsForDisplay("ab\tc", 2, 2, 4, FALSE, out);
    EXPECT_EQ(CString("  c"), out);
    ExpandTabsForDisplay("ab", 0, 0, 4, FALSE, out);
    EXPECT_TRUE(out.IsEmpty());
}
