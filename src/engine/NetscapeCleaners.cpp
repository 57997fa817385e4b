#include "engine/NetscapeCleaners.h"

#include "engine/Eradication.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/RegistryAccess.h"
#include "platform/Text.h"
#include "platform/Timestamp.h"
#include "platform/WideText.h"

namespace sweepora {

namespace {

constexpr const char* kCacheTask = "Netscape Cache/Cookies";
constexpr const char* kHistoryTask = "Netscape History";
constexpr const char* kTerminated = "Terminated";
// Not a typo to fix: the history and mail lines have always read so.
constexpr const char* kAboted = "**Aboted**";

} // namespace

std::optional<std::string> GetNetscapeUserDir()
{
    const std::string profile = GetRegString(HKEY_LOCAL_MACHINE, kNetscapeUsersKey, "CurrentUser");
    if (profile.empty()) return std::nullopt;
    const std::string profileKey = std::string(kNetscapeUsersKey) + "\\" + TrimBlanks(profile);
    // Only a full folder path is a profile: a missing, empty or relative DirRoot, or one of
    // another type, would send the cleaners to the root of some drive.
    const std::string folder = Utf8FromAnsi(GetRegString(HKEY_LOCAL_MACHINE, profileKey, "DirRoot"));
    if (!IsAbsolutePath(folder) || IsVolumeRoot(CanonicalFolder(folder))) return std::nullopt;
    return AddBackslash(folder);
}

void CleanNetscapeCache(Session& s)
{
    const std::optional<std::string> folder = GetNetscapeUserDir();
    if (!folder) {
        s.log.AddLogEntry(kCacheTask, kTerminated);
        return;
    }
    std::string cache = *folder + "cache";
    EradicateFolder(s, cache, false, true);
    if (!s.run.abort) EradicateFile(s, *folder + "cookies.txt", s.settings.Passes());
    if (s.run.abort)
        s.log.AddLogEntry("Netscape Cache/Cookies ", "**Aborted**");
    else
        s.log.AddLogEntry(kCacheTask, TimestampText());
}

void CleanNetscapeHistory(Session& s)
{
    s.host.YieldToQueue();
    const std::optional<std::string> folder = GetNetscapeUserDir();
    if (!folder) {
        s.log.AddLogEntry(kHistoryTask, kTerminated);
        return;
    }
    EradicateFile(s, *folder + "netscape.hst", s.settings.Passes());
    s.log.AddLogEntry(kHistoryTask, s.run.abort ? kAboted : TimestampText());
}

void CleanNetscapeMail(Session& s)
{
    s.host.YieldToQueue();
    const std::optional<std::string> folder = GetNetscapeUserDir();
    if (!folder || s.run.abort) return;
    EradicateFile(s, *folder + "mail\\trash", s.settings.Passes());
    EradicateFile(s, *folder + "mail\\trash.nsm", s.settings.Passes());
    if (s.run.abort)
        s.log.AddLogEntry("Netscape mails History", kAboted);
    else
        s.log.AddLogEntry("Netscape mailes History", TimestampText());
}

} // namespace sweepora
