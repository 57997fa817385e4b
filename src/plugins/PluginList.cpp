#include "plugins/PluginList.h"

#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/WideText.h"
#include "plugins/PluginFile.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace sweepora {

void PluginList::SelectAll()
{
    for (PluginLine& line : lines_)
        if (line.definition < 0 || definitions_[static_cast<std::size_t>(line.definition)].warning.empty())
            line.ticked = true;
}

void PluginList::DeselectAll()
{
    for (PluginLine& line : lines_) line.ticked = false;
}

void PluginList::SetDefinitions(std::vector<CleaningEntry> definitions, const std::vector<bool>& ticked)
{
    lines_.erase(std::remove_if(lines_.begin(), lines_.end(), [](const PluginLine& l) { return l.definition >= 0; }),
                 lines_.end());
    definitions_ = std::move(definitions);
    for (std::size_t i = 0; i < definitions_.size(); ++i) {
        PluginLine line;
        line.name = definitions_[i].name;
        line.ticked = i < ticked.size() && ticked[i];
        line.description = definitions_[i].warning;
        line.definition = static_cast<int>(i);
        lines_.push_back(std::move(line));
    }
}

void PluginList::SetPluginLines(std::vector<PluginLine> lines)
{
    for (PluginLine& line : lines_)
        if (line.definition >= 0) lines.push_back(std::move(line));
    lines_ = std::move(lines);
}

void EnsureFolder(const std::string& path)
{
    const std::wstring wide = WideFromUtf8(path);
    if (wide.empty() || ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    ::CreateDirectoryW(wide.c_str(), nullptr);
}

std::vector<std::string> CopyMissingPlugins(const std::string& from, const std::string& to)
{
    std::vector<std::string> failed;
    for (const std::string& name : FilesWithExtension(from, kPluginExtension)) {
        const std::wstring target = WideFromUtf8(AddBackslash(to) + name);
        // Fail-if-exists: the user's copy, ticks and edits included, is never replaced.
        if (!::CopyFileW(WideFromUtf8(AddBackslash(from) + name).c_str(), target.c_str(), TRUE) &&
            ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
            failed.push_back(name);
    }
    return failed;
}

void LoadPlugins(PluginList& list, const std::string& pluginFolder)
{
    const std::vector<std::string> names = FilesWithExtension(pluginFolder, kPluginExtension);

    std::vector<PluginLine> lines;
    clsIni ini;
    for (const std::string& file : names) {
        ini.IniPath(AddBackslash(pluginFolder) + file);
        PluginLine line;
        line.name = file.substr(0, file.size() - std::strlen(kPluginExtension));
        line.ticked = ini.GetIniSetting(kPluginSection, kSelectedKey) != "1";
        line.description = ini.GetIniSetting(kPluginSection, kDescriptionKey);
        lines.push_back(std::move(line));
    }
    list.SetPluginLines(std::move(lines));
}

void SavePluginSettings(const PluginList& list, const std::string& pluginFolder)
{
    clsIni ini;
    for (const PluginLine& line : list.Lines()) {
        if (line.definition >= 0) continue;
        ini.IniPath(PluginFilePath(pluginFolder, line.name));
        ini.SaveIniSetting(kPluginSection, kSelectedKey, line.ticked ? "0" : "1");
    }
}

bool ImportPluginFile(PluginList& list, const std::string& pluginFolder, const std::string& source)
{
    const std::string name = source.substr(source.find_last_of('\\') + 1);
    if (name.empty()) return false;
    if (!::CopyFileW(WideFromUtf8(source).c_str(), WideFromUtf8(AddBackslash(pluginFolder) + name).c_str(), FALSE))
        return false;
    LoadPlugins(list, pluginFolder);
    return true;
}

} // namespace sweepora
