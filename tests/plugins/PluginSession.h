#pragma once
// A session with its plugin folder, for the plugin cases.
#include "engine/SessionPlugins.h"

#include "support/TestSupport.h"

namespace sweepora::test {

// The path, after making every folder above it.
inline std::string Made(const std::string& path)
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    return path;
}

struct PluginSession : SessionFixture {
    const std::string plugins = SessionPluginFolder(session);

    PluginSession() { ::CreateDirectoryA(plugins.c_str(), nullptr); }
    void Write(const std::string& file, const std::string& bytes) { WriteFileBytes(plugins + "\\" + file, bytes); }
    // The plugin list as shown: "[x] name|description".
    Texts Shown() const
    {
        Texts shown;
        for (const PluginLine& l : session.plugins.Lines())
            shown.push_back((l.ticked ? "[x] " : "[ ] ") + l.name + "|" + l.description);
        return shown;
    }
    // Log lines as "task|status", a finished plugin's status shortened to "Completed" and
    // any other timestamp shown as "@".
    Texts Lines() const
    {
        Texts lines;
        for (const LogLine& l : session.log.Lines()) {
            const bool completed = l.status.rfind("Completed : ", 0) == 0;
            const bool dated = l.status.find(" @ ") != std::string::npos;
            lines.push_back(l.task + "|" + (completed ? "Completed" : dated ? "@" : l.status));
        }
        return lines;
    }
};

} // namespace sweepora::test
