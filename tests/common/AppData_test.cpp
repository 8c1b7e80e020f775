#include "common/AppData.h"
#include "common/DirUtils.h"
#include "common/Exception.h"
#include <shlobj.h>
#include "support/TestSupport.h"
#include <gtest/gtest.h>

TEST(AppDataTest, PathsLieInTheDataFolderAndAreCreated) {
    testing_support::ScratchFolder scratch;
    CString data = scratch.File("deep\\Brellix\\OrvService");
    AppData::SetDataFolderForTesting(data);
    EXPECT_EQ(data, AppData::GetDataFolder());
    EXPECT_TRUE(DirUtils::Exists(data));
    EXPECT_EQ(data + "\\Logs", AppData::GetLogsFolder());
    EXPECT_TRUE(DirUtils::Exists(data + "\\Logs"));
    EXPECT_EQ(data + "\\tasks.ini", AppData::GetTasksIniPath());
    AppData::SetDataFolderForTesting("");
}

TEST(AppDataTest, TheFolderIsKeptOnceWorkedOut) {
    testing_support::ScratchFolder scratch;
    AppData::SetDataFolderForTesting(scratch.File("data"));
    CString logs = AppData::GetLogsFolder();
    DirUtils::DeleteFolderTree(scratch.File("data"));
    // Not looked for again within the process.
    EXPECT_EQ(logs, AppData::GetLogsFolder());
    EXPECT_FALSE(DirUtils::Exists(logs));
    AppData::SetDataFolderForTesting("");
}

TEST(AppDataTest, AFailedCreationIsNotKept) {
    testing_support::ScratchFolder scratch;
    testing_support::WriteFileBytes(scratch.File("blocker"), "x");
    AppData::SetDataFolderForTesting(scratch.File("blocker\\data"));
    EXPECT_THROW(AppData::GetDataFolder(), Exception);
    EXPECT_THROW(AppData::GetLogsFolder(), Exception);
    // Once the obstacle is gone the next call succeeds.
    DeleteFileA(scratch.File("blocker"));
    EXPECT_EQ(scratch.File("blocker\\data"), AppData::GetDataFolder());
    EXPECT_TRUE(DirUtils::Exists(scratch.File("blocker\\data")));
    AppData::SetDataFolderForTesting("");
}

TEST(AppDataTest, WithoutOverrideTheCommonApplicationDataFolderIsUsed) {
    AppData::SetDataFolderForTesting("");
    CString data = AppData::GetDataFolder();
    EXPECT_EQ(CString("Brellix\\OrvService"), data.Right(18));
    EXPECT_TRUE(DirUtils::Exists(data));
    char common[MAX_PATH] = "";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, 0x23, nullptr, 0, common)));
    EXPECT_EQ(DirUtils::JoinPath(common, "Brellix\\OrvService"), data);
}
