#include "controls/texteditor/TextSearch.h"
#include "controls/texteditor/TextBuffer.h"
#include <gtest/gtest.h>

namespace {
const CPoint kNone(-1, -1), kEnd(0, 99);  // kEnd: the end of the text
const DWORD kUp = FIND_DIRECTION_UP, kWord = FIND_WHOLE_WORD, kCase = FIND_MATCH_CASE;
}  // namespace

TEST(TextSearchTest, FindsByWordCaseDirectionAndRange) {
    struct {
        const char* text;
        int wrapWidth;
        const char* needle;
        CPoint start, begin, end;
        DWORD flags;
        BOOL wrap;
        CPoint found;
    } cases[] = {
        {"xab ab", 0, "ab", CPoint(0, 0), CPoint(0, 0), kEnd, kWord, FALSE, CPoint(4, 0)},
        {"bb b", 0, "b", CPoint(1, 0), CPoint(0, 0), kEnd, kWord, FALSE, CPoint(3, 0)},  // not inside "bb"
        {"ABC", 0, "abc", CPoint(0, 0), CPoint(0, 0), kEnd, 0, FALSE, CPoint(0, 0)},
        {"ABC", 0, "abc", CPoint(0, 0), CPoint(0, 0), kEnd, kCase, TRUE, kNone},
        {"abab", 0, "ab", CPoint(1, 0), CPoint(0, 0), kEnd, 0, FALSE, CPoint(2, 0)},
        {"ab ab ab", 0, "ab", CPoint(5, 0), CPoint(0, 0), kEnd, kUp, FALSE, CPoint(3, 0)},  // before the start only
        {"ab ab\r\nx", 0, "ab", CPoint(0, 1), CPoint(0, 0), kEnd, kUp, FALSE, CPoint(3, 0)},  // the line's last
        {"ab\r\nx", 0, "ab", CPoint(1, 1), CPoint(0, 0), kEnd, 0, TRUE, CPoint(0, 0)},
        {"ab\r\nx", 0, "ab", CPoint(1, 1), CPoint(0, 0), kEnd, 0, FALSE, kNone},
        {"x\r\nab", 0, "ab", CPoint(0, 0), CPoint(0, 0), kEnd, kUp, TRUE, CPoint(0, 1)},
        {"x\r\nab", 0, "ab", CPoint(0, 0), CPoint(0, 0), kEnd, kUp, FALSE, kNone},
        {"abc", 0, "zz", CPoint(1, 0), CPoint(0, 0), kEnd, 0, TRUE, kNone},  // round once, then no more
        {"abc", 0, "", CPoint(0, 0), CPoint(0, 0), kEnd, 0, TRUE, kNone},
        {"abcab", 0, "ab", CPoint(1, 0), CPoint(0, 0), CPoint(4, 0), 0, FALSE, kNone},  // past the range end
        {"abcab", 0, "ab", CPoint(1, 0), CPoint(0, 0), CPoint(5, 0), 0, FALSE, CPoint(3, 0)},
        {"abcab", 0, "ab", CPoint(0, 0), CPoint(1, 0), CPoint(1, 0), 0, TRUE, kNone},
        {"aaaa bbbb cccc", 10, "bbbb cc", CPoint(0, 0), CPoint(0, 0), kEnd, 0, FALSE, CPoint(5, 0)},
        {"aaaa bbbb cccc", 10, "cc", CPoint(0, 0), CPoint(0, 0), kEnd, kUp, TRUE, CPoint(2, 1)},
    };
    for (const auto& c : cases) {
        CTextBuffer buffer;
        buffer.LoadFromString(c.text, -1);
        if (c.wrapWidth) buffer.SetWrapWidth(c.wrapWidth);
        CPoint found = kNone;
        const BOOL ok = FindTextInRange(buffer, c.needle, c.start, c.begin, c.end, c.flags, c.wrap, found);
        EXPECT_EQ(c.found != kNone, ok != FALSE) << c.text << " / " << c.needle;
        EXPECT_EQ(c.found, found) << c.text << " / " << c.needle;
    }
    EXPECT_EQ(-1, FindWordInString("abc", "", FALSE));
    EXPECT_EQ(4, FindWordInString("xab ab", "ab", TRUE));
    EXPECT_EQ(0, FindWordInString("ab_", "ab", FALSE));
    EXPECT_EQ(-1, FindWordInString("ab_", "ab", TRUE));
}
