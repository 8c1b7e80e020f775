// TEST_LOCK: registry
#include "classlib/CRegKey.h"
#include "common/RegUtils.h"
#include <gtest/gtest.h>

namespace {
const char* const kSettings = "Software\\Brellix\\Orvanti\\Settings";

class RegUtilsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ERROR_SUCCESS, key_.Create(HKEY_LOCAL_MACHINE, kSettings)); }
    void TearDown() override {
        const char* names[] = {"OrvTestText", "OrvTestNumber"};
        for (const char* name : names) key_.DeleteValue(name);
    }
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size));
    }
    CRegKey key_;
};
}  // namespace

TEST_F(RegUtilsTest, DwordRoundTripAndTypeCheck) {
    EXPECT_TRUE(RegUtils::WriteDword(HKEY_LOCAL_MACHINE, kSettings, "OrvTestNumber", 4));
    DWORD value = 0;
    EXPECT_TRUE(RegUtils::ReadDword(HKEY_LOCAL_MACHINE, kSettings, "OrvTestNumber", value));
    EXPECT_EQ(4u, value);
    key_.SetStringValue("OrvTestText", "4");
    value = 9;
    EXPECT_FALSE(RegUtils::ReadDword(HKEY_LOCAL_MACHINE, kSettings, "OrvTestText", value));
    EXPECT_FALSE(RegUtils::ReadDword(HKEY_LOCAL_MACHINE, kSettings, "OrvTestMissing", value));
    EXPECT_EQ(9u, value);
}

TEST_F(RegUtilsTest, WriteDwordNeverCreatesTheKey) {
    const char* missing = "Software\\Brellix\\OrvTestNoSuchKey";
    EXPECT_FALSE(RegUtils::WriteDword(HKEY_LOCAL_MACHINE, missing, "OrvTestNumber", 1));
    CRegKey probe;
    EXPECT_NE(ERROR_SUCCESS, probe.Open(HKEY_LOCAL_MACHINE, missing, KEY_READ));
    DWORD value = 0;
    EXPECT_FALSE(RegUtils::ReadDword(HKEY_LOCAL_MACHINE, missing, "OrvTestNumber", value));
}

TEST_F(RegUtilsTest, StringsAreReadUnexpandedAndOnlyWhenTheyAreStrings) {
    CString text("unchanged");
    EXPECT_FALSE(RegUtils::ReadString(HKEY_LOCAL_MACHINE, kSettings, "OrvTestText", text));
    EXPECT_EQ(CString("unchanged"), text);
    key_.SetStringValue("OrvTestText", "%TEMP%\\x", REG_EXPAND_SZ);
    EXPECT_TRUE(RegUtils::ReadString(HKEY_LOCAL_MACHINE, kSettings, "OrvTestText", text));
    EXPECT_EQ(CString("%TEMP%\\x"), text);
    key_.SetDWORDValue("OrvTestText", 5);
    EXPECT_FALSE(RegUtils::ReadString(HKEY_LOCAL_MACHINE, kSettings, "OrvTestText", text));
    EXPECT_EQ(CString("%TEMP%\\x"), text);
}

TEST_F(RegUtilsTest, AStringStoredWithoutTerminatorEndsWhereItsBytesEnd) {
    SetRaw("OrvTestText", REG_SZ, "C:\\Gen", 6);
    CString text;
    EXPECT_TRUE(RegUtils::ReadString(HKEY_LOCAL_MACHINE, kSettings, "OrvTestText", text));
    EXPECT_EQ(CString("C:\\Gen"), text);
}

TEST_F(RegUtilsTest, StringsLongerThanTheBufferFail) {
    std::string fits(259, 'a'), tooLong(300, 'b');
    CString text;
    key_.SetStringValue("OrvTestText", fits.c_str());
    EXPECT_TRUE(RegUtils::ReadString(HKEY_LOCAL_MACHINE, kSettings, "OrvTestText", text));
    EXPECT_EQ(CString(fits), text);
    key_.SetStringValue("OrvTestText", tooLong.c_str());
    EXPECT_FALSE(RegUtils::ReadString(HKEY_LOCAL_MACHINE, kSettings, "OrvTestText", text));
    EXPECT_EQ(CString(fits), text);
}
