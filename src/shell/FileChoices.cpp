#include "shell/FileChoices.h"

#include "engine/Eradication.h"
#include "engine/SessionPlugins.h"
#include "platform/Text.h"

#include <commdlg.h>

namespace sweepora {

namespace {

constexpr const char* kPluginFilter = "Plugin Files(*.plg)|*.plg";

} // namespace

void EradicateChosenFile(Session& s)
{
    std::string chosen;
    if (!s.desktop.ChooseFileToOpen("All Files(*.*)|*.*", OFN_HIDEREADONLY, chosen)) return;
    if (!TrimBlanks(chosen).empty()) EradicateFile(s, chosen, s.settings.Passes());
}

void ImportPlugin(Session& s)
{
    std::string chosen;
    if (!s.desktop.ChooseFileToOpen(kPluginFilter, OFN_HIDEREADONLY, chosen) || TrimBlanks(chosen).empty()) return;
    if (!ImportPluginFile(s.plugins, SessionPluginFolder(s), chosen))
        s.desktop.MessageBox(std::string("Import error, ") + kAppTitle + " not able to impore this plugin",
                             "Import Failure", MB_OK | MB_ICONSTOP);
}

} // namespace sweepora
