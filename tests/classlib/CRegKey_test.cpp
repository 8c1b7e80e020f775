#include "classlib/CRegKey.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {
// A private key under HKCU for this test program, removed with its values afterwards.
class RegKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_.Format("Software\\OrvTest\\CRegKey%lu", GetCurrentProcessId());
        ASSERT_EQ(ERROR_SUCCESS, key_.Create(HKEY_CURRENT_USER, path_));
    }
    void TearDown() override {
        key_.Close();
        RegDeleteKeyA(HKEY_CURRENT_USER, path_);
    }
    // Stores the bytes as they are, without the terminator the setter would add.
    void SetRaw(const char* name, DWORD type, const void* data, DWORD bytes) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), bytes));
    }
    CString path_;
    CRegKey key_;
};
}  // namespace

TEST_F(RegKeyTest, StringWithoutStoredTerminatorIsTerminated) {
    SetRaw("Unterminated", REG_SZ, "C:\\Orv", 6);
    char buffer[32];
    memset(buffer, '#', sizeof(buffer));
    ULONG chars = sizeof(buffer);
    ASSERT_EQ(ERROR_SUCCESS, key_.QueryStringValue("Unterminated", buffer, &chars));
    EXPECT_STREQ("C:\\Orv", buffer);
    EXPECT_EQ(7u, chars);

    CString value;
    ASSERT_EQ(ERROR_SUCCESS, key_.QueryStringValue("Unterminated", value));
    EXPECT_EQ(CString("C:\\Orv"), value);

    // The stored text fills the buffer exactly: no room for the terminator.
    char exact[6];
    memset(exact, '#', sizeof(exact));
    chars = sizeof(exact);
    EXPECT_EQ(ERROR_MORE_DATA, key_.QueryStringValue("Unterminated", exact, &chars));
    EXPECT_NE(nullptr, memchr(exact, '\0', sizeof(exact)));
    EXPECT_GE(chars, 7u);
}

TEST_F(RegKeyTest, FailedQueriesStillLeaveATerminatedBuffer) {
    ASSERT_EQ(ERROR_SUCCESS, key_.SetStringValue("Long", "a text far longer than the buffer"));
    char small[8];
    memset(small, '#', sizeof(small));
    ULONG chars = sizeof(small);
    EXPECT_EQ(ERROR_MORE_DATA, key_.QueryStringValue("Long", small, &chars));
    EXPECT_NE(nullptr, memchr(small, '\0', sizeof(small)));
    EXPECT_GE(chars, 34u);  // tells the size needed

    ASSERT_EQ(ERROR_SUCCESS, key_.SetDWORDValue("Number", 0x41414141));
    char buffer[16];
    memset(buffer, '#', sizeof(buffer));
    chars = sizeof(buffer);
    EXPECT_NE(ERROR_SUCCESS, key_.QueryStringValue("Number", buffer, &chars));
    EXPECT_NE(nullptr, memchr(buffer, '\0', sizeof(buffer)));

    memset(buffer, '#', sizeof(buffer));
    chars = sizeof(buffer);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key_.QueryStringValue("Missing", buffer, &chars));
    EXPECT_NE(nullptr, memchr(buffer, '\0', sizeof(buffer)));
}

TEST_F(RegKeyTest, ValuesOfTheWrongTypeAreRefused) {
    ASSERT_EQ(ERROR_SUCCESS, key_.SetStringValue("Text", "12"));
    DWORD number = 7;
    EXPECT_NE(ERROR_SUCCESS, key_.QueryDWORDValue("Text", number));
    EXPECT_EQ(7u, number);

    ASSERT_EQ(ERROR_SUCCESS, key_.SetDWORDValue("ServiceRunningTasks", 3));
    EXPECT_EQ(ERROR_SUCCESS, key_.QueryDWORDValue("ServiceRunningTasks", number));
    EXPECT_EQ(3u, number);
    CString text("unchanged");
    EXPECT_NE(ERROR_SUCCESS, key_.QueryStringValue("ServiceRunningTasks", text));
    EXPECT_EQ(CString("unchanged"), text);

    SetRaw("Short", REG_DWORD, "\x01\x02", 2);
    EXPECT_NE(ERROR_SUCCESS, key_.QueryDWORDValue("Short", number));

    ASSERT_EQ(ERROR_SUCCESS, key_.SetStringValue("Expand", "%SystemRoot%\\x", REG_EXPAND_SZ));
    EXPECT_EQ(ERROR_SUCCESS, key_.QueryStringValue("Expand", text));
    EXPECT_EQ(CString("%SystemRoot%\\x"), text);  // read as stored, not expanded

    EXPECT_EQ(ERROR_SUCCESS, key_.DeleteValue("Expand"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key_.QueryStringValue("Expand", text));
}

TEST_F(RegKeyTest, OpenNeverCreatesAndCloseIsIdempotent) {
    CString missing = path_ + "\\Missing";
    CRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, missing, KEY_READ));
    EXPECT_EQ(nullptr, key.GetKey());
    HKEY probe = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, missing, 0, KEY_READ, &probe));

    // A failed open keeps the key that was open before.
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, path_, KEY_READ));
    HKEY before = key.GetKey();
    EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, missing, KEY_READ));
    EXPECT_EQ(before, key.GetKey());
    EXPECT_EQ(ERROR_SUCCESS, key.Close());
    EXPECT_EQ(ERROR_SUCCESS, key.Close());
    EXPECT_EQ(nullptr, key.GetKey());

    {
        CRegKey sub;
        ASSERT_EQ(ERROR_SUCCESS, sub.Create(key_, "Sub"));
    }
    EXPECT_EQ(ERROR_SUCCESS, key_.DeleteSubKey("Sub"));
}
