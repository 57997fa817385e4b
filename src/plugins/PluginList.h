#pragma once
#include "plugins/CleaningEntry.h"

#include <string>
#include <vector>

namespace sweepora {

// One plugin file, or one offered definition, as the list shows it.
struct PluginLine {
    std::string name; // a plugin's file name without ".plg", blanks kept; UTF-8
    bool ticked = true;
    std::string description;
    int definition = -1; // the definition's index in the list, -1 for a plugin file
};

// The plugins and definitions the user can tick: the plugin files first, in name order,
// then the offered definitions by group. The ticks are the working state: a plugin's reach
// its file only through SavePluginSettings, and LoadPlugins drops unsaved changes to them;
// a definition's reach the settings store through SaveDefinitionTicks.
class PluginList {
public:
    const std::vector<PluginLine>& Lines() const { return lines_; }
    std::vector<PluginLine>& Lines() { return lines_; }
    const std::vector<CleaningEntry>& Definitions() const { return definitions_; }

    // Ticks every plugin and every definition that carries no warning: a warned entry is
    // ticked only by itself, once its warning was shown.
    void SelectAll();
    void DeselectAll();

    // Replaces the definition lines, each ticked as given.
    void SetDefinitions(std::vector<CleaningEntry> definitions, const std::vector<bool>& ticked);
    // The plugin lines before the definition lines.
    void SetPluginLines(std::vector<PluginLine> lines);

private:
    std::vector<PluginLine> lines_;
    std::vector<CleaningEntry> definitions_;
};

// Creates the folder when it is missing; only its last level, never the ones above.
void EnsureFolder(const std::string& path);

// Copies each "*.plg" file of `from` that `to` lacks (by name) into `to`; a file already
// there is the user's and stays as it is. Returns the names that could not be copied.
std::vector<std::string> CopyMissingPlugins(const std::string& from, const std::string& to);

// Refills the list: one line per "*.plg" file of the folder, in name order ignoring case,
// ticked unless its Selected is exactly "1".
void LoadPlugins(PluginList& list, const std::string& pluginFolder);

// Writes each line's tick into its file: Selected "0" when ticked, "1" when not, creating
// the file or section when missing.
void SavePluginSettings(const PluginList& list, const std::string& pluginFolder);

// Copies `source` into the folder under its own name, replacing a plugin of that name,
// then reloads. False, with the list untouched, when the copy fails.
bool ImportPluginFile(PluginList& list, const std::string& pluginFolder, const std::string& source);

} // namespace sweepora
