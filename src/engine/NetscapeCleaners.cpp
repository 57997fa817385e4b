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

bool FileThere(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The end line's status once the files are dealt with: the timestamp when all that was
// there went, otherwise how many stayed (each has its own line above).
std::string EndStatus(const Session& s, std::int64_t leftBefore, bool anyThere, const char* nothing)
{
    const std::int64_t stayed = s.run.filesLeft - leftBefore;
    if (stayed > 0)
        return "Not cleared: " + std::to_string(stayed) + (stayed == 1 ? " file" : " files") +
               " stayed, each named in its own line";
    if (!anyThere) return std::string("Nothing to clear: ") + nothing;
    return TimestampText();
}

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
    const std::int64_t left = s.run.filesLeft;
    EradicateFolder(s, cache, false, true);
    if (!s.run.abort) EradicateFile(s, *folder + "cookies.txt", s.settings.Passes());
    if (s.run.abort)
        s.log.AddLogEntry("Netscape Cache/Cookies ", "**Aborted**");
    else
        s.log.AddLogEntry(kCacheTask, EndStatus(s, left, true, ""));
}

void CleanNetscapeHistory(Session& s)
{
    s.host.YieldToQueue();
    const std::optional<std::string> folder = GetNetscapeUserDir();
    if (!folder) {
        s.log.AddLogEntry(kHistoryTask, kTerminated);
        return;
    }
    const std::string history = *folder + "netscape.hst";
    const std::int64_t left = s.run.filesLeft;
    const bool there = FileThere(history);
    EradicateFile(s, history, s.settings.Passes());
    s.log.AddLogEntry(kHistoryTask, s.run.abort ? kAboted : EndStatus(s, left, there, "there is no netscape.hst"));
}

void CleanNetscapeMail(Session& s)
{
    s.host.YieldToQueue();
    const std::optional<std::string> folder = GetNetscapeUserDir();
    if (!folder || s.run.abort) return;
    const std::int64_t left = s.run.filesLeft;
    bool there = false;
    for (const char* name : {"mail\\trash", "mail\\trash.nsm"}) {
        there = FileThere(*folder + name) || there;
        EradicateFile(s, *folder + name, s.settings.Passes());
    }
    if (s.run.abort)
        s.log.AddLogEntry("Netscape mails History", kAboted);
    else
        s.log.AddLogEntry("Netscape mailes History", EndStatus(s, left, there, "there is no mail trash"));
}

} // namespace sweepora
