#include "common/DirUtils.h"
#include "common/Exception.h"
#include "common/ProcessRunner.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>

using testing_support::ScratchFolder;

TEST(DirUtilsTest, JoinPathAddsOneSeparatorOnlyWhenNeeded) {
    EXPECT_EQ(CString("C:\\Data\\Logs"), DirUtils::JoinPath("C:\\Data", "Logs"));
    EXPECT_EQ(CString("C:\\Data\\Logs"), DirUtils::JoinPath("C:\\Data\\", "Logs"));
    EXPECT_EQ(CString("Orvanti.exe"), DirUtils::JoinPath("", "Orvanti.exe"));
    // The second part is used as it is, leading separator included.
    EXPECT_EQ(CString("C:\\Data\\\\x"), DirUtils::JoinPath("C:\\Data", "\\x"));
}

TEST(DirUtilsTest, FileNameAndParentOfAPath) {
    EXPECT_EQ(CString(""), DirUtils::GetFileName(""));
    EXPECT_EQ(CString("site.orv"), DirUtils::GetFileName("C:\\Docs\\site.orv"));
    EXPECT_EQ(CString("site.orv"), DirUtils::GetFileName("C:/Docs/site.orv"));
    EXPECT_EQ(CString("site.orv"), DirUtils::GetFileName("site.orv"));
    EXPECT_EQ(CString(""), DirUtils::GetParentFolder(""));
    EXPECT_EQ(CString("C:\\Docs"), DirUtils::GetParentFolder("C:\\Docs\\site.orv"));
    EXPECT_EQ(CString("C:\\a\\b"), DirUtils::GetParentFolder("C:\\a\\b\\c"));
    EXPECT_EQ(CString("C:"), DirUtils::GetParentFolder("C:\\a"));
    EXPECT_EQ(CString(""), DirUtils::GetParentFolder("site.orv"));
}

TEST(DirUtilsTest, ExtensionsAreThoseOfTheLastComponent) {
    EXPECT_EQ(CString("orv"), DirUtils::GetExtension("C:\\a\\site.orv"));
    EXPECT_EQ(CString(""), DirUtils::GetExtension("C:\\a.b\\site"));
    EXPECT_EQ(CString("gz"), DirUtils::GetExtension("x.tar.gz"));
    EXPECT_EQ(CString(""), DirUtils::GetExtension("site."));
    EXPECT_EQ(CString("C:\\a\\site"), DirUtils::RemoveExtension("C:\\a\\site.orv"));
    EXPECT_EQ(CString("C:\\a.b\\site"), DirUtils::RemoveExtension("C:\\a.b\\site"));
    EXPECT_EQ(CString("site"), DirUtils::RemoveExtension("site."));
    EXPECT_EQ(CString("x.tar"), DirUtils::RemoveExtension("x.tar.gz"));
}

TEST(DirUtilsTest, LongPathsPassThroughWhole) {
    CString folder("C:");
    for (int i = 0; i < 30; ++i) folder = DirUtils::JoinPath(folder, "a-rather-long-folder-name");
    ASSERT_GT(folder.GetLength(), 600);
    CString file = DirUtils::JoinPath(folder, "site.orv");
    EXPECT_EQ(CString("site.orv"), DirUtils::GetFileName(file));
    EXPECT_EQ(folder, DirUtils::GetParentFolder(file));
    EXPECT_EQ(CString("orv"), DirUtils::GetExtension(file));
    EXPECT_EQ(DirUtils::JoinPath(folder, "site"), DirUtils::RemoveExtension(file));
}

TEST(DirUtilsTest, ExistsIgnoresOneTrailingSeparator) {
    ScratchFolder scratch;
    EXPECT_TRUE(DirUtils::Exists(scratch.Path()));
    EXPECT_TRUE(DirUtils::Exists(scratch.Path() + "\\"));
    EXPECT_TRUE(DirUtils::Exists(scratch.Path() + "/"));
    EXPECT_FALSE(DirUtils::Exists(scratch.File("missing")));
    EXPECT_FALSE(DirUtils::Exists(""));
    testing_support::WriteFileBytes(scratch.File("f.txt"), "x");
    EXPECT_TRUE(DirUtils::Exists(scratch.File("f.txt")));
}

TEST(DirUtilsTest, CreateFolderMakesEveryMissingLevel) {
    ScratchFolder scratch;
    CString deep = scratch.File("a\\b\\c");
    DirUtils::CreateFolder(deep);
    EXPECT_TRUE(DirUtils::Exists(scratch.File("a")));
    EXPECT_TRUE(DirUtils::Exists(scratch.File("a\\b")));
    EXPECT_TRUE(DirUtils::Exists(deep));
    // Again on what is there now: nothing to do, nothing thrown.
    EXPECT_NO_THROW(DirUtils::CreateFolder(deep));
    EXPECT_NO_THROW(DirUtils::CreateFolder(""));
}

