#pragma once
// Where definitions come from: "winapp2.ini" beside the program, if the user put it there,
// and "definitions\*.ini" shipped with it; and where their ticks are kept.
#include "plugins/DefinitionsFile.h"
#include "plugins/PluginList.h"
#include "settings/SettingsStore.h"

#include <string>
#include <utility>
#include <vector>

namespace sweepora {

constexpr const char* kCommunityDefinitionsFile = "winapp2.ini";
constexpr const char* kDefinitionsFolder = "definitions";
// The settings-store section of the ticks: one value per ticked entry, named after it.
constexpr const char* kDefinitionsSection = "Definitions";

struct DefinitionSources {
    std::vector<LoadedDefinition> all; // every entry of every file, in the order read
    DefinitionsReport report;          // summed over the files
    std::vector<std::pair<std::string, std::string>> failures; // a file that could not be read, and why
};

// Reads the community file, then the shipped files in name order. An entry whose name an
// earlier file already offers is not offered again.
DefinitionSources ReadDefinitionSources(const std::string& programFolder, const DefinitionEnvironment& environment);

// The offered entries become the list's definition lines, by group and then by name,
// ticked where the store says "1".
void LoadDefinitions(PluginList& list, const DefinitionSources& sources, const SettingsStore& store);

// Writes "1" for a ticked entry and "0" for an unticked one the store had ticked.
void SaveDefinitionTicks(const PluginList& list, SettingsStore& store);

} // namespace sweepora
