#include "plugins/DefinitionSources.h"

#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <windows.h>

#include <algorithm>
#include <set>

namespace sweepora {

namespace {

constexpr const char* kNameTaken = "another entry has this name";

void Add(DefinitionSources& sources, DefinitionsLoad load, std::set<std::string>& names, const std::string& file)
{
    if (!load.error.empty()) {
        sources.failures.emplace_back(file, load.error);
        return;
    }
    DefinitionsReport& r = sources.report;
    const DefinitionsReport& add = load.report;
    r.entries += add.entries;
    r.offered += add.offered;
    r.notOffered += add.notOffered;
    r.unusable += add.unusable;
    r.badKeys += add.badKeys;
    r.unknownVariableKeys += add.unknownVariableKeys;
    r.ignoredKeys += add.ignoredKeys;
    for (const auto& [why, count] : add.notOfferedReasons) r.notOfferedReasons[why] += count;
    for (LoadedDefinition& d : load.definitions) {
        if (d.offered && !names.insert(UpperCaseUtf8(d.entry.name)).second) {
            d.offered = false;
            d.notOfferedReason = kNameTaken;
            --r.offered;
            ++r.notOffered;
            ++r.notOfferedReasons[kNameTaken];
        }
        sources.all.push_back(std::move(d));
    }
}

} // namespace

DefinitionSources ReadDefinitionSources(const std::string& programFolder, const DefinitionEnvironment& environment)
{
    DefinitionSources sources;
    std::set<std::string> names;
    const std::string community = AddBackslash(programFolder) + kCommunityDefinitionsFile;
    if (::GetFileAttributesW(LongPath(community).c_str()) != INVALID_FILE_ATTRIBUTES)
        Add(sources, ReadDefinitions(community, kCommunityDefinitionsFile, environment), names,
            kCommunityDefinitionsFile);
    const std::string folder = AddBackslash(programFolder) + kDefinitionsFolder;
    for (const std::string& name : FilesWithExtension(folder, ".ini")) {
        const std::string source = std::string(kDefinitionsFolder) + "\\" + name;
        Add(sources, ReadDefinitions(AddBackslash(folder) + name, source, environment), names, source);
    }
    return sources;
}

void LoadDefinitions(PluginList& list, const DefinitionSources& sources, const SettingsStore& store)
{
    std::vector<CleaningEntry> offered;
    for (const LoadedDefinition& d : sources.all)
        if (d.offered) offered.push_back(d.entry);
    std::stable_sort(offered.begin(), offered.end(), [](const CleaningEntry& a, const CleaningEntry& b) {
        const std::string ga = UpperCaseUtf8(a.group), gb = UpperCaseUtf8(b.group);
        return ga != gb ? ga < gb : UpperCaseUtf8(a.name) < UpperCaseUtf8(b.name);
    });
    std::set<std::string> tickedNames;
    for (const auto& [name, value] : store.Section(kDefinitionsSection))
        if (value == "1") tickedNames.insert(UpperCaseUtf8(name));
    std::vector<bool> ticked;
    for (const CleaningEntry& e : offered) ticked.push_back(tickedNames.count(UpperCaseUtf8(e.name)) > 0);
    list.SetDefinitions(std::move(offered), ticked);
}

void SaveDefinitionTicks(const PluginList& list, SettingsStore& store)
{
    std::set<std::string> stored;
    for (const auto& [name, value] : store.Section(kDefinitionsSection))
        if (value == "1") stored.insert(UpperCaseUtf8(name));
    for (const PluginLine& line : list.Lines()) {
        if (line.definition < 0) continue;
        const bool wasTicked = stored.count(UpperCaseUtf8(line.name)) > 0;
        if (line.ticked != wasTicked) store.Set(kDefinitionsSection, line.name, line.ticked ? "1" : "0");
    }
}

} // namespace sweepora
