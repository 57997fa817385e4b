#pragma once
// Today's browsers and their profiles: where each keeps them, which of its processes
// say it runs, and whether a profile is held by a running browser. Nothing here deletes.
#include "erasure/ProtectedPlaces.h"

#include <functional>
#include <string>
#include <vector>

namespace sweepora {

enum class BrowserFamily { Chromium, Firefox };

// In the order profiles are listed; a browser's channels after its stable one.
enum class BrowserId {
    Chrome,
    ChromeBeta,
    ChromeDev,
    ChromeCanary,
    Edge,
    EdgeBeta,
    EdgeDev,
    EdgeCanary,
    Brave,
    BraveBeta,
    BraveNightly,
    Vivaldi,
    Opera,
    OperaGX,
    Chromium,
    Firefox,
    Waterfox,
    LibreWolf
};

struct Browser {
    BrowserId id;
    const char* name; // as the log shows it: "Google Chrome"
    BrowserFamily family;
    // Process image names ("chrome.exe") that mean it runs; compared without case.
    std::vector<std::wstring> images;
};

// Every browser known here, in BrowserId order.
const std::vector<Browser>& KnownBrowsers();
const Browser& BrowserOf(BrowserId id);

struct BrowserProfile {
    BrowserId browser = BrowserId::Chrome;
    std::string name;         // what the browser calls it, UTF-8
    std::wstring folder;      // "\\?\" path of the profile folder
    // Where its caches live apart from the profile (the Firefox family's local folder, Opera's
    // folder in Local AppData); may not exist; empty when the caches are in the profile.
    std::wstring localFolder;
    std::wstring dataFolder;  // "User Data" (or Opera's folder), or the folder of profiles.ini
};

// An entry that looked like a profile and is not taken, and why.
struct SkippedProfile {
    BrowserId browser = BrowserId::Chrome;
    std::string entry;  // "profiles.ini [Profile2]", "User Data\ShaderCache", ...
    std::string reason; // "its path leaves Firefox's folder through \"..\""
};

// The two AppData folders the browsers keep their profiles in, any spelling.
struct BrowserRoots {
    std::wstring localAppData;
    std::wstring roamingAppData;
};
// This user's, as the shell reports them.
BrowserRoots CurrentBrowserRoots();

// Every profile of every known browser under `roots`, ordered by browser, then by name
// (numbers in names compared as numbers). Missing folders are skipped quietly; entries
// refused (links, paths outside the browser's folders, protected places, broken lines)
// are added to `skipped` when given. `places` defaults to this machine's.
std::vector<BrowserProfile> FindBrowserProfiles(const BrowserRoots& roots,
                                                std::vector<SkippedProfile>* skipped = nullptr);
std::vector<BrowserProfile> FindBrowserProfiles(const BrowserRoots& roots, const ProtectedPlaces& places,
                                                std::vector<SkippedProfile>* skipped);

// One process as the system lists it; `path` is its full image path, empty when the
// process could not be asked.
struct RunningProcess {
    std::wstring image;
    std::wstring path;
};
using ProcessSource = std::function<std::vector<RunningProcess>()>;

// The processes running now (a Toolhelp snapshot).
std::vector<RunningProcess> CurrentProcesses();

// Which of `images` run now, as given, each once.
std::vector<std::wstring> RunningImages(const std::vector<std::wstring>& images,
                                        const ProcessSource& processes = CurrentProcesses);

// The known browsers with a process running, in BrowserId order. Browsers that share an
// image (Chrome's channels and Chromium "chrome.exe", Edge's channels, Brave's, Opera and
// Opera GX) are told apart by the folder it runs from; where that does not tell, none of
// them counts here, and each profile's lock says whether that browser runs (ProfileInUse).
std::vector<BrowserId> RunningBrowsers(const ProcessSource& processes = CurrentProcesses);

// "Google Chrome is running: close it first, then clean again"
std::string BrowserRunningReason(BrowserId id);

// The reason above when a running browser holds the profile's lock (Firefox's parent.lock,
// the Chromium family's lockfile in User Data); empty when the profile is free.
std::string ProfileInUse(const BrowserProfile& profile);

} // namespace sweepora
