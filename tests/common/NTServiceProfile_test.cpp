// TEST_LOCK: scm
#include "common/NTService.h"
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <memory>

namespace {
const char kServiceName[] = "OrvProfileTestSvc";
const char kServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\OrvProfileTestSvc";

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kServiceKey); }
    void TearDown() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kServiceKey); }

    static bool KeyExists(const char* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    static CString SectionPath(const char* section) {
        return CString(kServiceKey) + "\\Parameters\\" + section;
    }
    static DWORD ValueType(const char* section, const char* entry, std::string* data = nullptr) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SectionPath(section), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        DWORD type = 0;
        char buffer[512];
        DWORD size = sizeof(buffer);
        LONG r = RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (r != ERROR_SUCCESS) return 0;
        if (data) data->assign(buffer, size);
        return type;
    }

    CNTService service{kServiceName, "Orv Profile Test"};
};
}  // namespace

TEST_F(ProfileTest, ReadingFromAMissingKeyCreatesItAndGivesTheDefault) {
    DWORD error = 0;
    EXPECT_EQ(CString("fallback"), service.GetProfileString("Sec", "Entry", "fallback", &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
    EXPECT_TRUE(KeyExists(SectionPath("Sec")));
    EXPECT_EQ(-7, service.GetProfileInt("Sec", "Number", -7, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
    EXPECT_TRUE(service.GetProfileString("Sec", "Entry").IsEmpty());
}

TEST_F(ProfileTest, ValuesRoundTripWithTheirRegistryTypes) {
    DWORD error = 99;
    ASSERT_TRUE(service.WriteProfileString("Sec", "Text", "hello", &error));
    EXPECT_EQ(0u, error);
    ASSERT_TRUE(service.WriteProfileInt("Sec", "Number", -2));
    CStringArray list;
    list.Add("one");
    list.Add("two");
    ASSERT_TRUE(service.WriteProfileStringArray("Sec", "List", list));
    const BYTE bytes[] = {0, 1, 2, 0xFF};
    ASSERT_TRUE(service.WriteProfileBinary("Sec", "Blob", bytes, sizeof(bytes)));

    std::string raw;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), ValueType("Sec", "Text", &raw));
    EXPECT_EQ(std::string("hello\0", 6), raw);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), ValueType("Sec", "Number", &raw));
    EXPECT_EQ(4u, raw.size());
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), ValueType("Sec", "List", &raw));
    EXPECT_EQ(std::string("one\0two\0\0", 9), raw);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), ValueType("Sec", "Blob"));

    EXPECT_EQ(CString("hello"), service.GetProfileString("Sec", "Text", "x", &error));
    EXPECT_EQ(0u, error);
    EXPECT_EQ(-2, service.GetProfileInt("Sec", "Number", 5));
    CStringArray read;
    read.Add("stale");
    ASSERT_TRUE(service.GetProfileStringArray("Sec", "List", read));
    ASSERT_EQ(2, read.GetSize());
    EXPECT_EQ(CString("one"), read[0]);
    EXPECT_EQ(CString("two"), read[1]);
    BYTE* data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(service.GetProfileBinary("Sec", "Blob", &data, &size));
    std::unique_ptr<BYTE[]> owned(data);
    ASSERT_EQ(4u, size);
    EXPECT_EQ(0, memcmp(bytes, data, 4));
}

TEST_F(ProfileTest, WrongTypesAndSizesFail) {
    ASSERT_TRUE(service.WriteProfileString("Sec", "Text", "a longer text"));
    DWORD error = 0;
    CStringArray read;
    EXPECT_FALSE(service.GetProfileStringArray("Sec", "Text", read, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), error);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    // More than four bytes cannot be an integer.
    EXPECT_EQ(11, service.GetProfileInt("Sec", "Text", 11, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), error);
    BYTE* data = reinterpret_cast<BYTE*>(1);
    UINT size = 5;
    EXPECT_FALSE(service.GetProfileBinary("Sec", "Missing", &data, &size, &error));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(0u, size);
}

TEST_F(ProfileTest, NullValueDeletesTheEntryAndNullEntryTheSection) {
    ASSERT_TRUE(service.WriteProfileString("Sec", "A", "1"));
    ASSERT_TRUE(service.WriteProfileString("Sec", "B", "2"));
    ASSERT_TRUE(service.WriteProfileString("Sec", "A", nullptr));
    EXPECT_EQ(CString("gone"), service.GetProfileString("Sec", "A", "gone"));
    EXPECT_EQ(CString("2"), service.GetProfileString("Sec", "B"));
    ASSERT_TRUE(service.WriteProfileString("Sec", nullptr, nullptr));
    EXPECT_FALSE(KeyExists(SectionPath("Sec")));
    EXPECT_TRUE(KeyExists(CString(kServiceKey) + "\\Parameters"));
}
