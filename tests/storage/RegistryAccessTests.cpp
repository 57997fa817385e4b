#include "storage/RegistryAccess.h"
#include "storage/UniqueHandle.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace sweepora;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
constexpr const char* kKey = "Software\\SweeporaTests\\Registry";
using Names = std::vector<std::string>;

std::string Sub(const char* name) { return std::string(kKey) + "\\" + name; }

// RegSetValueExA adds the zero a REG_SZ lacks when the byte after the data is one, so
// the data must be followed by something else to stay unterminated.
void WriteUnterminated(const char* name, const std::string& text)
{
    const std::string padded = text + "!";
    UniqueKey key;
    ::RegCreateKeyExA(kCu, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(padded.data()),
                     static_cast<DWORD>(text.size()));
}

struct RegistryAccess : ::testing::Test {
    test::ScratchKey scratch{kKey};
    std::atomic<bool> abort{false};
    DWORD type = 0;
    std::string bytes;
};

} // namespace

TEST_F(RegistryAccess, ReadsWritesAndDeletesTextValues)
{
    test::WriteString(kCu, kKey, "plain", "text");
    test::WriteRaw(kCu, kKey, "expand", REG_EXPAND_SZ, std::string("%TEMP%\0", 7));
    test::WriteRaw(kCu, kKey, "dword", REG_DWORD, std::string("\1\0\0\0", 4));
    test::WriteRaw(kCu, kKey, "nul", REG_SZ, std::string("before\0after\0", 13));
    WriteUnterminated("bare", "no terminator");
    ASSERT_TRUE(test::ReadRaw(kCu, kKey, "bare", type, bytes));
    ASSERT_EQ(bytes, "no terminator");
    EXPECT_EQ(GetRegString(kCu, kKey, "plain"), "text");
    EXPECT_EQ(GetRegString(kCu, kKey, "expand"), "");
    EXPECT_EQ(GetRegString(kCu, kKey, "dword"), "");
    EXPECT_EQ(GetRegString(kCu, kKey, "nul"), "before");
    EXPECT_EQ(GetRegString(kCu, kKey, "bare"), "no terminator");
    EXPECT_EQ(GetRegString(kCu, kKey, "missing"), "");
    EXPECT_EQ(GetRegString(kCu, Sub("Missing"), "plain"), "");

    DWORD disposition = 0;
    SetRegString(kCu, Sub("New"), "number", "5", REG_DWORD, disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_TRUE(test::KeyExists(kCu, Sub("New")));
    EXPECT_TRUE(test::ValueNames(kCu, Sub("New")).empty());
    SetRegString(kCu, Sub("New"), "empty", "", REG_SZ, disposition);
    ASSERT_TRUE(test::ReadRaw(kCu, Sub("New"), "empty", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, "");
    // Wine, like NT, stores the zero that follows the buffer anyway: only the text is certain.
    SetRegString(kCu, Sub("New"), "text", "abc", REG_SZ, disposition);
    EXPECT_EQ(GetRegString(kCu, Sub("New"), "text"), "abc");

    DeleteRegValue(kCu, Sub("New"), "text");
    DeleteRegValue(kCu, Sub("New"), "text");
    DeleteRegValue(kCu, Sub("Missing"), "text");
    EXPECT_EQ(test::ValueNames(kCu, Sub("New")), Names{"empty"});
    EXPECT_FALSE(test::KeyExists(kCu, Sub("Missing")));
}

TEST(RootKeyFromPath, KnowsOnlyTheFullNames)
{
    const std::pair<const char*, HKEY> roots[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", HKEY_USERS},
        {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA}, {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_DYN_DATA", HKEY_DYN_DATA}};
    for (const auto& [name, key] : roots) EXPECT_EQ(RootKeyFromPath(std::string(name) + "\\x"), key) << name;
    EXPECT_EQ(RootKeyFromPath("  HKEY_LOCAL_MACHINE  \\Software"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyFromPath("hkey_local_machine\\Software"), nullptr);
    EXPECT_EQ(RootKeyFromPath("HKLM\\Software"), nullptr);
    EXPECT_THROW(RootKeyFromPath("HKEY_CURRENT_USER"), std::invalid_argument);
}

TEST_F(RegistryAccess, DeleteAllRegValuesKeepsKeyAndSubkeys)
{
    DeleteAllRegValues(kCu, kKey, abort);
    EXPECT_FALSE(test::KeyExists(kCu, kKey)); // a missing key is not created on the way

    for (const char* name : {"a", "b", "c"}) test::WriteString(kCu, kKey, name, name);
    test::WriteString(kCu, Sub("Child"), "kept", "1");
    abort = true;
    DeleteAllRegValues(kCu, kKey, abort);
    EXPECT_EQ(test::ValueNames(kCu, kKey).size(), 3u);
    abort = false;
    DeleteAllRegValues(kCu, kKey, abort);
    EXPECT_TRUE(test::ValueNames(kCu, kKey).empty());
    EXPECT_EQ(test::ValueNames(kCu, Sub("Child")), Names{"kept"});
    DeleteAllRegValues(kCu, kKey, abort); // nothing left: returns at once
    EXPECT_TRUE(test::KeyExists(kCu, kKey));
}

TEST_F(RegistryAccess, DeleteSubKeysRemovesLeavesOnlyWhenLive)
{
    test::WriteString(kCu, kKey, "value", "1");
    test::WriteString(kCu, Sub("A"), "v", "1");
    test::WriteString(kCu, Sub("B"), "v", "1");
    DeleteSubKeys(kCu, kKey, false, abort);
    abort = true;
    DeleteSubKeys(kCu, kKey, true, abort);
    EXPECT_TRUE(test::KeyExists(kCu, Sub("A")) && test::KeyExists(kCu, Sub("B")));

    // The platform refuses to delete a key with children: the walk must end there, not spin.
    test::WriteString(kCu, Sub("Z\\Inner"), "v", "1");
    abort = false;
    DeleteSubKeys(kCu, kKey, true, abort);
    EXPECT_FALSE(test::KeyExists(kCu, Sub("A")) || test::KeyExists(kCu, Sub("B")));
    EXPECT_TRUE(test::KeyExists(kCu, Sub("Z\\Inner")));
    EXPECT_EQ(test::ValueNames(kCu, kKey), Names{"value"});
    DeleteSubKeys(kCu, Sub("Missing"), true, abort);
    EXPECT_FALSE(test::KeyExists(kCu, Sub("Missing")));
}
