#include "platform/RegistryAccess.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include "support/TestSupport.h"

#include <stdexcept>

using namespace sweepora;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
constexpr const char* kKey = "Software\\SweeporaTests\\Registry";

std::string Sub(const char* name) { return std::string(kKey) + "\\" + name; }

struct RegistryAccess : ::testing::Test {
    test::ScratchKey scratch{kKey};
};

} // namespace

TEST_F(RegistryAccess, ReadsOnlyTextWritesOnlyTextOrBinaryAndKnowsRootsByFullName)
{
    test::WriteRaw(kCu, kKey, "expand", REG_EXPAND_SZ, std::string("%TEMP%\0", 7));
    test::WriteRaw(kCu, kKey, "dword", REG_DWORD, std::string("\1\0\0\0", 4));
    test::WriteRaw(kCu, kKey, "nul", REG_SZ, std::string("before\0after\0", 13));
    // The platform adds the zero a REG_SZ lacks when the next byte is one: follow it with "!".
    UniqueKey key;
    ::RegOpenKeyExA(kCu, kKey, 0, KEY_SET_VALUE, key.put());
    ::RegSetValueExA(key.get(), "bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("bare text!"), 9);
    const std::pair<const char*, const char*> reads[] = {
        {"expand", ""}, {"dword", ""}, {"nul", "before"}, {"bare", "bare text"}, {"missing", ""}};
    for (const auto& [name, text] : reads) EXPECT_EQ(GetRegString(kCu, kKey, name), text) << name;
    EXPECT_EQ(GetRegString(kCu, Sub("Missing"), "nul"), "");

    DWORD disposition = 0, type = 0, size = 1;
    SetRegString(kCu, Sub("New"), "number", "5", REG_DWORD, disposition); // key made, nothing written
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_TRUE(test::KeyExists(kCu, Sub("New")) && test::ValueNames(kCu, Sub("New")).empty());
    SetRegString(kCu, Sub("New"), "empty", "", REG_SZ, disposition);
    ::RegOpenKeyExA(kCu, Sub("New").c_str(), 0, KEY_READ, key.put());
    EXPECT_EQ(::RegQueryValueExA(key.get(), "empty", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_TRUE(type == REG_SZ && size == 0) << type << " " << size;

    // A path's root is known only by its full name.
    const std::pair<const char*, HKEY> roots[] = {
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}, {"  HKEY_LOCAL_MACHINE  ", HKEY_LOCAL_MACHINE},
        {"hkey_local_machine", nullptr}, {"HKLM", nullptr}};
    for (const auto& [name, root] : roots) EXPECT_EQ(RootKeyFromPath(std::string(name) + "\\x"), root) << name;
    EXPECT_THROW(RootKeyFromPath("HKEY_CURRENT_USER"), std::invalid_argument);
}
