#include "DefinitionsBench.h"

#include "platform/FileIo.h"
#include "platform/UniqueHandle.h"
#include "plugins/DefinitionsFile.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace sweepora::bench {

namespace {

constexpr int kEntries = 4000;
constexpr int kVendors = 300;
constexpr const char* kBenchKey = "Software\\SweeporaBench\\Definitions";

const char* const kGroups[] = {"LangSecRef=3021", "LangSecRef=3022", "LangSecRef=3023", "LangSecRef=3024",
                               "LangSecRef=3025", "LangSecRef=3028", "Section=Games"};
const char* const kMasks[] = {"*.log", "*.tmp;*.bak", "*", "*.dmp", "thumbs.db", "*.log;*.log.*", "cache_*"};

std::string N(int n) { return std::to_string(n); }

// Made-up vendors and applications, in the proportions a community file has: most entries
// detect by file, many by key, a few by Windows version; two to four file keys each, some
// registry keys, and now and then an exclusion, a warning or a key this program ignores.
std::string GenerateFile(int entries)
{
    std::string text = "; generated for the bench\r\n";
    text.reserve(entries * 400);
    for (int i = 0; i < entries; ++i) {
        const std::string vendor = "Vendor" + N(i % kVendors), app = "App" + N(i);
        text += "[" + vendor + " " + app + " *]\r\n" + kGroups[i % 7] + "\r\n";
        if (i % 3 == 0) text += "Detect=HKCU\\" + std::string(kBenchKey) + "\\" + vendor + "\r\n";
        if (i % 5 == 1) text += "Detect=HKLM\\Software\\" + vendor + "\\" + app + "\r\n";
        if (i % 3 == 1) text += "DetectFile=%LocalAppData%\\" + vendor + "\\" + app + "\r\n";
        if (i % 3 == 2) text += "DetectFile=%AppData%\\" + vendor.substr(0, 7) + "*\\" + app + "\\*.ini\r\n";
        if (i % 11 == 0) text += "DetectFile2=%ProgramFiles%\\" + vendor + "\\" + app + ".exe\r\n";
        if (i % 20 == 0) text += "DetectOS=" + std::string(i % 40 == 0 ? "6.2|" : "|6.3") + "\r\n";
        if (i % 50 == 0) text += "SpecialDetect=DET_" + vendor + "\r\n";
        if (i % 45 == 0) text += "Warning=This also clears the saved sessions of " + app + ".\r\n";
        for (int k = 1; k <= 2 + i % 3; ++k) {
            const char* base = k % 2 ? "%LocalAppData%\\" : "%AppData%\\";
            text += "FileKey" + N(k) + "=" + base + vendor + "\\" + app + (i % 9 == 0 ? "\\Profiles\\*" : "") +
                    "\\Cache" + N(k) + "|" + kMasks[(i + k) % 7] +
                    (i % 5 == 0 ? "|RECURSE" : i % 23 == 0 ? "|REMOVESELF" : "") + "\r\n";
        }
        if (i % 3 == 0) text += "RegKey1=HKCU\\Software\\" + vendor + "\\" + app + "\\Recent\r\n";
        if (i % 6 == 0) text += "RegKey2=HKCU\\Software\\" + vendor + "\\" + app + "|LastFolder\r\n";
        if (i % 40 == 0) text += "ExcludeKey1=FILE|%LocalAppData%\\" + vendor + "\\" + app + "\\Cache1\\|keep.log\r\n";
        if (i % 60 == 0) text += "ExcludeKey2=REG|HKCU\\Software\\" + vendor + "\\" + app + "\\Recent|Pinned\r\n";
        text += "\r\n";
    }
    return text;
}

// A third of the vendors installed: a key, a local folder, a roaming folder with settings.
void SeedInstalled(const std::string& local, const std::string& roaming)
{
    for (int v = 0; v < kVendors; v += 3) {
        const std::string vendor = "Vendor" + N(v);
        UniqueKey key;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kBenchKey) + "\\" + vendor).c_str(), 0, nullptr, 0,
                          KEY_WRITE, nullptr, key.put(), nullptr);
        ::CreateDirectoryA((local + "\\" + vendor).c_str(), nullptr);
        ::CreateDirectoryA((roaming + "\\" + vendor).c_str(), nullptr);
        for (int i = v + 1; i < kEntries; i += kVendors)
            ::CreateDirectoryA((local + "\\" + vendor + "\\App" + N(i)).c_str(), nullptr);
        for (int i = v + 2; i < kEntries; i += kVendors) {
            const std::string folder = roaming + "\\" + vendor + "\\App" + N(i);
            ::CreateDirectoryA(folder.c_str(), nullptr);
            WriteWholeFile(folder + "\\settings.ini", "[x]\r\n");
        }
    }
}

void RemoveTree(const std::string& folder)
{
    const std::string from = folder + std::string(1, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationA(&op);
}

} // namespace

int BenchDefinitions()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string work = std::string(temp) + "sweepora-defs-bench-" + std::to_string(::GetCurrentProcessId());
    const std::string local = work + "\\Local", roaming = work + "\\Roaming", file = work + "\\defs.ini";
    if (!::CreateDirectoryA(work.c_str(), nullptr) || !::CreateDirectoryA(local.c_str(), nullptr) ||
        !::CreateDirectoryA(roaming.c_str(), nullptr) || !WriteWholeFile(file, GenerateFile(kEntries))) {
        std::fprintf(stderr, "cannot create %s\n", work.c_str());
        return 1;
    }
    SeedInstalled(local, roaming);
    // This machine's variables, with the two profile folders pointed at the seeded ones.
    DefinitionEnvironment environment = CurrentDefinitionEnvironment();
    environment.variables["LOCALAPPDATA"] = {local};
    environment.variables["APPDATA"] = {roaming};

    std::vector<double> ms;
    DefinitionsReport report;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const DefinitionsLoad load = ReadDefinitions(file, "defs.ini", environment);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        report = load.report;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("definitions-load-4000 %.1f ms\n", ms[1]);
    std::printf("definitions-offered-4000 %d of %d entries (%d not offered, %d unusable)\n", report.offered,
                report.entries, report.notOffered, report.unusable);
    std::fflush(stdout);

    RemoveTree(work);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
    return 0;
}

} // namespace sweepora::bench
