#include "classlib/CFile.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <set>
#include <string>

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

TEST(CFileTest, ShareModesDecideWhoElseMayOpen) {
    ScratchFolder dir;
    CString path = dir.File("log.txt");
    CFile writer(path, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite);
    writer.Write("abc", 3);

    // Readers are let in, but only one that itself tolerates the writer already there.
    CFile reader;
    EXPECT_TRUE(reader.Open(path, CFile::modeRead | CFile::shareDenyNone));
    char buf[8] = "";
    EXPECT_EQ(3u, reader.Read(buf, sizeof(buf)));
    EXPECT_EQ(std::string("abc"), std::string(buf, 3));

    CFile strictReader;
    CFileException error(0, "");
    EXPECT_FALSE(strictReader.Open(path, CFile::modeRead | CFile::shareDenyWrite, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), error.m_lOsError);
    EXPECT_EQ(path, error.m_strFileName);

    CFile secondWriter;
    EXPECT_FALSE(secondWriter.Open(path, CFile::modeWrite | CFile::shareDenyNone));

    writer.Close();
    CFile exclusive;
    EXPECT_FALSE(exclusive.Open(path, CFile::modeRead | CFile::shareExclusive));  // reader still open
    reader.Close();
    EXPECT_TRUE(exclusive.Open(path, CFile::modeRead | CFile::shareExclusive));
    CFile locked;
    EXPECT_FALSE(locked.Open(path, CFile::modeRead | CFile::shareDenyNone));
}

TEST(CFileTest, CreateTruncatesUnlessNoTruncateIsGiven) {
    ScratchFolder dir;
    CString path = dir.File("a.txt");
    WriteFileBytes(path, "existing");
    {
        CFile f(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(8u, f.GetLength());
        f.SeekToEnd();
        f.Write("+more", 5);
    }
    EXPECT_EQ("existing+more", ReadFileBytes(path));
    {
        CFile f(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        f.Write("E", 1);  // writes at the start, over the old content
    }
    EXPECT_EQ("Existing+more", ReadFileBytes(path));
    { CFile f(path, CFile::modeCreate | CFile::modeWrite); }
    EXPECT_EQ("", ReadFileBytes(path));

    CString fresh = dir.File("new.txt");
    { CFile f(fresh, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite); }
    EXPECT_EQ(0, GetFileAttributesA(fresh) == INVALID_FILE_ATTRIBUTES);
}

TEST(CFileTest, OpeningAMissingFileFailsWithTheOsError) {
    ScratchFolder dir;
    CString path = dir.File("missing.txt");
    try {
        CFile f(path, CFile::modeRead);
        FAIL() << "opened a missing file";
    } catch (const CFileException& e) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), e.m_lOsError);
        CString text = e.GetErrorMessage();
        EXPECT_FALSE(text.IsEmpty());
        EXPECT_GE(text.Find("missing.txt"), 0) << text.GetString();
        char small[6];
        EXPECT_TRUE(e.GetErrorMessage(small, sizeof(small)));
        EXPECT_EQ(5u, strlen(small));
    }
    EXPECT_THROW(CFile::Remove(path), CFileException);
}

TEST(CFileTest, LengthPositionAndSeek) {
    ScratchFolder dir;
    CFile f(dir.File("b.bin"), CFile::modeCreate | CFile::modeReadWrite);
    f.Write("0123456789", 10);
    EXPECT_EQ(10u, f.GetLength());
    EXPECT_EQ(10u, f.GetPosition());
    EXPECT_EQ(3u, f.Seek(3, CFile::begin));
    char c = 0;
    f.Read(&c, 1);
    EXPECT_EQ('3', c);
    EXPECT_EQ(6u, f.Seek(2, CFile::current));
    EXPECT_EQ(8u, f.Seek(-2, CFile::end));
    EXPECT_EQ(10u, f.SeekToEnd());
    EXPECT_EQ(0u, f.Read(&c, 1));
    EXPECT_THROW(f.Seek(-1, CFile::begin), CFileException);
    // Seeking past the end is allowed; writing there grows the file.
    EXPECT_EQ(20u, f.Seek(20, CFile::begin));
    f.Write("!", 1);
    EXPECT_EQ(21u, f.GetLength());
}

