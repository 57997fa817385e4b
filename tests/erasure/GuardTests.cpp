#include "erasure/FileGuard.h"
#include "erasure/GuardRules.h"
#include "erasure/PlaceGuard.h"
#include "erasure/ProtectedPlaces.h"
#include "erasure/RegistryGuard.h"
#include "erasure/TargetEraser.h"
#include "platform/LongPath.h"
#include "platform/TaskScheduler.h"
#include "platform/Text.h"
#include "platform/WideText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
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

TEST(FileGuard, WhatNeverGoesStaysWhereverItLiesWhoeverAsks)
{
    const Paths folders = {kLocal + L"Google\\Chrome\\User Data\\Default", kRoaming + L"Mozilla\\Firefox\\Profiles\\x",
                           kLocal + L"Vendor\\Cache", kLocal + L"Temp", L"C:\\Windows\\Temp", L"D:\\Games\\Cache",
                           kLocal + L"Packages\\CanonicalGroup.Ubuntu\\LocalState", kDocuments + L"Vendor\\App\\Logs"};
    const Paths names = {L"Login Data", L"Login Data For Account-journal", L"Bookmarks", L"Local State", L"key4.db",
                         L"logins.json", L"cert9.db", L"places.sqlite", L"profiles.ini", L"id_rsa", L"id_ed25519.pub",
                         L"known_hosts", L"vault.kdbx", L"wallet.dat", L"server.pem", L".netrc", L"ext4.vhdx",
                         L"disk.vmdk", L"win11.iso", L"KEY4.DB.", L"cert9.db "};
    for (const std::wstring& folder : folders)
        for (const std::wstring& name : names) EXPECT_FALSE(Goes(folder, name)) << Narrow(folder) << " " << Narrow(name);
    // Key stores are never entered, at any depth, wherever they are.
    for (const std::wstring& folder : Paths{L"C:\\Users\\Anna\\.ssh", L"C:\\Users\\Anna\\.gnupg\\private-keys-v1.d",
                                            kRoaming + L"gnupg", kRoaming + L"Electrum\\wallets", L"D:\\Backup\\.ssh"}) {
        const FolderJudgement j = Judge(folder, {L"*.*", L"*.log"}, true, true);
        EXPECT_TRUE(j.masks.empty() && !j.recurse && !j.removeSelf) << Narrow(folder);
        EXPECT_NE(WildcardRefusal(Anna(), F(folder), true), "") << Narrow(folder);
    }
}

TEST(FileGuard, WideReachNeedsANamedFolder)
{
    // A place's root gives up traces named as such and nothing wider.
    for (const std::wstring& root : Paths{L"C:\\", L"D:\\", L"C:\\Windows", L"C:\\Program Files", L"C:\\ProgramData",
                                          L"C:\\Users\\Anna", L"C:\\Users\\Public", kDocuments, kDocuments + L"My Games",
                                          kRoaming, kLocal, kLocal + L"Microsoft", kLocal + L"Packages",
                                          L"C:\\Program Files\\Common Files", L"C:\\Users\\Anna\\AppData\\Local\\Programs"}) {
        SCOPED_TRACE(Narrow(root));
        const FolderJudgement whole = Judge(root, {L"*", L"*.*", L"*.cpp", L"*.log"}, true, true);
        EXPECT_EQ(whole.masks, Masks{L"*.log"});
        EXPECT_FALSE(whole.recurse || whole.removeSelf);
        EXPECT_EQ(whole.refusals.size(), 5u);
        // "%LocalAppData%\*\*" names nothing; "*\Cache" and "Chicken Invaders*" do.
        EXPECT_NE(WildcardRefusal(Anna(), F(root), false), "");
        EXPECT_EQ(WildcardRefusal(Anna(), F(root), true), "");
    }
    // Below a named folder of applications' data, anything the entry names.
    for (const std::wstring& named : Paths{kLocal + L"calibre-cache", kRoaming + L"Roxio Log Files", kLocal + L"Vendor",
                                           L"C:\\ProgramData\\Vendor\\App", kLocal + L"Microsoft\\Windows\\INetCache",
                                           L"C:\\Users\\Anna\\.dotnet\\TelemetryStorageService",
                                           L"C:\\Windows\\System32\\config\\systemprofile\\AppData\\Local\\Vendor\\Logs"}) {
        const FolderJudgement j = Judge(named, {L"*"}, true, true);
        EXPECT_TRUE(j.masks == Masks{L"*"} && j.recurse && j.removeSelf && j.refusals.empty()) << Narrow(named);
        EXPECT_EQ(WildcardRefusal(Anna(), F(named), false), "") << Narrow(named);
    }
}

