#include "browsers/BrowserProfiles.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"

#include "support/TestSupport.h"

#include <algorithm>

using namespace sweepora;

namespace {

const std::string kStore = "Local\\Packages\\Mozilla.Firefox_n80bbvh6b1yt2\\LocalCache";

// Scratch Local and Roaming AppData folders; paths below are relative to the scratch folder.
struct BrowserFixture : ::testing::Test {
    test::TempFolder folder;
    BrowserRoots roots{WideFromUtf8(folder.File("Local")), WideFromUtf8(folder.File("Roaming"))};
    std::vector<SkippedProfile> skipped;

    void MakeFolders(const std::string& relative)
    {
        std::string path = folder.Path();
        for (std::string_view part : PathParts(relative)) {
            path += "\\" + std::string(part);
            ::CreateDirectoryW(LongPath(path).c_str(), nullptr);
        }
    }
    void Write(const std::string& relative, const std::string& bytes)
    {
        MakeFolders(FolderOf(relative));
        test::WriteFileBytes(folder.File(relative), bytes);
    }
    std::string Relative(const std::string& shown) const
    {
        const std::string base = folder.Path() + "\\";
        return shown.compare(0, base.size(), base) == 0 ? shown.substr(base.size()) : shown;
    }
    std::string Relative(const std::wstring& longPath) const { return Relative(DisplayPath(longPath)); }
    // "Browser|name|folder" of each profile found, in order.
    test::Texts Found()
    {
        skipped.clear();
        test::Texts texts;
        for (const BrowserProfile& p : FindBrowserProfiles(roots, &skipped))
            texts.push_back(std::string(BrowserOf(p.browser).name) + "|" + p.name + "|" + Relative(p.folder));
        return texts;
    }
    std::vector<BrowserProfile> Profiles(BrowserId id)
    {
        std::vector<BrowserProfile> all = FindBrowserProfiles(roots, &skipped), chosen;
        std::copy_if(all.begin(), all.end(), std::back_inserter(chosen),
                     [id](const BrowserProfile& p) { return p.browser == id; });
        return chosen;
    }
    // "entry|reason" of each skipped entry, the entry relative to the scratch folder.
    test::Texts Skipped() const
    {
        test::Texts texts;
        for (const SkippedProfile& s : skipped) texts.push_back(Relative(s.entry) + "|" + s.reason);
        return texts;
    }
};

std::string Ini(std::initializer_list<const char*> lines, const char* end = "\r\n")
{
    std::string text;
    for (const char* line : lines) text += std::string(line) + end;
    return text;
}

} // namespace