TEST(CStdioFileTest, ReadStringHandlesCrLfLfAndAMissingFinalLineEnd) {
    ScratchFolder dir;
    CString path = dir.File("t.txt");
    WriteFileBytes(path, "one\r\ntwo\n\r\n\nlast");
    CStdioFile f(path, CFile::modeRead | CFile::typeText);
    CString line;
    std::vector<std::string> lines;
    while (f.ReadString(line)) lines.push_back(line.str());
    EXPECT_EQ((std::vector<std::string>{"one", "two", "", "", "last"}), lines);
    EXPECT_FALSE(f.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST(CStdioFileTest, ReadStringOfALineLongerThan64KiB) {
    ScratchFolder dir;
    CString path = dir.File("long.txt");
    std::string longLine(70000, 'L');
    longLine[0] = 'A';
    longLine[69999] = 'Z';
    WriteFileBytes(path, longLine + "\r\nshort\r\n");
    CStdioFile f(path, CFile::modeRead);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(70000, line.GetLength());
    EXPECT_EQ('A', line[0]);
    EXPECT_EQ('Z', line[69999]);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(CString("short"), line);
    EXPECT_FALSE(f.ReadString(line));
}

TEST(CStdioFileTest, WriteStringTurnsLfIntoCrLf) {
    ScratchFolder dir;
    CString path = dir.File("w.txt");
    {
        CStdioFile f(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        f.WriteString("2024 Mar 07, 09:05  Service started successfully.\n");
        f.WriteString("a\nb");
        f.WriteString("");
        f.WriteString(nullptr);
        EXPECT_EQ(55u, f.GetLength());
    }
    EXPECT_EQ("2024 Mar 07, 09:05  Service started successfully.\r\na\r\nb", ReadFileBytes(path));
}

TEST(CStdioFileTest, PositionAccountsForReadAhead) {
    ScratchFolder dir;
    CString path = dir.File("p.txt");
    WriteFileBytes(path, "first\r\nsecond\r\nthird\r\n");
    CStdioFile f(path, CFile::modeReadWrite);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(7u, f.GetPosition());
    f.Seek(0, CFile::current);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(CString("second"), line);
    f.Seek(-8, CFile::current);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(CString("second"), line);
    char raw[5] = "";
    EXPECT_EQ(5u, f.Read(raw, 5));
    EXPECT_EQ(std::string("third"), std::string(raw, 5));

    // A write after reading lands where the reading stopped, not after the read-ahead.
    f.SeekToBegin();
    ASSERT_TRUE(f.ReadString(line));
    f.WriteString("SECOND");
    f.Close();
    EXPECT_EQ("first\r\nSECOND\r\nthird\r\n", ReadFileBytes(path));
}

TEST(CFileFindTest, ListsMatchesWithPathsAndKinds) {
    ScratchFolder dir;
    WriteFileBytes(dir.File("a.log"), "12345");
    WriteFileBytes(dir.File("b.log"), "");
    WriteFileBytes(dir.File("c.txt"), "x");
    CreateDirectoryA(dir.File("sub.log"), nullptr);

    CFileFind find;
    ASSERT_TRUE(find.FindFile(dir.File("*.log")));
    std::set<std::string> files, folders;
    BOOL more = TRUE;
    while (more) {
        more = find.FindNextFile();
        EXPECT_EQ(dir.File(find.GetFileName()), find.GetFilePath());
        if (find.IsDirectory()) {
            folders.insert(find.GetFileName().str());
        } else {
            files.insert(find.GetFileName().str());
            if (find.GetFileName() == "a.log") {
                EXPECT_EQ(5u, find.GetLength());
            }
        }
    }
    EXPECT_EQ((std::set<std::string>{"a.log", "b.log"}), files);
    EXPECT_EQ((std::set<std::string>{"sub.log"}), folders);
    EXPECT_FALSE(find.FindNextFile());

    ASSERT_TRUE(find.FindFile(dir.File("*")));
    int dots = 0, entries = 0;
    for (more = TRUE; more;) {
        more = find.FindNextFile();
        ++entries;
        if (find.IsDots()) ++dots;
    }
    EXPECT_EQ(2, dots);
    EXPECT_EQ(6, entries);

    EXPECT_FALSE(find.FindFile(dir.File("*.none")));
    EXPECT_EQ(CString(""), find.GetFileName());
}