TEST(FileGuard, TheUsersPlacesAndOtherDrivesGiveUpTracesOnly)
{
    const std::wstring project = kDocuments + L"Thesis", app = kDocuments + L"Vendor\\App";
    ExpectMasks({{project, L"*.*", false}, {project, L"*.cpp", false}, {project, L"*.log", true}, {project, L"*log*.txt", true},
                 {app, L"*", true}, {app + L"\\Logs", L"*", true}, {L"D:\\Photos", L"*.*", false}, {L"D:\\Photos", L"*.log", true},
                 {L"C:\\Data\\Projects", L"*.cpp", false}, {L"D:\\Games\\Cache", L"*", true}, {L"D:\\", L"*.*", false},
                 {L"C:\\Users\\Anna\\Dropbox", L"*", false}});
    EXPECT_FALSE(Judge(L"D:\\Photos", {L"*.log"}, true, true).removeSelf);
    EXPECT_TRUE(Judge(L"D:\\Photos", {L"*.log"}, true, false).recurse);
    // What the user made never goes from their places, not even from a trace folder there.
    for (const std::wstring& folder : Paths{project, app, app + L"\\Logs", L"D:\\Photos\\Cache", L"C:\\Data\\Projects",
                                            L"D:\\Anna\\Pictures\\2024"})
        for (const std::wstring& name : Paths{L"thesis.docx", L"main.cpp", L"photo.JPG", L"song.mp3", L"clip.mkv",
                                              L"backup.zip", L"level.sav", L"mail.pst", L"book.epub"})
            EXPECT_FALSE(Goes(folder, name)) << Narrow(folder) << " " << Narrow(name);
    ExpectFiles({{project, L"notes.txt", false}, {project, L"error.log.txt", true}, {project, L"setup.exe", false},
                 {project, L"settings.ini", false}, {project, L"render.tmp", true}, {app + L"\\Logs", L"notes.txt", true},
                 {app, L"state.bin", true}, {L"C:\\Users\\Anna\\Downloads\\Tools", L"tool.exe", false},
                 {L"C:\\Users\\Anna\\Downloads\\Tools", L".gitconfig", false}});
}

TEST(FileGuard, ApplicationsKeepTheirProgramsAndWindowsItsOwnFiles)
{
    const std::wstring vendor = L"C:\\Program Files\\Vendor\\App", windows = L"C:\\Windows\\System32";
    ExpectMasks({{vendor, L"*.*", true}, {L"C:\\Program Files\\Windows Defender", L"*.*", false},
                 {L"C:\\Program Files\\Windows Defender", L"*.log", true}, {windows, L"*.*", false},
                 {windows, L"*.log", true}, {windows, L"*.txt", false}, {windows, L"setupapi.dev.log", true},
                 {windows + L"\\LogFiles\\Firewall", L"*", true}, {L"C:\\Windows\\Temp", L"*", true}});
    ExpectFiles({{vendor, L"app.exe", false}, {vendor, L"core.dll", false}, {vendor, L"driver.sys", false},
                 {vendor + L"\\Cache", L"plugin.dll", false}, {vendor, L"vcredist_x64.exe", true}, {vendor, L"app.msi", true},
                 {vendor, L"readme.txt", true}, {vendor, L"app.config", true}, {kLocal + L"Vendor", L"update.exe", true},
                 {kLocal + L"Vendor", L"report.docx", false}, {kLocal + L"Vendor\\Cache", L"page.pdf", true},
                 {kLocal + L"Vendor", L"avatar.png", true}, {windows, L"kernel32.dll", false}, {windows, L"hosts", false},
                 {windows, L"setup.ini", false}, {windows, L"setupact.log", true}, {windows, L"vcredist.exe", false},
                 {L"C:\\Windows\\Temp", L"setup.exe", true}});
    // RECURSE reaches below the Windows folder's own folders with trace masks, never from its root.
    EXPECT_TRUE(Judge(windows, {L"*.etl"}, true).recurse);
    EXPECT_FALSE(Judge(L"C:\\Windows", {L"*.etl"}, true).recurse);
    EXPECT_FALSE(Judge(windows, {L"*.etl"}, true, true).removeSelf);
    EXPECT_FALSE(Judge(L"C:\\Windows\\Temp", {L"*"}, true, true).removeSelf);
    EXPECT_TRUE(Judge(L"C:\\Windows\\Temp\\Setup", {L"*"}, true, true).removeSelf);
}

TEST(FileGuard, NeverReachedPlacesGiveUpNothing)
{
    for (const std::wstring& folder : Paths{F(L"C:\\Users\\Bob\\Documents"),
             F(L"C:\\Users\\Bob\\AppData\\Local\\Temp"), F(L"C:\\Users\\Default\\AppData"),
             F(L"C:\\$Recycle.Bin\\S-1-5-21-1"), F(L"C:\\System Volume Information"), F(L"D:\\Boot\\Fonts"),
             F(kRoaming + L"Microsoft\\Protect\\S-1-5"), F(kLocal + L"Microsoft\\Credentials"),
             L"\\\\?\\UNC\\SERVER\\SHARE\\TEMP\\", L"\\\\?\\VOLUME{0B1C}\\TEMP\\X\\", L"\\\\?\\UNIX\\HOME\\ANNA\\"}) {
        SCOPED_TRACE(Narrow(folder));
        const FolderJudgement j = JudgeFolder(Anna(), folder, {L"*.tmp", L"*.log"}, true, true);
        EXPECT_TRUE(j.masks.empty());
        EXPECT_FALSE(j.recurse || j.removeSelf);
        EXPECT_EQ(j.refusals.size(), 4u); // each mask, RECURSE, REMOVESELF
        EXPECT_FALSE(FileMayGo(Anna(), folder, L"old.tmp"));
        EXPECT_NE(WildcardRefusal(Anna(), folder, true), "");
    }
    // A machine whose places are unknown is judged as if everything were protected.
    EXPECT_TRUE(JudgeFolder(ProtectedPlaces{}, F(L"D:\\Games\\Cache"), {L"*.*"}, true, true).masks.empty());
}

