#pragma once
#include <string>
#include <vector>

namespace sweepora {

// One plugin file as the list shows it.
struct PluginLine {
    std::string name; // the file name without ".plg", blanks kept; UTF-8
    bool ticked = true;
    std::string description;
};

// The plugins the user can tick. The ticks are the working state: they reach the files
// only through SavePluginSettings, and LoadPlugins drops unsaved changes.
class PluginList {
public:
    const std::vector<PluginLine>& Lines() const { return lines_; }
    std::vector<PluginLine>& Lines() { return lines_; }

    void SelectAll() { TickAll(true); }
    void DeselectAll() { TickAll(false); }

private:
    void TickAll(bool ticked);
    std::vector<PluginLine> lines_;
};

// Creates the folder when it is missing; only its last level, never the ones above.
void EnsureFolder(const std::string& path);

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
