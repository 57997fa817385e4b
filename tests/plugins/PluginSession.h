#pragma once
// A session in a throwaway program folder with its plugin folder, for the plugin cases.
#include "engine/Session.h"
#include "engine/SessionPlugins.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace sweepora::test {

using Texts = std::vector<std::string>;

struct PluginSession : ::testing::Test {
    ScratchKey storeKey{"Software\\SweeporaTests\\PluginStore"};
    RegistrySettingsStore store{"Software\\SweeporaTests\\PluginStore"};
    FakeHost host;
    FakeDesktop desktop;
    TempFolder folder;
    Session session{store, host, desktop, folder.File("sweepora.exe")};
    const std::string plugins = SessionPluginFolder(session);

    PluginSession() { ::CreateDirectoryA(plugins.c_str(), nullptr); }
    void Write(const std::string& file, const std::string& bytes) { WriteFileBytes(plugins + "\\" + file, bytes); }
    // Log lines as "task|status", a finished plugin's status shortened to "Completed".
    Texts Lines() const
    {
        Texts lines;
        for (const LogLine& l : session.log.Lines())
            lines.push_back(l.task + "|" + (l.status.rfind("Completed : ", 0) == 0 ? "Completed" : l.status));
        return lines;
    }
};

} // namespace sweepora::test
