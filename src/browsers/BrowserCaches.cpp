#include "browsers/BrowserCaches.h"

#include "platform/LongPath.h"

#include <windows.h>

#include <memory>
#include <set>

namespace sweepora {

namespace {

// What a running browser's caches keep: their index files, which name entries by hash.
const std::vector<const wchar_t*> kIndexFiles = {L"INDEX", L"INDEX.LOG", L"THE-REAL-INDEX"};

std::vector<StoreOutcome> EraseCaches(EraseContext& context, const BrowserProfile& profile,
                                      const std::vector<std::wstring>& bases, const std::vector<std::wstring>& folders,
                                      const std::string& store)
{
    const bool held = !ProfileInUse(profile).empty();
    const std::int64_t left = context.run.filesLeft;
    bool found = false;
    for (const std::wstring& base : bases)
        for (const std::wstring& folder : folders) {
            if (context.run.abort) break;
            found = EraseProfileFolderFiles(context, InProfile(base, folder.c_str()), true, held ? kIndexFiles : std::vector<const wchar_t*>{}) || found;
        }
    // No cache folder at all: nothing to say "Cleared" of.
    if (!found) return {};
    StoreOutcome outcome = WholeFiles(store);
    outcome.filesLeft = context.run.filesLeft - left;
    return {outcome};
}

} // namespace

const std::vector<std::wstring>& ProfileCacheFolders(BrowserFamily family)
{
    // Older builds' names beside Chromium 156's and Firefox 153's, as both still turn up.
    static const std::vector<std::wstring> chromium = {L"Cache",
                                                       L"Code Cache",
                                                       L"GPUCache",
                                                       L"DawnGraphiteCache",
                                                       L"DawnWebGPUCache",
                                                       L"DawnCache",
                                                       L"Media Cache",
                                                       L"Application Cache"};
    static const std::vector<std::wstring> firefox = {L"cache2", L"startupCache", L"OfflineCache"};
    return family == BrowserFamily::Firefox ? firefox : chromium;
}

const std::vector<std::wstring>& SharedCacheFolders()
{
    static const std::vector<std::wstring> shared = {L"GrShaderCache", L"ShaderCache", L"GraphiteDawnCache",
                                                     L"GPUPersistentCache"};
    return shared;
}

std::vector<StoreOutcome> CleanBrowserCaches(EraseContext& context, const BrowserProfile& profile)
{
    const BrowserFamily family = BrowserOf(profile.browser).family;
    // The Firefox family keeps its caches in the local folder, which a profile may lack;
    // Opera its profile in Roaming AppData and its caches in Local AppData, beside.
    std::vector<std::wstring> bases;
    if (family == BrowserFamily::Chromium) bases.push_back(profile.folder);
    if (!profile.localFolder.empty() &&
        (bases.empty() || CanonicalFolder(profile.localFolder) != CanonicalFolder(profile.folder)))
        bases.push_back(profile.localFolder);
    if (bases.empty() || context.run.abort) return {};
    return EraseCaches(context, profile, bases, ProfileCacheFolders(family), "cache");
}

std::vector<StoreOutcome> CleanSharedBrowserCaches(EraseContext& context, const BrowserProfile& profile)
{
    if (BrowserOf(profile.browser).family != BrowserFamily::Chromium || profile.dataFolder.empty() || context.run.abort)
        return {};
    return EraseCaches(context, profile, {profile.dataFolder}, SharedCacheFolders(), "shared cache");
}

std::function<std::vector<StoreOutcome>(EraseContext&, const BrowserProfile&)> BrowserCacheRun()
{
    auto done = std::make_shared<std::set<std::wstring>>();
    return [done](EraseContext& context, const BrowserProfile& profile) {
        std::vector<StoreOutcome> outcomes = CleanBrowserCaches(context, profile);
        if (BrowserOf(profile.browser).family == BrowserFamily::Chromium && !profile.dataFolder.empty() &&
            done->insert(CanonicalFolder(profile.dataFolder)).second) {
            for (StoreOutcome& shared : CleanSharedBrowserCaches(context, profile)) outcomes.push_back(shared);
        }
        return outcomes;
    };
}

} // namespace sweepora
