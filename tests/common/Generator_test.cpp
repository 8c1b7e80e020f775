// TEST_LOCK: registry
#include "classlib/CRegKey.h"
#include "common/Generator.h"
#include "common/ServiceName.h"
#include <gtest/gtest.h>

namespace {
class GeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(ERROR_SUCCESS, key_.Create(HKEY_LOCAL_MACHINE, "Software\\Brellix\\Orvanti\\Settings"));
        saved_ = key_.QueryStringValue("ProgramPath", savedText_) == ERROR_SUCCESS;
    }
    void TearDown() override {
        if (saved_)
            key_.SetStringValue("ProgramPath", savedText_);
        else
            key_.DeleteValue("ProgramPath");
    }
    CRegKey key_;
    bool saved_ = false;
    CString savedText_;
};
}  // namespace

TEST_F(GeneratorTest, NoUsableProgramPathGivesNoExecutable) {
    key_.DeleteValue("ProgramPath");
    EXPECT_EQ(CString(""), Generator::GetExecutablePath());
    key_.SetStringValue("ProgramPath", "");
    EXPECT_EQ(CString(""), Generator::GetExecutablePath());
    key_.SetStringValue("ProgramPath", "  \t ");
    EXPECT_EQ(CString(""), Generator::GetProgramPath());
    EXPECT_EQ(CString(""), Generator::GetExecutablePath());
    key_.SetDWORDValue("ProgramPath", 1);
    EXPECT_EQ(CString(""), Generator::GetExecutablePath());
}

TEST_F(GeneratorTest, TheFolderIsTrimmedAndJoinedWithTheProgramName) {
    key_.SetStringValue("ProgramPath", "  C:\\Gen  ");
    EXPECT_EQ(CString("C:\\Gen"), Generator::GetProgramPath());
    EXPECT_EQ(CString("C:\\Gen\\Orvanti.exe"), Generator::GetExecutablePath());
    key_.SetStringValue("ProgramPath", "C:\\Program Files\\Orvanti\\");
    EXPECT_EQ(CString("C:\\Program Files\\Orvanti\\Orvanti.exe"), Generator::GetExecutablePath());
}

TEST(ServiceNameTest, IsTheRegisteredName) { EXPECT_EQ(CString("BrellixOrvService"), GetServiceName()); }