TEST(FileGuard, AFileIsJudgedByItsWholeName)
{
    const std::vector<std::pair<std::wstring, FileKind>> cases = {
        {L"evil.dll. ", FileKind::Program},       {L"error.log.txt", FileKind::Trace},
        {L"notes.txt", FileKind::Text},           {L"CATALOG.TXT", FileKind::Text},
        {L"vcredist_x64.exe", FileKind::Installer}, {L"tool.exe", FileKind::Program},
        {L".gitconfig", FileKind::Settings},      {L".netrc", FileKind::Secret},
        {L"id_rsa", FileKind::Secret},            {L"Login Data-journal", FileKind::BrowserStore},
        {L"thumbs.db", FileKind::Other},          {L"x.vhdx", FileKind::DiskImage},
        {L"a.PNG", FileKind::Media},              {L"main.rs", FileKind::Content}};
    for (const auto& [name, kind] : cases) EXPECT_EQ(KindOfFile(name), kind) << Narrow(name);
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
    for (const std::wstring& temp : Paths{F(L"C:\\Scratch"), F(L"C:\\Users\\Anna\\Scratch")}) {
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
        EXPECT_FALSE(FileMayGo(p, temp, L"id_rsa"));
    }
    // A TEMP that names a protected place, holds one or lies in one makes nothing a trace.
    for (const std::wstring& temp : Paths{p.profile, p.userFolders.front(), F(L"C:\\"), F(L"C:\\Windows\\System32"),
             F(L"C:\\Users\\Bob\\Scratch"), F(L"C:\\Program Files"), F(L"C:\\Users\\Anna\\AppData")}) {
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

TEST(FileGuard, RefusalsNameFoldersAsTheFileSystemSpellsThem)
{
    struct Lines final : EraseLog {
        std::vector<std::string> said;
        void AddLogEntry(const std::string& task, const std::string& status) noexcept override
        {
            said.push_back(task + "|" + status);
        }
    } log;
    RunState run;
    EraseContext context{run, log, [] {}};
    const std::string local = test::EnvironmentText("LOCALAPPDATA");
    ASSERT_NE(local, UpperCaseUtf8(local)); // Windows and Wine both spell it in mixed case
    FileTarget target;
    target.folder = WideFromUtf8(local + "\\*");
    target.masks = {L"*.tmp"};
    target.text = "every application";
    EXPECT_TRUE(EraseFileTarget(context, target, {}, PlaceGuard(CurrentProtectedPlaces())).refused);
    ASSERT_EQ(log.said.size(), 1u);
    EXPECT_EQ(log.said[0].rfind("every application|Refused: a wildcard for every folder in " + local + ": ", 0), 0u)
        << log.said[0];
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

namespace sweepora {

namespace {

std::string Lower(std::wstring_view upper)
{
    std::string text;
    for (wchar_t c : upper) text += static_cast<char>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    return text;
}

std::string Joined(const std::vector<std::wstring_view>& items, const char* suffix = "")
{
    std::string text;
    for (std::wstring_view item : items) text += (text.empty() ? "" : " ") + Lower(item) + suffix;
    return text;
}

// The README beside the test program, where the build puts a copy.
std::string Readme()
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"README.md";
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[65536];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        fclose(f);
    }
    return text;
}

} // namespace

// The README's "Protected places" shows the guards' own table, row by row.
TEST(GuardRules, TheReadmeShowsEveryRowOfTheTable)
{
    const std::string readme = Readme();
    ASSERT_NE(readme.find("## Protected places"), std::string::npos);
    std::vector<std::string> rows;
    for (const FileKindRow& row : FileKindTable()) {
        std::string names = Joined(row.names);
        if (!row.prefixes.empty()) names += (names.empty() ? "" : " ") + Joined(row.prefixes, "…");
        rows.push_back("| " + std::string(row.title) + " | " + Joined(row.extensions) + " | " + names + " | " +
                       row.never + " |");
    }
    for (const PlaceRow& row : PlaceTable())
        rows.push_back("| " + std::string(row.title) + " | " + row.covers + " | " + row.rule + " |");
    rows.push_back("Trace folders, by a whole word of their name: " + Joined(TraceFolderWords()) + ".");
    rows.push_back("Trace folders, by a part of their name: " + Joined(TraceFolderStems()) + ".");
    rows.push_back("Never entered, wherever they are: " + Joined(NeverFolderNames()) + ".");
    for (const std::string& row : rows) EXPECT_NE(readme.find(row), std::string::npos) << "missing from the README:\n" << row;
}

} // namespace sweepora