TEST_F(BrowserFixture, FindsEveryProfileInOrderAndSaysWhyEntriesAreSkipped)
{
    const std::string chrome = "Local\\Google\\Chrome\\User Data\\";
    for (const char* name : {"Profile 10", "Default", "Profile 2", "Profile 1", "GrShaderCache", "ShaderCache"})
        MakeFolders(chrome + name);
    Write(chrome + "Profile 3", "a file, not a folder");
    Write(chrome + "Local State", "{\"profile\": {\"info_cache\": {\"Default\": ");

    const std::string edge = "Local\\Microsoft\\Edge\\User Data\\";
    for (const char* name : {"Default", "ShaderCache", "NoPrefs"}) MakeFolders(edge + name);
    Write(edge + "Work\\Preferences", "{}");
    Write(edge + "Local State", R"({"profile": {"info_cache": {
        "Default": {"name": "Personal"}, "Work": {"name": "Work"}, "ShaderCache": {"name": "x"},
        "..\\Evil": {"name": "y"}, "Gone": {"name": "z"}, "NoPrefs": {"name": "w"}}}})");

    MakeFolders("Roaming\\Opera Software\\Opera Stable");
    // The channels and forks, each in a folder of its own.
    MakeFolders("Roaming\\Opera Software\\Opera GX Stable");
    for (const char* data : {"Google\\Chrome SxS", "Google\\Chrome Beta", "Microsoft\\Edge Dev",
                             "BraveSoftware\\Brave-Browser-Nightly"})
        MakeFolders("Local\\" + std::string(data) + "\\User Data\\Default");

    const std::string outside = folder.File("Elsewhere\\work.profile");
    MakeFolders("Elsewhere\\work.profile");
    for (const char* name : {"abcd.default-release", "self-test"}) MakeFolders("Roaming\\Mozilla\\Firefox\\Profiles\\" + std::string(name));
    MakeFolders("Roaming\\Outside");
    const std::string userProfile = test::EnvironmentText("USERPROFILE");
    ASSERT_FALSE(userProfile.empty());
    const std::string firefoxIni = Ini({"[General]", "StartWithLastProfile=1", "", "[Profile1]", "Name=default-release",
                                        "IsRelative=1", "Path=Profiles/abcd.default-release", "Default=1", "",
                                        "[Profile0]", "Name=work", "IsRelative=0"}) +
                                   "Path=" + outside + "\r\n" +
                                   Ini({"this line is broken", "[Profile2]", "Name=escape", "IsRelative=1",
                                        "Path=Profiles/../../Outside", "[Profile3]", "Name=home", "IsRelative=0"}) +
                                   "Path=" + userProfile + "\r\n" +
                                   Ini({"[Profile4]", "Name=drive", "IsRelative=0", "Path=C:\\", "[Profile5]",
                                        "Name=gone", "IsRelative=1", "Path=Profiles/missing", "[Profile6]",
                                        "Name=nopath", "IsRelative=1", "[Profile7]", "Name=self", "IsRelative=1",
                                        "Path=.", "[Install308046B0AF4A39CB]", "Default=Profiles/abcd.default-release"});
    Write("Roaming\\Mozilla\\Firefox\\profiles.ini", firefoxIni);

    // LF only, in the Store package and in Waterfox.
    Write(kStore + "\\Roaming\\Mozilla\\Firefox\\profiles.ini",
          Ini({"[Profile0]", "Name=store", "IsRelative=1", "Path=Profiles/st0re.default"}, "\n"));
    MakeFolders(kStore + "\\Roaming\\Mozilla\\Firefox\\Profiles\\st0re.default");
    Write("Roaming\\Waterfox\\profiles.ini",
          Ini({"[Profile0]", "Name=Water", "IsRelative=1", "Path=Profiles\\w.default"}, "\n"));
    MakeFolders("Roaming\\Waterfox\\Profiles\\w.default");

    EXPECT_EQ(Found(), (test::Texts{
                           "Google Chrome|Default|" + chrome + "Default",
                           "Google Chrome|Profile 1|" + chrome + "Profile 1",
                           "Google Chrome|Profile 2|" + chrome + "Profile 2",
                           "Google Chrome|Profile 10|" + chrome + "Profile 10",
                           "Google Chrome Beta|Default|Local\\Google\\Chrome Beta\\User Data\\Default",
                           "Google Chrome Canary|Default|Local\\Google\\Chrome SxS\\User Data\\Default",
                           "Microsoft Edge|Personal|" + edge + "Default",
                           "Microsoft Edge|Work|" + edge + "Work",
                           "Microsoft Edge Dev|Default|Local\\Microsoft\\Edge Dev\\User Data\\Default",
                           "Brave Nightly|Default|Local\\BraveSoftware\\Brave-Browser-Nightly\\User Data\\Default",
                           "Opera|Default|Roaming\\Opera Software\\Opera Stable",
                           "Opera GX|Default|Roaming\\Opera Software\\Opera GX Stable",
                           "Firefox|default-release|Roaming\\Mozilla\\Firefox\\Profiles\\abcd.default-release",
                           "Firefox|store|" + kStore + "\\Roaming\\Mozilla\\Firefox\\Profiles\\st0re.default",
                           "Firefox|work|Elsewhere\\work.profile",
                           "Waterfox|Water|Roaming\\Waterfox\\Profiles\\w.default",
                       }));

    const std::string ini = "Roaming\\Mozilla\\Firefox\\profiles.ini";
    test::Texts expected = {
        chrome + "Local State|it is not valid JSON: the profiles were found by their folder names",
        edge + "..\\Evil|Local State names it, but it is not a folder name",
        edge + "NoPrefs|Local State names it, but it holds no Preferences file",
        edge + "ShaderCache|a folder every profile shares, not a profile",
        ini + " line 14|not a [section] or name=value line",
        ini + " [Profile2]|its Path leaves Firefox's folder through \"..\"",
        ini + " [Profile3]|it holds the profile folder",
        ini + " [Profile4]|it is the root of a drive",
        ini + " [Profile6]|it names no Path",
        ini + " [Profile7]|it is Firefox's own folder, not a profile",
    };
    test::Texts got = Skipped();
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);

    // The local caches: beside the roaming profile in Local AppData, in the Store package's
    // own Local folder, and the folder itself for a profile outside the browser's folders.
    test::Texts local;
    for (const BrowserProfile& p : Profiles(BrowserId::Firefox))
        local.push_back(Relative(p.localFolder) + "|" + Relative(p.dataFolder));
    EXPECT_EQ(local, (test::Texts{
                         "Local\\Mozilla\\Firefox\\Profiles\\abcd.default-release|Roaming\\Mozilla\\Firefox",
                         kStore + "\\Local\\Mozilla\\Firefox\\Profiles\\st0re.default|" + kStore +
                             "\\Roaming\\Mozilla\\Firefox",
                         "Elsewhere\\work.profile|Roaming\\Mozilla\\Firefox",
                     }));
    const std::vector<BrowserProfile> chromes = Profiles(BrowserId::Chrome);
    ASSERT_FALSE(chromes.empty());
    EXPECT_EQ(Relative(chromes[0].dataFolder), "Local\\Google\\Chrome\\User Data");
    EXPECT_TRUE(chromes[0].localFolder.empty());
    // Opera keeps its caches in Local AppData, apart from its roaming profile.
    const std::vector<BrowserProfile> gx = Profiles(BrowserId::OperaGX);
    ASSERT_EQ(gx.size(), 1u);
    EXPECT_EQ(Relative(gx[0].localFolder), "Local\\Opera Software\\Opera GX Stable");
    EXPECT_EQ(chromes[0].folder.compare(0, 4, L"\\\\?\\"), 0);
}