TEST(DirUtilsTest, CreateFolderThatCannotBeMadeThrows) {
    ScratchFolder scratch;
    // A file where a parent folder should be: the parent "exists", yet the folder cannot be made.
    testing_support::WriteFileBytes(scratch.File("file"), "x");
    try {
        DirUtils::CreateFolder(scratch.File("file\\sub\\deeper"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ("Error creating directory.", e.GetFullMessage());
    }
    EXPECT_THROW(DirUtils::CreateFolder(scratch.File("file\\sub")), Exception);
    // A file standing at the path itself is no folder either.
    EXPECT_THROW(DirUtils::CreateFolder(scratch.File("file")), Exception);
    // A path with a character no folder name may hold.
    EXPECT_THROW(DirUtils::CreateFolder(scratch.File("bad|name")), Exception);
}

TEST(DirUtilsTest, TempEntriesAreNewEachTime) {
    ScratchFolder scratch;
    CString a = DirUtils::CreateTempFileOrDir(scratch.Path(), "txt");
    CString b = DirUtils::CreateTempFileOrDir(scratch.Path(), "txt");
    CString c = DirUtils::CreateTempFileOrDir(scratch.Path(), "");
    EXPECT_NE(a, b);
    EXPECT_EQ(scratch.Path(), DirUtils::GetParentFolder(a));
    EXPECT_EQ(CString("txt"), DirUtils::GetExtension(a));
    EXPECT_EQ(CString(""), DirUtils::GetExtension(c));
    EXPECT_EQ(std::string(), testing_support::ReadFileBytes(a));
    EXPECT_TRUE(DirUtils::Exists(b));
    EXPECT_TRUE(DirUtils::Exists(c));
    CString folder = DirUtils::CreateTempFolder(scratch.Path());
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(DirUtils::GetTempFolder().IsEmpty());
}

TEST(DirUtilsTest, DeleteFolderTreeRemovesNestedContents) {
    ScratchFolder scratch;
    CString root = scratch.File("tree");
    DirUtils::CreateFolder(root + "\\x\\y");
    DirUtils::CreateFolder(root + "\\empty");
    testing_support::WriteFileBytes(root + "\\top.txt", "1");
    testing_support::WriteFileBytes(root + "\\x\\y\\deep.txt", "2");
    EXPECT_TRUE(DirUtils::DeleteFolderTree(root));
    EXPECT_FALSE(DirUtils::Exists(root));
    EXPECT_FALSE(DirUtils::DeleteFolderTree(root));
    EXPECT_FALSE(DirUtils::DeleteFolderTree(""));
}

TEST(DirUtilsTest, DeleteFolderTreeFailsOnAFileInUse) {
    ScratchFolder scratch;
    CString root = scratch.File("tree");
    DirUtils::CreateFolder(root);
    testing_support::WriteFileBytes(root + "\\locked.txt", "1");
    HANDLE h = CreateFileA(root + "\\locked.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(DirUtils::DeleteFolderTree(root));
    CloseHandle(h);
    EXPECT_TRUE(DirUtils::DeleteFolderTree(root));
}

TEST(DirUtilsTest, DeleteFolderTreeRemovesALinkInsteadOfWhatItPointsTo) {
    ScratchFolder scratch;
    const CString outside = scratch.File("outside"), tree = scratch.File("tree");
    DirUtils::CreateFolder(outside);
    DirUtils::CreateFolder(tree);
    testing_support::WriteFileBytes(outside + "\\keep.txt", "1");
    if (!testing_support::MakeHostFolderLink(outside, tree + "\\link"))
        GTEST_SKIP() << "no way to make a folder link here";
    ASSERT_TRUE(testing_support::IsFolderLink(tree + "\\link"));

    const bool removed = DirUtils::DeleteFolderTree(tree);
    EXPECT_TRUE(DirUtils::Exists(outside + "\\keep.txt"));
    EXPECT_EQ(removed, !DirUtils::Exists(tree));  // Wine cannot remove a link: then the tree stays
    testing_support::RemoveHostLink(tree + "\\link");
}

TEST(DirUtilsTest, ReadFileTextReadsEveryByte) {
    ScratchFolder scratch;
    std::string bytes("C:\\one\r\nC:\\two\r\n");
    bytes += std::string(100000, 'z');
    testing_support::WriteFileBytes(scratch.File("f.txt"), bytes);
    EXPECT_EQ(bytes, DirUtils::ReadFileText(scratch.File("f.txt")).str());
    testing_support::WriteFileBytes(scratch.File("empty.txt"), "");
    EXPECT_EQ(CString(""), DirUtils::ReadFileText(scratch.File("empty.txt")));
    try {
        DirUtils::ReadFileText(scratch.File("missing.txt"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ("Failed when reading string from a file.", e.GetFullMessage());
    }
}

TEST(DirUtilsTest, ProgramFolderIsTheFolderOfTheRunningProgram) {
    EXPECT_EQ(0, DirUtils::GetProgramFolder().CompareNoCase(testing_support::BinFolder()));
}

TEST(DirUtilsTest, ProgramFolderOfAProgramWithALongPathIsWhole) {
    // A program whose full path is longer than 256 characters, yet short enough to be started.
    ScratchFolder scratch;
    const CString exeName("ProgramFolderProbe.exe");
    const int folderLength = 258 - 1 - exeName.GetLength();
    CString folder = scratch.Path();
    while (folder.GetLength() < folderLength) {
        int room = folderLength - folder.GetLength() - 1;
        folder = DirUtils::JoinPath(folder, CString('p', room > 100 ? 100 : room));
    }
    ASSERT_EQ(folderLength, folder.GetLength());
    DirUtils::CreateFolder(folder);
    CString program = DirUtils::JoinPath(folder, exeName);
    ASSERT_TRUE(CopyFileA(DirUtils::JoinPath(testing_support::BinFolder(), exeName), program, FALSE));
    CString output = scratch.File("folder.txt");
    CString line;
    line.Format("\"%s\" \"%s\"", static_cast<LPCSTR>(program), static_cast<LPCSTR>(output));
    ASSERT_EQ(0u, ProcessRunner::RunAndWait(line));
    EXPECT_EQ(0, CString(testing_support::ReadFileBytes(output)).CompareNoCase(folder));
}
