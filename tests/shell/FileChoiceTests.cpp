#include "shell/FileChoices.h"

#include "engine/SessionPlugins.h"
#include "platform/Paths.h"
#include "plugins/PluginSession.h"

#include <gtest/gtest.h>

using namespace sweepora;
using test::Texts;

namespace {

using FileChoiceFixture = test::PluginSession;

} // namespace

TEST_F(FileChoiceFixture, ChosenFileGoesOnlyWhenTheDialogIsAnswered)
{
    session.run.live = true;
    const std::string path = folder.File("chosen \xE2\x84\x96 1.txt");
    test::WriteFileBytes(path, "12345");
    EradicateChosenFile(session); // cancelled
    EXPECT_TRUE(FileExists(path));
    desktop.chosenFiles = {path};
    EradicateChosenFile(session);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(desktop.dialogs.size(), 2u);
    EXPECT_EQ(Tasks(), Texts{path + " deleted, not overwritten"});
}

TEST_F(FileChoiceFixture, ImportReplacesAPluginOrTellsOfTheFailure)
{
    test::WriteFileBytes(plugins + "\\Viewer.plg", "[Info]\r\nDescription=old\r\nSelected=0\r\n");
    test::WriteFileBytes(folder.File("Viewer.plg"), "[Info]\r\nDescription=new\r\nSelected=1\r\n");
    LoadPlugins(session.plugins, plugins);
    desktop.chosenFiles = {folder.File("Viewer.plg"), folder.File("missing.plg"), "  "};
    ImportPlugin(session);
    EXPECT_EQ(Shown(), Texts{"[ ] Viewer|new"});
    EXPECT_EQ(desktop.dialogs.at(0).filter, "Plugin Files(*.plg)|*.plg");

    session.plugins.Lines()[0].ticked = true; // not reloaded by a failed import
    for (int i = 0; i < 3; ++i) ImportPlugin(session); // a missing source, blanks only, cancelled
    EXPECT_EQ(desktop.asked.size(), 1u);
    EXPECT_EQ(Shown(), Texts{"[x] Viewer|new"});
}

