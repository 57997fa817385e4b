#include "erasure/FileGuard.h"
#include "erasure/ProtectedPlaces.h"
#include "erasure/RegistryGuard.h"
#include "platform/LongPath.h"
#include "platform/TaskScheduler.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

namespace sweepora {

namespace {

using Masks = std::vector<std::wstring>;
using Paths = std::vector<std::wstring>;
using Texts = std::vector<std::string>;

// "C:\Users\Anna" -> "\\?\C:\USERS\ANNA\", as CanonicalFolder spells it.
std::wstring F(const std::wstring& path)
{
    std::wstring canonical = L"\\\\?\\" + path + (path.back() == L'\\' ? L"" : L"\\");
    for (wchar_t& c : canonical) c = static_cast<wchar_t>(std::towupper(c));
    return canonical;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// Anna's machine: a 64-bit Windows with her Pictures moved to drive D:.
ProtectedPlaces Anna()
{
    ProtectedPlaces p;
    p.windows = F(L"C:\\Windows");
    p.programFiles = {F(L"C:\\Program Files"), F(L"C:\\Program Files (x86)"),
                      F(L"C:\\Users\\Anna\\AppData\\Local\\Programs")};
    p.programData = F(L"C:\\ProgramData");
    p.profile = F(L"C:\\Users\\Anna");
    p.profilesRoot = F(L"C:\\Users");
    p.publicProfile = F(L"C:\\Users\\Public");
    p.roamingAppData = F(L"C:\\Users\\Anna\\AppData\\Roaming");
    p.localAppData = F(L"C:\\Users\\Anna\\AppData\\Local");
    p.localLowAppData = F(L"C:\\Users\\Anna\\AppData\\LocalLow");
    for (const wchar_t* own : {L"Documents", L"Desktop", L"Downloads", L"Music", L"Videos", L"Favorites", L"Saved Games",
                               L"OneDrive"})
        p.userFolders.push_back(F(std::wstring(L"C:\\Users\\Anna\\") + own));
    p.userFolders.push_back(F(L"D:\\Anna\\Pictures"));
    p.userFolders.push_back(F(L"C:\\Users\\Public\\Documents"));
    p.temp = p.localAppData + L"TEMP\\";
    return p;
}

const std::wstring kRoaming = L"C:\\Users\\Anna\\AppData\\Roaming\\";
const std::wstring kLocal = L"C:\\Users\\Anna\\AppData\\Local\\";
const std::wstring kDocuments = L"C:\\Users\\Anna\\Documents\\";

FolderJudgement Judge(const std::wstring& folder, const Masks& masks, bool recurse = false, bool removeSelf = false)
{
    return JudgeFolder(Anna(), F(folder), masks, recurse, removeSelf);
}

bool MaskGoes(const std::wstring& folder, const std::wstring& mask)
{
    const FolderJudgement j = Judge(folder, {mask});
    // Every refusal is said; nothing allowed is.
    EXPECT_EQ(j.refusals.empty(), j.masks.size() == 1) << Narrow(folder) << " " << Narrow(mask);
    return j.masks == Masks{mask};
}

bool Goes(const std::wstring& folder, const std::wstring& name)
{
    const bool goes = FileMayGo(Anna(), F(folder), name);
    EXPECT_EQ(goes, FileRefusal(Anna(), F(folder), name).empty()) << Narrow(folder) << " " << Narrow(name);
    return goes;
}

struct Rule {
    std::wstring folder, what;
    bool goes;
};

void ExpectMasks(const std::vector<Rule>& rules)
{
    for (const Rule& r : rules) EXPECT_EQ(MaskGoes(r.folder, r.what), r.goes) << Narrow(r.folder) << " " << Narrow(r.what);
}

void ExpectFiles(const std::vector<Rule>& rules)
{
    for (const Rule& r : rules) EXPECT_EQ(Goes(r.folder, r.what), r.goes) << Narrow(r.folder) << " " << Narrow(r.what);
}

} // namespace

TEST(FileGuard, ProtectedPlacesAndTheirChildrenAreNeverTakenWhole)
{
    for (const std::wstring& folder : Paths{L"C:\\", L"D:\\", L"C:\\Data", L"C:\\Windows", L"C:\\Windows\\System32",
             L"C:\\Windows\\System32\\drivers\\etc", L"C:\\Program Files", L"C:\\Program Files\\Vendor",
             L"C:\\Program Files (x86)\\Vendor", L"C:\\Program Files\\Common Files\\Vendor",
             L"C:\\Program Files\\WindowsApps\\Package", kLocal + L"Programs\\Editor", L"C:\\ProgramData",
             L"C:\\ProgramData\\Vendor", L"C:\\ProgramData\\Microsoft", kRoaming, kRoaming + L"Mozilla",
             kRoaming + L"Microsoft\\Windows", kLocal, kLocal + L"Google",
             L"C:\\Users\\Anna\\AppData\\LocalLow\\Vendor", L"C:\\Users", L"C:\\Users\\Anna",
             L"C:\\Users\\Anna\\AppData", L"C:\\Users\\Anna\\Dropbox", kDocuments, kDocuments + L"Letters",
             kDocuments + L"My Games", L"C:\\Users\\Anna\\Desktop", L"C:\\Users\\Anna\\OneDrive\\Photos",
             L"D:\\Anna\\Pictures", L"D:\\Anna\\Pictures\\2024", L"C:\\Users\\Public",
             L"C:\\Users\\Public\\Documents\\Scans"}) {
        SCOPED_TRACE(Narrow(folder));
        for (const wchar_t* everything : {L"*.*", L"*", L"?*", L"*.?*", L"**", L"*."})
            EXPECT_FALSE(MaskGoes(folder, everything)) << Narrow(everything);
        const FolderJudgement whole = Judge(folder, {L"*.*"}, true, true);
        EXPECT_FALSE(whole.recurse);
        EXPECT_FALSE(whole.removeSelf);
        ASSERT_FALSE(whole.refusals.empty());
        // The line names the folder, in the spelling the log uses.
        std::string shown = DisplayPath(F(folder));
        if (shown.size() > 3) shown.pop_back();
        EXPECT_EQ(whole.refusals.front().rfind("*.* in " + shown + ": ", 0), 0u) << whole.refusals.front();
    }
    EXPECT_EQ(Judge(L"C:\\Windows\\System32", {L"*.*"}).refusals,
              std::vector<std::string>{"*.* in C:\\WINDOWS\\SYSTEM32: a mask for every file in the Windows folder"});
}

TEST(FileGuard, LegitimateTracesStillGo)
{
    struct Case {
        std::wstring folder, mask;
        bool recurse, removeSelf;
    };
    const std::wstring chrome = kLocal + L"Google\\Chrome\\User Data\\Default\\Cache";
    for (const Case& c : std::vector<Case>{
             {chrome, L"*.*", true, false}, {chrome + L"\\Cache_Data", L"*", true, true},
             {kLocal + L"Discord\\Cache", L"*.*", true, true}, {kLocal + L"Editor", L"*.log", true, false},
             {kLocal + L"Editor\\Logs\\Old", L"*.log", true, true}, {kRoaming + L"Vendor", L"*.log", false, false},
             {kRoaming + L"Vendor\\App\\Logs", L"*.log", true, false}, {L"C:\\ProgramData\\Vendor", L"*.log", true, false},
             {L"C:\\ProgramData\\Vendor\\App\\Logs", L"*.*", true, true}, {kLocal + L"Temp", L"*.*", true, false},
             {kLocal + L"CrashDumps", L"*.dmp", false, false}, {kLocal + L"D3DSCache", L"*", true, false},
             {kLocal + L"Microsoft\\Windows\\INetCache", L"*.*", true, false},
             {kLocal + L"Microsoft\\Windows\\WER\\ReportArchive", L"*.*", true, true},
             {kLocal + L"Microsoft\\Windows\\Explorer", L"thumbcache_*.db", false, false},
             {kRoaming + L"Microsoft\\Windows\\Recent", L"*.lnk", false, false},
             {L"C:\\ProgramData\\Microsoft\\Windows\\WER", L"*.*", true, false},
             {L"C:\\Windows\\Temp", L"*.*", true, false}, {L"C:\\Windows\\Temp\\Setup", L"*.*", true, true},
             {L"C:\\Windows\\Logs", L"*.*", true, false}, {L"C:\\Windows\\SoftwareDistribution\\Download\\1234", L"*", true, true},
             {L"C:\\Windows", L"*.log", false, false}, {L"C:\\Windows", L"SIGVERIF.TXT", false, false},
             {L"C:\\Windows\\System32", L"setupapi.log", false, false}, {L"C:\\Windows\\System32", L"ModemLog_*.txt", false, false},
             {L"C:\\Windows\\System32\\config", L"SAM.bak", false, false}, {L"C:\\Windows\\System32\\config", L"*.bak", false, false},
             {L"C:\\Windows\\System32\\drivers\\etc", L"hosts.*.backup", false, false},
             {L"C:\\Program Files\\Vendor", L"*.log", true, false}, {L"C:\\Program Files\\Vendor\\Cache", L"*.*", true, true},
             {kDocuments + L"My Games\\Game", L"*.log", true, false}, {kDocuments + L"My Games\\Game\\Logs", L"*.log", true, true},
             {L"C:\\Users\\Public\\Documents\\Vendor\\Logs", L"*.log", false, false}, {L"D:\\Games\\Cache", L"*.*", true, true}}) {
        SCOPED_TRACE(Narrow(c.folder) + " " + Narrow(c.mask));
        const FolderJudgement j = Judge(c.folder, {c.mask}, c.recurse, c.removeSelf);
        EXPECT_EQ(j.masks, Masks{c.mask});
        EXPECT_EQ(j.recurse, c.recurse || c.removeSelf);
        EXPECT_EQ(j.removeSelf, c.removeSelf);
        EXPECT_TRUE(j.refusals.empty()) << (j.refusals.empty() ? "" : j.refusals.front());
    }
}

TEST(FileGuard, WindowsFolderGivesUpOnlyTracesNamedAsSuch)
{
    const std::wstring system32 = L"C:\\Windows\\System32";
    for (const wchar_t* mask : {L"*.txt", L"*.dat", L"*.1", L"*.dll", L"kernel32.dll", L"*.lo?", L"*log", L"a*.txt",
                                L"*.log*", L"*.ini", L"drivers.*", L"*.*.log.exe"})
        EXPECT_FALSE(MaskGoes(system32, mask)) << Narrow(mask);
    // A name that merely begins like a trace folder is none.
    ExpectMasks({{system32 + L"\\drivers\\etc", L"hosts", false}, {system32 + L"\\config", L"SAM", false},
                 {L"C:\\Windows", L"win.ini", false}, {L"C:\\Windows\\Temporary", L"*.*", false},
                 {L"C:\\Windows\\SoftwareDistribution", L"*.*", false}});
    EXPECT_FALSE(Judge(L"C:\\Windows", {L"*.log"}, true).recurse);
    EXPECT_FALSE(Judge(system32 + L"\\LogFiles", {L"*.log"}, true).recurse);
    // The trace folder stays; what it holds goes.
    EXPECT_FALSE(Judge(L"C:\\Windows\\Temp", {L"*.*"}, true, true).removeSelf);
    ExpectFiles({{system32, L"setupapi.dev.log", true}, {L"C:\\Windows", L"SIGVERIF.TXT", true},
                 {L"C:\\Windows\\Temp\\Setup", L"installer.exe", true}});
    for (const wchar_t* name : {L"ntoskrnl.exe", L"KERNEL32.DLL", L"hosts", L"win.ini", L"evil.dll.", L"c_1252.nls"})
        EXPECT_FALSE(Goes(system32, name)) << Narrow(name);
}

TEST(FileGuard, ProgramFilesNeverLosesAProgram)
{
    const std::wstring vendor = L"C:\\Program Files\\Vendor", product = vendor + L"\\Product";
    EXPECT_FALSE(Judge(L"C:\\Program Files", {L"*.log"}, true).recurse);
    for (const wchar_t* mask : {L"*.txt", L"unins000.dat", L"*.exe", L"app.exe", L"*.json"})
        EXPECT_FALSE(MaskGoes(vendor, mask)) << Narrow(mask);
    // "Vendor\Product" is the application itself: only its trace folders are taken whole.
    // Only whole names compare: a folder named like Program Files is not one.
    ExpectMasks({{L"C:\\Program Files", L"*.log", false}, {vendor + L"\\Cache", L"*.dll", false},
                 {vendor + L"\\Cache", L"app.exe", false}, {vendor + L"\\Cache", L"*.SYS", false},
                 {vendor + L"\\Cache", L"*.dat", true}, {product + L"\\resources", L"*.pak", false},
                 {product, L"*.log", true}, {L"C:\\Program Files Backup\\Vendor", L"*.dll", true}});
    const FolderJudgement whole = Judge(product, {L"*.*"}, true, true);
    EXPECT_TRUE(whole.masks.empty() && !whole.removeSelf);
    EXPECT_TRUE(Judge(product + L"\\Logs", {L"*.*"}, true, true).removeSelf);

    const std::wstring deep = vendor + L"\\Cache\\Plugins\\Old";
    ExpectFiles({{deep, L"helper.DLL", false}, {deep, L"driver.sys", false}, {deep, L"hidden.exe. ", false},
                 {L"C:\\Program Files (x86)\\Vendor\\Bin", L"control.ocx", false},
                 {kLocal + L"Programs\\Editor\\Resources", L"editor.exe", false}, {vendor, L"settings.ini", false},
                 {L"C:\\Program Files", L"readme.log", false}, {deep, L"page.tmp", true},
                 {kLocal + L"Temp", L"setup.exe", true}});
    ProtectedPlaces unslashed = Anna();
    unslashed.windows = L"\\\\?\\C:\\WINDOWS";
    EXPECT_TRUE(JudgeFolder(unslashed, F(L"C:\\WindowsOld\\Temp"), {L"*.*"}, true, false).recurse);
    EXPECT_FALSE(JudgeFolder(unslashed, F(L"C:\\Windows\\System32"), {L"*.log"}, true, false).recurse);
}

TEST(FileGuard, UserFoldersAndTheProfileNeverLoseContent)
{
    const std::wstring logs = kDocuments + L"My Games\\Game\\Logs", dropbox = L"C:\\Users\\Anna\\Dropbox\\Work";
    for (const wchar_t* mask : {L"*.txt", L"*.jp?", L"*.*", L"*", L"Save*", L"*.docx", L"*.ZIP"})
        EXPECT_FALSE(MaskGoes(logs, mask)) << Narrow(mask);
    for (const wchar_t* name : {L"thesis.docx", L"photo.JPG", L"song.mp3", L"clip.mkv", L"backup.zip", L"notes.txt"})
        EXPECT_FALSE(Goes(logs, name)) << Narrow(name);
    // What applications keep in AppData is theirs: content there is a cache.
    const std::wstring chrome = kLocal + L"Google\\Chrome\\User Data\\Default\\Cache";
    ExpectMasks({{logs, L"*.sav", true}, {kDocuments + L"Photos\\Trip", L"Thumbs.db", true},
                 {L"C:\\Users\\Anna", L"*.log", false}, {L"C:\\Users\\Anna\\Desktop", L"*.lnk", false},
                 {dropbox, L"*.*", false}, {dropbox, L"*.log", true}, {chrome, L"*.png", true}});
    ExpectFiles({{logs, L"game.log", true}, {L"D:\\Anna\\Pictures\\2024\\Edits", L"beach.png", false},
                 {L"C:\\Users\\Anna", L"NTUSER.DAT", false}, {chrome, L"f_000123.jpg", true}});
    EXPECT_FALSE(Judge(kDocuments, {L"*.log"}, true).recurse);
    EXPECT_FALSE(Judge(L"C:\\Users\\Anna", {L"*.log"}, true).recurse);
    EXPECT_TRUE(Judge(kDocuments + L"My Games", {L"*.log"}, true).recurse);
    EXPECT_FALSE(Judge(kDocuments + L"My Games", {L"*.log"}, true, true).removeSelf);
}

TEST(FileGuard, AppDataAndProgramDataKeepTheirOwnFilesSettingsAndKeys)
{
    // Firefox's own folder loses its caches, never the list of its profiles.
    const std::wstring firefox = kRoaming + L"Mozilla\\Firefox";
    ExpectMasks({{kRoaming, L"*.log", false}, {kLocal, L"IconCache.db", false}, {L"C:\\ProgramData", L"*.log", false},
                 {kLocal + L"Microsoft", L"*.log", false}, {kLocal + L"Microsoft\\Windows", L"UsrClass.dat", false},
                 {firefox, L"*.*", true}, {firefox, L"*.ini", false}});
    EXPECT_FALSE(Judge(kLocal + L"Temp", {L"*.*"}, true, true).removeSelf);
    ExpectFiles({{firefox, L"profiles.ini", false}, {L"C:\\ProgramData\\Vendor\\App", L"config.xml", false},
                 {firefox, L"crash.dmp", true}, {firefox + L"\\Profiles\\x.default\\cache2", L"entries.dat", true}});
    for (const std::wstring& store : Paths{kRoaming + L"Microsoft\\Protect\\S-1-5-21-1", kLocal + L"Microsoft\\Vault",
             kRoaming + L"Microsoft\\Credentials", L"C:\\ProgramData\\Microsoft\\Crypto\\RSA\\MachineKeys",
             kRoaming + L"Microsoft\\SystemCertificates\\My", kRoaming + L"Microsoft\\Windows\\Start Menu\\Programs"}) {
        EXPECT_FALSE(MaskGoes(store, L"*.lnk")) << Narrow(store);
        EXPECT_FALSE(Goes(store, L"old.tmp")) << Narrow(store);
    }
}

TEST(FileGuard, OtherUsersNetworksAndSystemFoldersAreNeverReached)
{
    for (const std::wstring& folder : Paths{F(L"C:\\Users\\Bob\\Documents"),
             F(L"C:\\Users\\Bob\\AppData\\Local\\Temp"), F(L"C:\\Users\\Default\\AppData"), F(L"C:\\Users"),
             F(L"C:\\$Recycle.Bin\\S-1-5-21-1"), F(L"C:\\System Volume Information"), F(L"D:\\Boot\\Fonts"),
             L"\\\\?\\UNC\\SERVER\\SHARE\\TEMP\\", L"\\\\?\\VOLUME{0B1C}\\TEMP\\X\\"}) {
        SCOPED_TRACE(Narrow(folder));
        const FolderJudgement j = JudgeFolder(Anna(), folder, {L"*.tmp", L"*.log"}, true, true);
        EXPECT_TRUE(j.masks.empty());
        EXPECT_FALSE(j.recurse || j.removeSelf);
        EXPECT_EQ(j.refusals.size(), 4u) << j.refusals.front(); // each mask, RECURSE, REMOVESELF
        EXPECT_FALSE(FileMayGo(Anna(), folder, L"old.tmp"));
    }
    for (const std::wstring& parent : Paths{F(L"C:\\Users\\Bob"), L"\\\\?\\UNC\\SERVER\\SHARE\\", F(kRoaming + L"Microsoft\\Protect")})
        EXPECT_NE(WildcardRefusal(Anna(), parent, true), "") << Narrow(parent);
    // Public's own folders are the user's too; its documents never go.
    ExpectMasks({{L"C:\\Users\\Public", L"*.log", false}, {L"C:\\Users\\Public\\Documents\\Scans\\2024", L"*.pdf", false}});
    // A machine whose places are unknown is judged as if everything were protected.
    EXPECT_TRUE(JudgeFolder(ProtectedPlaces{}, F(L"D:\\Games\\Cache"), {L"*.*"}, true, true).masks.empty());
}

TEST(FileGuard, MalformedInputIsRefusedWithoutHarm)
{
    for (const std::wstring& folder : Paths{L"", L"\\\\?\\", L"\\\\?\\C:", L"C:\\TEMP\\X\\", L"\\\\?\\c:\\temp\\x\\",
             L"\\\\?\\C:\\TEMP\\X", L"\\\\?\\C:\\TEMP\\\\X\\", L"\\\\?\\C:\\TEMP\\..\\WINDOWS\\",
             L"\\\\?\\C:\\TEMP\\*\\"}) {
        SCOPED_TRACE(Narrow(folder));
        EXPECT_TRUE(JudgeFolder(Anna(), folder, {L"*.tmp"}, true, true).masks.empty());
        EXPECT_FALSE(FileMayGo(Anna(), folder, L"old.tmp"));
        EXPECT_NE(WildcardRefusal(Anna(), folder, true), "");
    }
    const std::wstring games = L"D:\\Games\\Cache";
    for (const std::wstring& mask : Paths{L"", L"..\\*.tmp", L"a/b.tmp", L"C:*.tmp", std::wstring(L"x.tmp\0.exe", 10),
             L"<.tmp"})
        EXPECT_FALSE(MaskGoes(games, mask)) << Narrow(mask);
    EXPECT_TRUE(MaskGoes(games, std::wstring(5000, L'*') + L".tmp"));
    for (const std::wstring& name : Paths{L"", L".", L"..", L"a\\b.tmp"})
        EXPECT_FALSE(Goes(games, name)) << Narrow(name);
}

TEST(FileGuard, TheTemporaryFolderIsATraceFolderWhereverItIsHarmless)
{
    ProtectedPlaces p = Anna();
    for (const std::wstring& temp : Paths{F(L"C:\\Temp"), F(L"C:\\Users\\Anna\\Temp")}) {
        SCOPED_TRACE(Narrow(temp));
        p.temp.clear();
        EXPECT_TRUE(JudgeFolder(p, temp, {L"*.*"}, true, false).masks.empty());
        p.temp = temp;
        const FolderJudgement top = JudgeFolder(p, temp, {L"*.*"}, true, true);
        EXPECT_EQ(top.masks, Masks{L"*.*"});
        EXPECT_TRUE(top.recurse);
        EXPECT_FALSE(top.removeSelf);
        EXPECT_TRUE(JudgeFolder(p, temp + L"SETUP\\", {L"*.*"}, true, true).removeSelf);
        EXPECT_TRUE(FileMayGo(p, temp, L"setup.exe"));
    }
    // A TEMP that names a protected place, holds one or lies in one makes nothing a trace.
    for (const std::wstring& temp : Paths{p.profile, p.userFolders.front(), F(L"C:\\"), F(L"C:\\Windows\\System32"),
             F(L"C:\\Users\\Bob\\Temp"), F(L"C:\\Program Files\\Vendor"), F(L"C:\\Users\\Anna\\AppData")}) {
        p.temp = temp;
        EXPECT_TRUE(JudgeFolder(p, temp, {L"*.*"}, true, false).masks.empty()) << Narrow(temp);
    }
}

TEST(FileGuard, TheProgramsOwnFoldersAreNeverProtectedPlaces)
{
    const ProtectedPlaces p = Anna();
    for (const std::string& folder : Texts{"", "   ", "relative\\folder", "C:\\", "\\\\?\\C:\\", "C:\\Windows",
             "c:\\windows\\system32\\", "C:\\Users\\Anna", "C:\\Users\\Anna\\Documents\\..", "C:\\Users",
             "C:\\Users\\Bob\\Temp", "C:\\Program Files\\Vendor", "C:\\Users\\Anna\\AppData\\Local",
             "C:\\Users\\Anna\\Documents", "C:\\Users\\Anna\\AppData\\Roaming\\Microsoft\\Protect",
             "\\\\server\\share"}) {
        EXPECT_NE(TempFolderRefusal(folder, p), "") << folder;
        EXPECT_NE(CustomDirRefusal(folder, p), "") << folder;
    }
    for (const std::string& folder : Texts{"C:\\Windows\\Temp", "C:\\Users\\Anna\\AppData\\Local\\Temp\\",
             "C:\\Temp\\Old", "\\\\server\\share\\temp", "C:\\Users\\Anna\\Documents\\Junk"}) {
        EXPECT_EQ(TempFolderRefusal(folder, p), "") << folder;
        EXPECT_EQ(CustomDirRefusal(folder, p), "") << folder;
    }
}

TEST(FileGuard, WildcardsBelowAProtectedFolderNeedAFixedPart)
{
    for (const std::wstring& parent : Paths{kLocal, kRoaming + L"Microsoft", L"C:\\Users\\Anna", L"C:\\",
             L"C:\\Windows", L"C:\\Windows\\System32", kDocuments, L"C:\\Users", L"C:\\Users\\Anna\\AppData",
             L"C:\\Program Files", L"C:\\Program Files\\Vendor", L"D:\\Anna"}) {
        EXPECT_NE(WildcardRefusal(Anna(), F(parent), false), "") << Narrow(parent);
        EXPECT_EQ(WildcardRefusal(Anna(), F(parent), true), "") << Narrow(parent);
    }
    // The Chrome cache of every profile: there the wildcard stands for a profile.
    for (const std::wstring& parent : Paths{kDocuments + L"My Games", L"C:\\Windows\\Temp",
             L"C:\\Program Files\\Vendor\\Product\\Logs", kLocal + L"Temp", L"D:\\Games", kLocal + L"Google\\Chrome\\User Data"})
        for (bool fixedPartFollows : {false, true})
            EXPECT_EQ(WildcardRefusal(Anna(), F(parent), fixedPartFollows), "") << Narrow(parent);
}

// A walk asks again in every folder it enters: what the start allowed stays allowed below,
// until the walk reaches a protected place nested inside it.
TEST(FileGuard, AWalkMeetsTheSameRulesAtEveryDepth)
{
    const Masks everything = {L"*"};
    std::wstring folder = kLocal + L"Google\\Chrome\\User Data\\Default\\Cache";
    for (int depth = 0; depth < 4; ++depth, folder += L"\\Sub") {
        const FolderJudgement j = Judge(folder, everything, true, true);
        EXPECT_TRUE(j.recurse && j.removeSelf && j.masks == everything) << Narrow(folder);
    }
    EXPECT_TRUE(Judge(L"D:\\Anna", {L"*.log"}, true).recurse);
    const FolderJudgement nested = Judge(L"D:\\Anna\\Pictures", {L"*.log"}, true);
    EXPECT_TRUE(nested.masks.empty() && !nested.recurse);
    // An every-file walk from an application's folder would take it whole: it stops there.
    EXPECT_FALSE(Judge(kLocal + L"Google", {L"*.*"}, true).recurse);
    EXPECT_FALSE(Judge(kLocal + L"Google", {L"*.log"}, true, true).recurse);
}

TEST(ProtectedPlaces, ThisMachinesPlacesAreCanonicalAndTheUsersOwnLieInTheProfile)
{
    const ProtectedPlaces p = CurrentProtectedPlaces();
    const auto canonical = [](const std::wstring& place) {
        return place.size() > 7 && place.compare(0, 4, L"\\\\?\\") == 0 && place.back() == L'\\' &&
               place == UpperCaseWide(place) && place.find(L"\\\\", 4) == std::wstring::npos;
    };
    for (const std::wstring* place : {&p.windows, &p.programData, &p.profile, &p.profilesRoot, &p.publicProfile,
                                      &p.roamingAppData, &p.localAppData, &p.localLowAppData})
        EXPECT_TRUE(canonical(*place)) << Narrow(*place);
    ASSERT_FALSE(p.programFiles.empty());
    for (const std::wstring& programs : p.programFiles) EXPECT_TRUE(canonical(programs)) << Narrow(programs);
    EXPECT_TRUE(IsSameOrInside(p.profile, p.profilesRoot));
    for (const std::wstring* appData : {&p.roamingAppData, &p.localAppData, &p.localLowAppData})
        EXPECT_TRUE(IsSameOrInside(*appData, p.profile) && *appData != p.profile) << Narrow(*appData);
    ASSERT_FALSE(p.userFolders.empty());
    for (const std::wstring& own : p.userFolders) {
        EXPECT_TRUE(canonical(own)) << Narrow(own);
        // Wine links the user's Documents, Desktop, ... to the host's home, on no drive:
        // the guards refuse such a folder whole.
        if (own.compare(0, 9, L"\\\\?\\UNIX\\") == 0) {
            EXPECT_FALSE(FileMayGo(p, own, L"notes.log"));
            continue;
        }
        EXPECT_TRUE(IsSameOrInside(own, p.profile) || IsSameOrInside(own, p.publicProfile)) << Narrow(own);
        EXPECT_FALSE(IsSameOrInside(own, p.roamingAppData) || IsSameOrInside(own, p.localAppData)) << Narrow(own);
    }
    // The places read here are the ones the guards go by.
    EXPECT_TRUE(JudgeFolder(p, p.windows + L"SYSTEM32\\", {L"*.*"}, false, false).masks.empty());
    EXPECT_TRUE(JudgeFolder(p, p.localAppData + L"TEMP\\", {L"*.*"}, true, false).recurse);
    ASSERT_TRUE(canonical(p.temp)) << Narrow(p.temp);
    EXPECT_TRUE(JudgeFolder(p, p.temp, {L"*.*"}, true, false).recurse);
}

TEST(RegistryGuard, KeysAreCanonicalWhateverTheSpelling)
{
    using Forms = std::vector<std::string>;
    const Forms app = {"HKEY_CURRENT_USER\\SOFTWARE\\VENDOR\\APP"};
    const Forms classes = {"HKEY_CURRENT_USER\\SOFTWARE\\CLASSES\\CLSID\\{X}",
                           "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\CLSID\\{X}"};
    const struct {
        std::string key;
        Forms forms;
    } cases[] = {
        {"HKCU\\Software\\Vendor\\App", app}, {"hkey_current_user\\\\software\\vendor\\app\\", app},
        {" HKCU \\ Software \\\tVendor\\ App ", app}, {"HKCU\\Software\\Wow6432Node\\Vendor\\App", app},
        {"HKLM\\Software\\WOW6432NODE\\Vendor", {"HKEY_LOCAL_MACHINE\\SOFTWARE\\VENDOR"}},
        {"HKCR\\CLSID\\{x}", classes}, {"HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{X}", classes},
        {"HKLM\\Software\\Classes\\Wow6432Node\\CLSID\\{X}", {classes[1]}},
        {"HKU\\S-1-5-21-7\\Software\\X", {"HKEY_USERS\\S-1-5-21-7\\SOFTWARE\\X"}},
        {"HKEY_USERS\\S-1-5-21-7_Classes\\.txt", {"HKEY_USERS\\S-1-5-21-7\\SOFTWARE\\CLASSES\\.TXT"}},
        {"HKCC\\Software", {"HKEY_LOCAL_MACHINE\\SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES\\CURRENT\\SOFTWARE"}},
        {"HKEY_BOGUS\\X", {}}, {"", {}}, {"\\\\ \\", {}}};
    for (const auto& c : cases) EXPECT_EQ(CanonicalRegistryKeys(c.key), c.forms) << c.key;
}

// Windows' own keys are refused in every spelling; traces below them still go.
TEST(RegistryGuard, WindowsOwnKeysAreRefusedAndTracesBelowThemGo)
{
    using A = RegistryAction;
    const std::string currentVersion = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion",
                      explorer = currentVersion + "\\Explorer";
    const struct {
        A action;
        std::string key, value;
    } refused[] = {
        {A::DeleteKey, "HKLM", ""}, {A::DeleteKey, "HKEY_USERS\\S-1-5-18", ""}, {A::DeleteValue, "HKCU\\Software", "x"},
        {A::DeleteKey, "HKCU\\AppEvents", ""}, {A::DeleteKey, "HKU\\S-1-5-21-7\\Identities", ""},
        {A::DeleteKey, "hklm\\software\\", ""}, {A::DeleteKey, "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip", ""},
        {A::DeleteKey, "HKCC\\Software\\Fonts", ""}, {A::DeleteAllValues, "HKLM\\SAM\\SAM", ""},
        {A::DeleteKey, "HKLM\\BCD00000000\\Objects", ""}, {A::DeleteKey, "HKLM\\COMPONENTS\\x", ""},
        {A::DeleteValue, "HKCU\\Control Panel\\Desktop", "Wallpaper"}, {A::DeleteValue, "HKCU\\Environment", "Path"},
        {A::DeleteKey, "HKU\\S-1-5-21-7\\Keyboard Layout\\Preload", ""}, {A::DeleteSubkeys, "HKCU\\Network", ""},
        {A::DeleteKey, "HKCR\\CLSID\\{X}", ""}, {A::DeleteValue, "HKCR\\.txt", ""},
        {A::DeleteKey, "HKLM\\Software\\Classes\\Interface\\{X}", ""},
        {A::DeleteKey, "HKEY_USERS\\S-1-5-21-7_Classes\\TypeLib\\{X}", ""}, {A::DeleteKey, "HKCR\\Local Settings", ""},
        {A::DeleteKey, "HKCR\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel", ""},
        {A::DeleteKey, "HKLM\\Software\\Wow6432Node\\Microsoft", ""},
        {A::DeleteKey, "HKCU\\Software\\Policies\\Microsoft\\Edge", ""}, {A::DeleteKey, currentVersion, ""},
        {A::DeleteKey, explorer, ""}, {A::DeleteSubkeys, explorer, ""}, {A::DeleteAllValues, explorer, ""},
        {A::DeleteValue, currentVersion + "\\Run", "Antivirus"},
        {A::DeleteNumberedValue, "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Setup"},
        {A::DeleteKey, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", ""},
        {A::DeleteValue, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA"},
        {A::DeleteValue, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"},
        {A::DeleteValue, "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Userinit"},
        {A::DeleteKey, "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-7", ""},
        {A::DeleteValue, explorer + "\\User Shell Folders", "Personal"}, {A::DeleteValue, explorer + "\\Advanced", "Hidden"},
        {A::DeleteValue, "HKLM\\Software\\Microsoft\\Cryptography", "MachineGuid"},
        {A::DeleteKey, "HKEY_BOGUS\\Software\\Vendor", ""}},
      allowed[] = {{A::DeleteKey, "HKCU\\Software\\Vendor\\App", ""},
        {A::DeleteKey, "HKU\\" + CurrentUserSid() + "\\Software\\Vendor\\App", ""},
        {A::DeleteKey, "HKLM\\Software\\Wow6432Node\\Vendor\\App", ""}, {A::DeleteKey, explorer + "\\RunMRU", ""},
        {A::DeleteAllValues, explorer + "\\RunMRU", ""}, {A::DeleteSubkeys, explorer + "\\ComDlg32\\OpenSavePidlMRU", ""},
        {A::DeleteValue, explorer, "ShellState"}, {A::DeleteKey, "HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs", ""},
        {A::DeleteKey, "HKCR\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache", ""},
        {A::DeleteKey, "HKCU\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\BagMRU", ""},
        {A::DeleteKey, "HKCU\\Software\\Microsoft\\Windows\\Shell\\Bags", ""},
        {A::DeleteAllValues,
         "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Store", ""},
        {A::DeleteNumberedValue, "HKCU\\Software\\Microsoft\\Office\\16.0\\Word\\File MRU", "Item"}};
    for (const auto& r : refused) EXPECT_NE(RegistryRefusal(r.action, r.key, r.value), "") << r.key << "," << r.value;
    for (const auto& a : allowed) EXPECT_EQ(RegistryRefusal(a.action, a.key, a.value), "") << a.key << "," << a.value;
    EXPECT_EQ(RegistryRefusal(A::DeleteKey, "HKLM\\Software\\Wow6432Node\\Microsoft", ""),
              "deleting HKLM\\Software\\Wow6432Node\\Microsoft: a key Windows and many programs share; only what lies "
              "below it may go");
}

} // namespace sweepora
