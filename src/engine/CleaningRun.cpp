#include "engine/CleaningRun.h"

#include "engine/Eradication.h"
#include "engine/IEHistoryCleaner.h"
#include "engine/NetscapeCleaners.h"
#include "engine/RegistryMruCleaners.h"
#include "engine/SessionPlugins.h"
#include "engine/SystemTraceCleaners.h"
#include "engine/UrlCacheCleaners.h"
#include "safelists/CookieLoader.h"
#include "storage/NumberRule.h"

#include <cmath>
#include <ctime>

namespace sweepora {

const RunTable& StandardRunTable()
{
    using S = AppSettings;
    static const RunTable table = {
        {1, &S::RunHistory, &CleanRunHistory},
        {2, &S::FileFind, &CleanFindHistory},
        {3, &S::NetHistory, [](Session& s) {
             CleanIEHistory(s);
             if (!s.run.abort) CleanNetscapeHistory(s);
         }},
        {4, &S::IEAutoComplete, &CleanAutoCompleteForms},
        {5, &S::IEAutoPass, nullptr},
        {6, &S::NetCookies, [](Session& s) {
             CleanCookies(s);
             if (!s.run.abort) CleanNetscapeCache(s);
             LoadCookies(s.safeLists.cookies, s.programFolder, s.Yielder());
         }},
        {7, &S::IETempFiles, &CleanCacheFiles},
        {8, &S::NetVisitedUrls, &CleanVisitedUrls},
        {9, &S::NetTypedUrls, &CleanTypedUrls},
        {10, &S::EmailHistory, &CleanNetscapeMail},
        {11, &S::Clipboard, &CleanClipboard},
        {12, &S::CustomDirs, &CleanCustomDirs},
        {13, &S::RecBin, [](Session& s) { EmptyRecycleBin(s, "", true, true, true); }},
        {14, &S::RecentDocs, &CleanRecentDocs},
        {15, &S::TempFiles, &CleanWindowsTemp},
        {16, nullptr, [](Session& s) { RunPlugins(s); }},
        {17, &S::IndexDatFiles, &CleanIndexDat},
    };
    return table;
}

std::string TimeText(long long elapsedSeconds)
{
    const long long minutes = elapsedSeconds / 60;
    return "0:" + std::to_string(minutes) + ":" + std::to_string(elapsedSeconds - 60 * minutes);
}

long long MegabytesFreed(std::int32_t bytes)
{
    const double mb = static_cast<double>(bytes) / 1024 / 1024;
    const double fourPlaces = RoundHalfEven(mb * 10000) / 10000;
    const double whole = RoundHalfEven(fourPlaces);
    return whole < 0 ? 0 : static_cast<long long>(whole);
}

std::string SummaryLine(std::int32_t bytes, std::int32_t files, std::int32_t registryKeys,
                        long long elapsedSeconds)
{
    return "Finished :- Space saved : " + std::to_string(MegabytesFreed(bytes)) + " MB, Files : " +
           std::to_string(files) + ",Registory keys : " + std::to_string(registryKeys) + "," +
           " time taken : " + TimeText(elapsedSeconds);
}

RunOutcome RunCleaning(Session& s, const RunTable& table)
{
    if (s.run.running) return RunOutcome::Ignored;
    s.run.running = true;
    s.host.RunStarted();
    s.run.abort = false;
    // Full date and time, so that a run across midnight reports its real length.
    const std::time_t start = std::time(nullptr);
    s.run.spaceSaved = 0;
    s.run.previewGone.clear();
    s.run.files = 0;
    s.run.registryKeys = 0;

    for (const RunRow& row : table) {
        const bool always = row.flag == nullptr;
        if (!always && (s.run.abort || s.settings.*row.flag != "1")) continue;
        if (row.clean) row.clean(s);
    }

    const long long elapsed = static_cast<long long>(std::difftime(std::time(nullptr), start));
    const bool aborted = s.run.abort;
    if (aborted)
        s.log.AddLogEntry(kAbortedByUser, "");
    else
        s.log.AddLogEntry(SummaryLine(s.run.spaceSaved, s.run.files, s.run.registryKeys, elapsed), "");

    s.run.abort = false;
    s.run.previewGone.clear(); // remembered within one run only
    s.run.running = false;
    s.host.RunFinished(s.settings.ScheduleArmed());
    return aborted ? RunOutcome::Aborted : RunOutcome::Completed;
}

} // namespace sweepora
