// Starts the real iea.exe, as the cleaning run does, against seeded AutoComplete entries.
#include "platform/Paths.h"

#include "support/TestSupport.h"

using namespace sweepora;
using Names = test::Texts;

namespace {

constexpr const char* kStorage1 = "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1";

DWORD RunIea(const std::string& args)
{
    return test::RunProgram(AddBackslash(FolderOf(ExecutablePath())) + "iea.exe", args).exitCode;
}

// Entries are hashes of the field name with encrypted data; any bytes will do here.
void Seed()
{
    test::WriteRaw(HKEY_CURRENT_USER, kStorage1, "3F1A9C0E5B7D2468ACE13579BDF02468ACE13579BD", REG_BINARY,
                   std::string("\x01\x02\x00\x03", 4));
    test::WriteRaw(HKEY_CURRENT_USER, kStorage1, "0123456789ABCDEF0123456789ABCDEF01234567EE", REG_BINARY,
                   std::string(300, '\x7f'));
    test::WriteString(HKEY_CURRENT_USER, kStorage1, "", "default value");
}

} // namespace

TEST(Iea, OnlyTheParameterOneClearsEveryValueAndKeepsTheKey)
{
    test::ScratchKey storage{kStorage1};
    Seed();
    test::WriteString(HKEY_CURRENT_USER, std::string(kStorage1) + "\\Sub", "kept", "not a form entry");
    const Names seeded = test::ValueNames(HKEY_CURRENT_USER, kStorage1);
    ASSERT_EQ(seeded.size(), 3u);
    for (const char* args : {"", "2", "11", "1 1", "/1", "\"\""}) {
        EXPECT_EQ(RunIea(args), 2u) << "[" << args << "]";
        EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, kStorage1), seeded) << "[" << args << "]";
    }
    // Blanks around the parameter too, as a shell may pass them.
    for (const char* args : {"1", "  1 "}) {
        EXPECT_EQ(RunIea(args), 0u) << "[" << args << "]";
        EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, kStorage1));
        EXPECT_TRUE(test::ValueNames(HKEY_CURRENT_USER, kStorage1).empty()) << "[" << args << "]";
        Seed();
    }
    EXPECT_EQ(test::ValueNames(HKEY_CURRENT_USER, std::string(kStorage1) + "\\Sub"), (Names{"kept"}));

    // Nothing stored yet: done, and no key made up.
    test::DeleteKeyTree(HKEY_CURRENT_USER, kStorage1);
    EXPECT_EQ(RunIea("1"), 0u);
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kStorage1));
}