TEST_F(BrowserFixture, BadFilesAndRootsNeverBreakTheSearch)
{
    // No folders at all, or roots that are not full paths: nothing found, nothing to say.
    EXPECT_TRUE(Found().empty());
    EXPECT_TRUE(skipped.empty());
    for (const BrowserRoots& bad : {BrowserRoots{}, BrowserRoots{L"Local", L"relative\\Roaming"}}) {
        EXPECT_TRUE(FindBrowserProfiles(bad, &skipped).empty());
        EXPECT_TRUE(skipped.empty());
    }

    // A Local State nested far deeper than any parser's stack, and one of the wrong shape:
    // the folders still speak.
    const std::string chrome = "Local\\Google\\Chrome\\User Data\\";
    const std::string chromeDefault = "Google Chrome|Default|" + chrome + "Default";
    MakeFolders(chrome + "Default");
    Write(chrome + "Local State", std::string(300000, '[') + std::string(300000, ']'));
    EXPECT_EQ(Found(), test::Texts{chromeDefault});
    EXPECT_EQ(Skipped(), (test::Texts{chrome + "Local State|it is not valid JSON: the profiles were found by their "
                                               "folder names"}));
    for (const char* shape : {"[1, 2]", R"({"profile": 7})", R"({"profile": {"info_cache": [1, 2]}})",
                              R"({"profile": {"info_cache": {"Default": 5, "Profile 4": null}}})"}) {
        Write(chrome + "Local State", shape);
        EXPECT_EQ(Found(), test::Texts{chromeDefault}) << shape;
    }

    // Thousands of entries: the first thousand are read, the rest told in one line.
    std::string names = R"({"profile": {"info_cache": {)";
    std::string sections;
    for (int i = 0; i < 1500; ++i) {
        names += (i ? ",\"" : "\"") + std::string(i % 2 ? "bad/" : "") + "p" + std::to_string(i) + "\": {}";
        sections += "[Profile" + std::to_string(i) + "]\nIsRelative=1\nPath=Profiles/p" + std::to_string(i) + "\n";
    }
    Write(chrome + "Local State", names + "}}}");
    Write("Roaming\\Mozilla\\Firefox\\profiles.ini", sections);
    EXPECT_EQ(Found(), test::Texts{chromeDefault});
    // Read in name order: the 750 names that are no folder names come first.
    ASSERT_EQ(skipped.size(), 1u + 750 + 1);
    EXPECT_EQ(Skipped().front(), chrome + "Local State|it names 1500 profiles: only the first 1000 were read");
    EXPECT_EQ(Skipped().back(), "Roaming\\Mozilla\\Firefox\\profiles.ini|500 more profiles than the 1000 read");
    Write(chrome + "Local State", "{}");

    // Binary garbage before a good section: a few of its lines are told, then how many more.
    const std::string ini = "Roaming\\Mozilla\\Firefox\\profiles.ini";
    MakeFolders("Roaming\\Mozilla\\Firefox\\Profiles\\x");
    std::string garbage;
    for (int i = 0; i < 200; ++i) garbage += std::string("\x01[\xFF=\0", 5) + std::to_string(i) + "\n";
    Write(ini, garbage + Ini({"[Profile0]", "IsRelative=1", "Path=Profiles/x"}));
    EXPECT_EQ(Found(), (test::Texts{chromeDefault, "Firefox|x|Roaming\\Mozilla\\Firefox\\Profiles\\x"}));
    test::Texts told = Skipped();
    ASSERT_EQ(told.size(), 6u);
    EXPECT_EQ(told[0], ini + " line 1|not a [section] or name=value line");
    EXPECT_EQ(told[4], ini + " line 5|not a [section] or name=value line");
    EXPECT_EQ(told[5], ini + "|195 more lines that are not settings");

    // Larger than any real one.
    Write(ini, Ini({"[Profile0]", "IsRelative=1", "Path=Profiles/x"}) + std::string(1 << 20, ';'));
    Found();
    EXPECT_EQ(Skipped(), (test::Texts{ini + "|it is larger than 1 MiB: no profile read from it"}));

    // Over-long, mislabelled and impossible paths each get their reason.
    Write(ini, Ini({"[Profile0]", "IsRelative=1"}) + "Path=" + std::string(40000, 'a') + "\r\n" +
                   Ini({"[Profile1]", "IsRelative=1", "Path=C:\\Profiles\\x", "[Profile2]", "Path=Profiles/x",
                        "[Profile3]", "IsRelative=1", "Path=Profiles/x:stream", "[Profile4]", "IsRelative=0",
                        "Path=\\\\?\\C:\\", "[Profile5]", "IsRelative=1", "Path=Profiles/./x/", "[Profile6]",
                        "IsRelative=1", "Path=Profiles/a<b"}));
    EXPECT_EQ(Found(), (test::Texts{chromeDefault, "Firefox|x|Roaming\\Mozilla\\Firefox\\Profiles\\x"}));
    EXPECT_EQ(Skipped(), (test::Texts{ini + " [Profile0]|its Path is longer than Windows allows",
                                      ini + " [Profile1]|IsRelative=1, but its Path is not relative",
                                      ini + " [Profile2]|its Path is neither a full path nor marked IsRelative=1",
                                      ini + " [Profile3]|IsRelative=1, but its Path is not relative",
                                      ini + " [Profile4]|its Path is a device path",
                                      ini + " [Profile6]|its Path holds a name no folder can have"}));
}

