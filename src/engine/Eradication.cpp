#include "engine/Eradication.h"

#include "erasure/FileEraser.h"
#include "erasure/FileGuard.h"
#include "erasure/FolderWalk.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace sweepora {

DWORD EradicateFile(Session& s, const std::string& filePath, std::int16_t passes)
{
    EraseContext context = s.Erasure();
    context.passes = passes;
    return EraseNamedFile(context, filePath);
}

void EradicateFolder(Session& s, std::string& folderPath, bool removeFolder, bool removeSubfolders)
{
    if (folderPath.empty()) return;
    folderPath = AddBackslash(folderPath);
    EraseContext context = s.Erasure();
    WalkRequest request;
    request.display = folderPath;
    request.folder = LongPath(folderPath);
    request.removeFolder = removeFolder;
    request.removeSubfolders = removeSubfolders;
    WalkFolder(context, request);
}

void CleanCustomDirs(Session& s)
{
    // The administrator's folders join the user's, each folder once.
    const ProtectedPlaces places = CurrentProtectedPlaces();
    std::vector<std::string> folders = s.settings.CustomDirList;
    for (const std::string& folder : s.settings.PolicyCustomDirList) {
        bool listed = false;
        for (const std::string& own : folders) listed = listed || EqualsIgnoringCase(own, folder);
        if (!listed) folders.push_back(folder);
    }
    for (const std::string& folder : folders) {
        const std::string refusal = CustomDirRefusal(folder, places);
        if (!refusal.empty()) {
            s.log.AddLogEntry(folder, "Skipped: " + refusal);
        } else {
            std::string path = folder;
            EradicateFolder(s, path, true, true);
        }
        s.host.YieldToQueue();
        if (s.run.abort) break;
    }
}

} // namespace sweepora
