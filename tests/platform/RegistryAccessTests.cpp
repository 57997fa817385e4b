#include "platform/RegistryAccess.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include "support/TestSupport.h"

#include <sddl.h>

#include <stdexcept>

using namespace sweepora;

namespace {

const HKEY kCu = HKEY_CURRENT_USER;
constexpr const char* kKey = "Software\\SweeporaTests\\Registry";

std::string Sub(const char* name) { return std::string(kKey) + "\\" + name; }

// The current user's hive as the kernel names it, for a link's target.
std::wstring CurrentUserSid()
{
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    UniqueKernelHandle token(raw);
    alignas(TOKEN_USER) BYTE buffer[256];
    DWORD size = 0;
    wchar_t* text = nullptr;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text))
        return {};
    const std::wstring sid = text;
    ::LocalFree(text);
    return sid;
}

struct RegistryAccess : ::testing::Test {
    test::ScratchKey scratch{kKey};
    std::atomic<bool> abort{false};
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

TEST_F(RegistryAccess, BulkDeletesKeepTheKeyTakeWholeTreesAndStopOnAbort)
{
    EXPECT_TRUE(DeleteAllRegValues(kCu, kKey, abort).empty() && DeleteRegValue(kCu, kKey, "a").empty());
    EXPECT_FALSE(test::KeyExists(kCu, kKey)); // a missing key is not created on the way
    for (const char* name : {"a", "b"}) test::WriteString(kCu, kKey, name, name);
    for (const char* sub : {"A", "B", "Z\\Inner\\Deep"}) test::WriteString(kCu, Sub(sub), "v", "1");
    DeleteSubKeys(kCu, kKey, false, abort); // test mode
    abort = true;
    DeleteAllRegValues(kCu, kKey, abort);
    DeleteSubKeys(kCu, kKey, true, abort);
    EXPECT_EQ(test::ValueNames(kCu, kKey).size(), 2u);
    EXPECT_TRUE(test::KeyExists(kCu, Sub("A")) && test::KeyExists(kCu, Sub("B")));

    // A link among the subkeys goes as a link: what it points at is not the entry's to delete.
    const std::string target = std::string(kKey) + "Target";
    test::ScratchKey targetKey{target};
    test::WriteString(kCu, target + "\\Inner", "kept", "1");
    UniqueKey link;
    ASSERT_EQ(::RegCreateKeyExA(kCu, Sub("Link").c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), nullptr), ERROR_SUCCESS);
    const std::wstring to = L"\\Registry\\User\\" + CurrentUserSid() + L"\\" + WideFromUtf8(target);
    ::RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(to.data()),
                     static_cast<DWORD>(to.size() * sizeof(wchar_t)));
    link.reset();
    ASSERT_EQ(test::ValueNames(kCu, Sub("Link\\Inner")), test::Texts{"kept"}); // the link works

    abort = false;
    EXPECT_TRUE(DeleteSubKeys(kCu, kKey, true, abort).empty());
    for (const char* sub : {"A", "B", "Z", "Link"}) EXPECT_FALSE(test::KeyExists(kCu, Sub(sub))) << sub;
    EXPECT_EQ(test::ValueNames(kCu, target + "\\Inner"), test::Texts{"kept"});
    EXPECT_TRUE(DeleteAllRegValues(kCu, kKey, abort).empty());
    EXPECT_TRUE(test::KeyExists(kCu, kKey) && test::ValueNames(kCu, kKey).empty());
}
