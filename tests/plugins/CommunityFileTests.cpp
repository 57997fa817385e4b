// The community's own definitions file, every entry installed and previewed under the guards:
// what the guards refuse of a file written in good faith must stay rare, and each refusal
// must be one we would defend. The file is given by its path at test time, never kept here.
#include "erasure/PlaceGuard.h"
#include "platform/LongPath.h"
#include "platform/RegistryAccess.h"
#include "platform/WideText.h"
#include "plugins/DefinitionsFile.h"
#include "plugins/PluginRunner.h"

#include "support/TestSupport.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <set>

using namespace sweepora;

namespace {

// A name the wildcards of `pattern` match: each run of them stands for "Sample".
std::wstring Instance(const std::wstring& pattern)
{
    std::wstring out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != L'*' && pattern[i] != L'?') {
            out += pattern[i];
            continue;
        }
        out += L"Sample";
        while (i + 1 < pattern.size() && (pattern[i + 1] == L'*' || pattern[i + 1] == L'?')) ++i;
    }
    return out;
}

void MakeFolders(const std::wstring& folder)
{
    const std::wstring path = LongPath(folder);
    for (std::size_t at = path.find(L'\\', 7); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    ::CreateDirectoryW(path.c_str(), nullptr);
}

// The entry's application as if installed: its folders, one file for each mask, its keys.
void Install(const CleaningEntry& entry)
{
    for (const FileTarget& t : entry.files) {
        if (!IsAbsolutePath(t.folder)) continue;
        const std::wstring folder = Instance(t.folder);
        MakeFolders(folder);
        for (const std::wstring& mask : t.masks) {
            const std::wstring name = Instance(mask);
            if (name.find_first_of(L"\\/:<>\"|") != std::wstring::npos) continue;
            HANDLE file = ::CreateFileW(LongPath(folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        }
    }
    for (const RegistryTarget& t : entry.registry) {
        const std::size_t slash = t.key.find('\\');
        if (slash == std::string::npos) continue;
        const HKEY root = RootKeyFromPath(t.key);
        if (root == nullptr || root == HKEY_USERS) continue;
        HKEY key = nullptr;
        if (::RegCreateKeyExW(root, Instance(WideFromUtf8(t.key.substr(slash + 1))).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            continue;
        if (!t.value.empty()) ::RegSetValueExW(key, Instance(WideFromUtf8(t.value)).c_str(), 0, REG_SZ, nullptr, 0);
        ::RegCloseKey(key);
    }
}

struct RefusalLog final : EraseLog {
    std::vector<std::pair<std::string, std::string>> refused; // the key's text, why
    void AddLogEntry(const std::string& task, const std::string& status) noexcept override
    {
        if (status.rfind("Refused: ", 0) == 0) refused.emplace_back(task, status.substr(9));
    }
};

// "x.log in C:\...: only logs ... go from the Windows folder" -> the reason after the place.
std::string Reason(const std::string& why)
{
    const std::size_t colon = why.rfind(": ");
    return colon == std::string::npos ? why : why.substr(colon + 2);
}

} // namespace

TEST(CommunityFile, AtMostOneKeyInAHundredIsRefused)
{
    const std::string path = test::EnvironmentText("SWEEPORA_COMMUNITY_FILE");
    if (path.empty()) GTEST_SKIP() << "skipped: SWEEPORA_COMMUNITY_FILE names no community definitions file";
    const auto started = std::chrono::steady_clock::now();
    const DefinitionsLoad load = ReadDefinitions(path, "community", CurrentDefinitionEnvironment());
    const std::chrono::duration<double> loaded = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(load.error.empty()) << load.error;
    for (const LoadedDefinition& d : load.definitions) Install(d.entry);
    // Measured, not judged: the bench judges speed. Once more with every application there.
    const auto again = std::chrono::steady_clock::now();
    const std::size_t offered = ReadDefinitions(path, "community", CurrentDefinitionEnvironment()).report.offered;
    const std::chrono::duration<double> reloaded = std::chrono::steady_clock::now() - again;
    std::printf("community file: %zu entries loaded in %.2f s, %zu of them offered once installed, in %.2f s\n",
                load.definitions.size(), loaded.count(), offered, reloaded.count());

    const PlaceGuard guard(CurrentProtectedPlaces());
    std::size_t keys = 0, refusedKeys = 0;
    std::map<std::string, std::vector<std::string>> byReason;
    for (const LoadedDefinition& d : load.definitions) {
        std::set<std::string> texts;
        for (const FileTarget& t : d.entry.files) texts.insert(t.text);
        for (const RegistryTarget& t : d.entry.registry) texts.insert(t.text);
        keys += texts.size();
        RunState run;
        RefusalLog log;
        EraseContext context{run, log, [] {}};
        RunCleaningEntry(d.entry, context, guard);
        std::set<std::string> refused;
        for (const auto& [text, why] : log.refused) {
            if (!refused.insert(text).second) continue;
            byReason[Reason(why)].push_back(d.entry.name + ": " + text + "  (" + why + ")");
        }
        refusedKeys += refused.size();
    }
    // Saved logins, keys, certificates, disk images and other users' hives never go,
    // whatever an entry says.
    std::size_t never = 0;
    for (const char* reason : {"it never goes, wherever it is", "another user's hive (or the default or a service "
                               "profile's) is never erased", "the hives of every user are never erased",
                               "a wildcard may not stand for a user's hive: only this user's own is erased"})
        never += byReason[reason].size();
    std::printf("community file: %zu of %zu keys refused (%.2f %%); %zu of them for saved logins, keys, certificates, "
                "disk images or other users' hives, %zu (%.2f %%) for anything else\n",
                refusedKeys, keys, 100.0 * refusedKeys / keys, never, refusedKeys - never,
                100.0 * (refusedKeys - never) / keys);
    for (const auto& [reason, lines] : byReason) {
        std::printf("\n%zu refused: %s\n", lines.size(), reason.c_str());
        for (const std::string& line : lines) std::printf("  %s\n", line.c_str());
    }
    ASSERT_GT(keys, 15000u);
    EXPECT_LE((refusedKeys - never) * 100, keys);
    EXPECT_LE(refusedKeys * 100, keys * 2);
}