// Wine 8 makes no links from inside a prefix; the host makes them, and names the folder
// that holds them in SWEEPORA_BROWSER_LINKS (see tests/engine/CMakeLists.txt).
TEST_F(BrowserFixture, FoldersReachedThroughLinksAreNotProfiles)
{
    const std::string links = test::EnvironmentText("SWEEPORA_BROWSER_LINKS");
    if (links.empty()) GTEST_SKIP() << "links are made by the host: run engine_tests.browser_links";
    // Prepared by the host: Chrome's "Profile 2" and Firefox's "Profiles\linked" are links
    // to "Target"; "Default" and "Profiles\real" are folders.
    roots = {WideFromUtf8(links + "\\Local"), WideFromUtf8(links + "\\Roaming")};
    std::vector<BrowserProfile> found = FindBrowserProfiles(roots, &skipped);
    test::Texts names, reasons;
    for (const BrowserProfile& p : found) names.push_back(p.name);
    for (const SkippedProfile& s : skipped) reasons.push_back(s.entry + "|" + s.reason);
    EXPECT_EQ(names, (test::Texts{"Default", "real"}));
    const std::string chrome = links + "\\Local\\Google\\Chrome\\User Data\\Profile 2";
    const std::string firefox = links + "\\Roaming\\Mozilla\\Firefox\\profiles.ini [Profile1]";
    EXPECT_EQ(reasons, (test::Texts{chrome + "|it is reached through a link (" + chrome + ")",
                                    firefox + "|it is reached through a link (" + links +
                                        "\\Roaming\\Mozilla\\Firefox\\Profiles\\linked)"}));
}

