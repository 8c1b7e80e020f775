// TEST_LOCK: registry
#include "OrvServiceManager/ProductRegistrySettings.h"
#include "OrvServiceManager/WindowsRegistry.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>
#include <shlwapi.h>

TEST(WindowsRegistryTest, ValuesOfTheRightTypeOnlyAndSubkeysInOrder) {
    const std::string key = "Software\\Brellix\\OrvRegistryTest";
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    WindowsRegistry registry(HKEY_LOCAL_MACHINE);
    std::vector<CString> names = {"stale"};
    EXPECT_FALSE(registry.EnumSubKeys(key.c_str(), names));
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(registry.SetString(key.c_str(), "Text", "a longer text than the number"));
    EXPECT_TRUE(registry.SetDword(key.c_str(), "Number", 42));
    for (const char* sub : {"\\b", "\\a"}) EXPECT_TRUE(registry.SetString((key + sub).c_str(), "x", ""));
    EXPECT_EQ(CString("a longer text than the number"), registry.GetString(key.c_str(), "Text"));
    EXPECT_EQ(42u, registry.GetDword(key.c_str(), "Number"));
    EXPECT_EQ(CString(), registry.GetString(key.c_str(), "Number"));
    EXPECT_EQ(0u, registry.GetDword(key.c_str(), "Text"));
    EXPECT_TRUE(registry.EnumSubKeys(key.c_str(), names));
    EXPECT_EQ((std::vector<CString>{"a", "b"}), names);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

TEST(ProductRegistrySettingsTest, TheProgramPathAndTheExecutableInIt) {
    testing_support::SavedRegistryValue saved(testing_support::kProductSettingsKey, "ProgramPath");
    testing_support::ScratchFolder scratch;
    const std::string folder = scratch.Path().str();
    testing_support::WriteFileBytes(scratch.File("Orvanti.exe"), "MZ");
    CreateDirectoryA(scratch.File("empty"), nullptr);
    struct Case {
        DWORD type;  // REG_NONE: no value
        std::string value;
        BOOL hasPath;
        BOOL present;
    } cases[] = {
        {REG_NONE, "", FALSE, FALSE},           {REG_SZ, "   ", TRUE, FALSE},
        {REG_SZ, "  " + folder + "  ", TRUE, TRUE}, {REG_SZ, folder + "\\", TRUE, TRUE},
        {REG_SZ, folder + "\\empty", TRUE, FALSE},  {REG_EXPAND_SZ, folder, TRUE, FALSE},
    };
    ScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, testing_support::kProductSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr));
    ProductRegistrySettings settings(HKEY_LOCAL_MACHINE, testing_support::kProductSettingsKey);
    for (const Case& c : cases) {
        RegDeleteValueA(key.Get(), "ProgramPath");
        if (c.type != REG_NONE)
            RegSetValueExA(key.Get(), "ProgramPath", 0, c.type, reinterpret_cast<const BYTE*>(c.value.c_str()),
                           static_cast<DWORD>(c.value.size() + 1));
        EXPECT_EQ(c.hasPath, settings.HasProgramPath()) << c.value;
        EXPECT_EQ(c.present, settings.IsProductExecutablePresent()) << c.value;
    }
}
