#include "OrvServiceManager/StringFileHelpers.h"
#include "common/Exception.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <sstream>

TEST(StringFileHelpersTest, JoinPathsAndToInt) {
    const char* const joins[][3] = {
        {"C:\\dir\\", "\\file.txt", "C:\\dir\\file.txt"}, {"C:/dir", "sub/file.txt", "C:\\dir\\sub\\file.txt"},
        {"", "x/y", "x/y"},                               {"C:\\dir", "", "C:\\dir\\"},
        {"Help.chm", "::/topic.htm", "Help.chm\\::\\topic.htm"},
    };
    for (const auto& j : joins) EXPECT_EQ(j[2], JoinPaths(j[0], j[1])) << j[0] << " + " << j[1];
    const std::pair<const char*, int> numbers[] = {{"42", 42}, {"0", 0}, {"", -7}, {"12abc", 12}};
    for (const auto& n : numbers) EXPECT_EQ(n.second, ToInt(n.first, -7)) << n.first;
    for (const char* refused : {"-5", "abc", "00"}) EXPECT_THROW(ToInt(refused, 1), Exception) << refused;
}

TEST(StringFileHelpersTest, StreamsAndFiles) {
    std::istringstream abc("abc");
    abc.setstate(std::ios::failbit);  // read from its start all the same
    EXPECT_EQ(0x352441C2u, GetStreamCrc32(abc));

    testing_support::ScratchFolder scratch;
    const std::string path = scratch.File("text.txt").str();
    ASSERT_TRUE(WriteStringToFile("one\ntwo\n", path));
    EXPECT_EQ("one\r\ntwo\r\n", ReadFileToString(path));
    EXPECT_FALSE(WriteStringToFile("x", scratch.File("missing\\text.txt").str()));
    EXPECT_THROW(ReadFileToString(scratch.File("none.txt").str()), Exception);
    const std::string temp = MakeUniqueTempPath(scratch.Path().str(), "orv");
    EXPECT_EQ(scratch.Path().str() + "\\tmp", temp.substr(0, scratch.Path().GetLength() + 4));
    EXPECT_FALSE(FileExists(temp));
}