TEST_F(BrowserFixture, AProfileIsInUseWhileItsBrowserHoldsTheLock)
{
    MakeFolders("Local\\Google\\Chrome\\User Data\\Default");
    MakeFolders("Local\\Google\\Chrome Dev\\User Data\\Default");
    Write("Roaming\\Mozilla\\Firefox\\profiles.ini", Ini({"[Profile0]", "Name=main", "IsRelative=1", "Path=Profiles/m"}));
    MakeFolders("Roaming\\Mozilla\\Firefox\\Profiles\\m");
    const std::vector<BrowserProfile> firefox = Profiles(BrowserId::Firefox), chrome = Profiles(BrowserId::Chrome);
    ASSERT_EQ(firefox.size(), 1u);
    ASSERT_EQ(chrome.size(), 1u);
    EXPECT_EQ(ProfileInUse(firefox[0]), "");
    EXPECT_EQ(ProfileInUse(chrome[0]), "");

    const auto open = [](const std::wstring& path, DWORD access, DWORD share, DWORD how, DWORD flags = 0) {
        UniqueFile file(::CreateFileW(path.c_str(), access, share, nullptr, how, flags, nullptr));
        EXPECT_TRUE(file);
        return file;
    };
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const std::string firefoxRuns = "Firefox is running: close it first, then clean again";

    // Firefox holds parent.lock open without sharing it; the file stays when Firefox ends.
    const std::wstring parentLock = firefox[0].folder + L"\\parent.lock";
    {
        UniqueFile held = open(parentLock, GENERIC_READ, 0, OPEN_ALWAYS);
        EXPECT_EQ(ProfileInUse(firefox[0]), firefoxRuns);
        EXPECT_EQ(ProfileInUse(chrome[0]), "");
    }
    EXPECT_EQ(ProfileInUse(firefox[0]), "");
    // A reader that shares everything (a backup, a scanner) is no browser.
    UniqueFile reader = open(parentLock, GENERIC_READ, shareAll, OPEN_EXISTING);
    EXPECT_EQ(ProfileInUse(firefox[0]), "");
    reader.reset();
    // The user may not write to it: Firefox's hold still shows.
    ASSERT_TRUE(::SetFileAttributesW(parentLock.c_str(), FILE_ATTRIBUTE_READONLY));
    UniqueFile held = open(parentLock, GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_EQ(ProfileInUse(firefox[0]), firefoxRuns);
    held.reset();

    // Chrome holds "lockfile" in User Data open for writing, shared for reading only, and
    // deleted on close.
    const std::wstring lockfile = chrome[0].dataFolder + L"\\lockfile";
    held = open(lockfile, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE);
    EXPECT_EQ(ProfileInUse(chrome[0]), "Google Chrome is running: close it first, then clean again");
    EXPECT_EQ(ProfileInUse(firefox[0]), "");
    // Another channel of the same program has a lock of its own.
    const std::vector<BrowserProfile> dev = Profiles(BrowserId::ChromeDev);
    ASSERT_EQ(dev.size(), 1u);
    EXPECT_EQ(ProfileInUse(dev[0]), "");
    {
        UniqueFile devHeld = open(dev[0].dataFolder + L"\\lockfile", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS,
                                  FILE_FLAG_DELETE_ON_CLOSE);
        EXPECT_EQ(ProfileInUse(dev[0]), "Google Chrome Dev is running: close it first, then clean again");
    }
    held.reset();
    EXPECT_EQ(ProfileInUse(chrome[0]), "");
    // A lock left by a browser that ended, opened by a reader sharing everything: free.
    test::WriteFileBytes(DisplayPath(lockfile), "");
    reader = open(lockfile, GENERIC_READ, shareAll, OPEN_EXISTING);
    EXPECT_EQ(ProfileInUse(chrome[0]), "");
}

TEST(RunningBrowsers, TellsTheBrowsersFromTheProcessList)
{
    const auto running = [](std::vector<RunningProcess> list) {
        test::Texts names;
        for (BrowserId id : RunningBrowsers([list] { return list; })) names.push_back(BrowserOf(id).name);
        return names;
    };
    // An image of one browser alone names it, in any case; one that channels or forks share
    // names none of them without a folder that tells: their locks say which one runs.
    for (const Browser& browser : KnownBrowsers()) {
        for (const std::wstring& image : browser.images) {
            const test::Texts got = running({{L"System", L""}, {UpperCaseWide(image), L""}});
            const bool shared = std::count_if(KnownBrowsers().begin(), KnownBrowsers().end(), [&](const Browser& b) {
                                    return b.images == browser.images;
                                }) > 1;
            EXPECT_EQ(got, shared ? test::Texts{} : test::Texts{browser.name}) << Utf8FromWide(image);
        }
    }
    EXPECT_EQ(running({{L"chrome.exe", L"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe"},
                       {L"firefox.exe", L"C:\\Program Files\\Mozilla Firefox\\firefox.exe"}}),
              (test::Texts{"Google Chrome", "Firefox"}));
    EXPECT_EQ(running({{L"chrome.exe", L"C:\\Users\\ann\\AppData\\Local\\Chromium\\Application\\chrome.exe"}}),
              test::Texts{"Chromium"});
    EXPECT_EQ(running({{L"CHROME.EXE", L"c:\\users\\ann\\appdata\\local\\google\\chrome sxs\\application\\chrome.exe"},
                       {L"chrome.exe", L"C:\\Program Files\\Google\\Chrome Beta\\Application\\chrome.exe"},
                       {L"msedge.exe", L"C:\\Program Files (x86)\\Microsoft\\Edge Dev\\Application\\msedge.exe"},
                       {L"brave.exe", L"C:\\Program Files\\BraveSoftware\\Brave-Browser-Nightly\\Application\\brave.exe"},
                       {L"opera.exe", L"C:\\Users\\ann\\AppData\\Local\\Programs\\Opera GX\\opera.exe"}}),
              (test::Texts{"Google Chrome Beta", "Google Chrome Canary", "Microsoft Edge Dev", "Brave Nightly", "Opera GX"}));
    EXPECT_TRUE(running({{L"chrome.exe", L"D:\\Portable\\chrome.exe"}}).empty());
    EXPECT_TRUE(running({{L"notchrome.exe", L""}, {L"chrome.exe.bak", L""}, {L"chrome", L""}, {L"", L""}}).empty());
    EXPECT_TRUE(running({}).empty());

    EXPECT_EQ(RunningImages({L"a.exe", L"B.EXE", L"b.exe", L"c.exe"}, [] {
                  return std::vector<RunningProcess>{{L"b.exe", L""}, {L"A.exe", L""}, {L"b.exe", L""}};
              }),
              (std::vector<std::wstring>{L"a.exe", L"B.EXE"}));
}

TEST(RunningBrowsers, ReadsTheSystemsProcessList)
{
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring image = self;
    image = UpperCaseWide(image.substr(image.find_last_of(L'\\') + 1));
    EXPECT_EQ(RunningImages({L"no-such-program.exe", image}), std::vector<std::wstring>{image});
    bool selfWithPath = false;
    for (const RunningProcess& p : CurrentProcesses())
        selfWithPath = selfWithPath || SamePath(p.path, self);
    EXPECT_TRUE(selfWithPath);
    // The sandbox runs no browser.
    EXPECT_TRUE(RunningBrowsers().empty());
}
