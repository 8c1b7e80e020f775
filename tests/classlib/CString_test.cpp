#include "classlib/CString.h"
#include "support/FreedMemoryKeeper.h"
#include <gtest/gtest.h>

TEST(CStringTest, SubstringsClampOutOfRangeArguments) {
    CString s("abcdef");
    EXPECT_EQ(CString("abc"), s.Left(3));
    EXPECT_EQ(CString("abcdef"), s.Left(100));
    EXPECT_EQ(CString(""), s.Left(-2));
    EXPECT_EQ(CString("def"), s.Mid(3));
    EXPECT_EQ(CString(""), s.Mid(10));
    EXPECT_EQ(CString("ab"), s.Mid(-5, 2));
    EXPECT_EQ(CString("ef"), s.Mid(4, 100));
    EXPECT_EQ(CString("ef"), s.Right(2));
    EXPECT_EQ(CString("abcdef"), s.Right(7));
    EXPECT_EQ(CString(""), s.Right(-1));
    EXPECT_EQ('\0', s.GetAt(6));
}

TEST(CStringTest, FormatProducesTextsLongerThanAnyFixedBuffer) {
    std::string big(10000, 'x');
    CString s;
    s.Format("[%s] %d", big.c_str(), 42);
    EXPECT_EQ(1 + 10000 + 2 + 2, s.GetLength());
    EXPECT_EQ(CString("] 42"), s.Right(4));
}

TEST(CStringTest, CompareNoCaseAndOrdering) {
    EXPECT_EQ(0, CString("C:\\Data").CompareNoCase("c:\\DATA"));
    EXPECT_GT(0, CString("abc").CompareNoCase("ABD"));
    EXPECT_NE(0, CString("abc").Compare("ABC"));
    EXPECT_TRUE(CString("B") < CString("a"));  // byte-wise, not by letter
}

TEST(CStringTest, CaseMappingKeepsBytesAboveAscii) {
    CString s("abc\xE9z");
    s.MakeUpper();
    EXPECT_EQ('A', s[0]);
    EXPECT_EQ('Z', s[4]);
    EXPECT_EQ(5, s.GetLength());
}

TEST(CStringTest, SearchTrimReplaceRemove) {
    CString s("  a.b.c  ");
    EXPECT_EQ(3, s.Find('.'));
    EXPECT_EQ(5, s.Find('.', 4));
    EXPECT_EQ(-1, s.Find('.', 100));
    EXPECT_EQ(5, s.ReverseFind('.'));
    EXPECT_EQ(2, s.FindOneOf("cba"));
    EXPECT_EQ(4, s.Find("b.c"));
    s.Trim();
    EXPECT_EQ(CString("a.b.c"), s);
    EXPECT_EQ(2, s.Replace(".", "::"));
    EXPECT_EQ(CString("a::b::c"), s);
    EXPECT_EQ(4, s.Remove(':'));
    EXPECT_EQ(CString("abc"), s);
}

TEST(CStringTest, BufferRoundTrip) {
    CString s;
    char* p = s.GetBuffer(10);
    strcpy(p, "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(CString("hello"), s);
    p = s.GetBufferSetLength(3);
    p[2] = 'L';
    s.ReleaseBuffer(3);
    EXPECT_EQ(CString("heL"), s);
}

TEST(CStringTest, SecureEmptyLeavesNothing) {
    const std::string text = "p4ssw0rd-that-is-longer-than-the-small-buffer";
    CString secret(text.c_str());
    const char* kept = secret.GetString();
    testing_support::FreedMemoryKeeper freed;
    ASSERT_TRUE(freed.SecretLeftAt(kept, text.size(), text));
    secret.SecureEmpty();
    EXPECT_TRUE(secret.IsEmpty());
    EXPECT_FALSE(freed.SecretLeftAt(kept, text.size(), text));
}
