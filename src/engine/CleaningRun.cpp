#include "engine/CleaningRun.h"

#include "browsers/BrowserSites.h"
#include "engine/BrowserBoxes.h"
#include "engine/Eradication.h"
#include "engine/IEHistoryCleaner.h"
#include "engine/NetscapeCleaners.h"
#include "engine/RegistryMruCleaners.h"
#include "engine/SessionPlugins.h"
#include "engine/SystemInfo.h"
#include "engine/SystemTraceCleaners.h"
#include "engine/UrlCacheCleaners.h"
#include "platform/RunEvents.h"
#include "platform/WideText.h"
#include "safelists/CookieLoader.h"
#include "settings/NumberRule.h"

#include <cmath>
#include <ctime>

namespace sweepora {

const RunCleaners& StandardCleaners()
{
    static const RunCleaners cleaners = {
        &CleanRunHistory, &CleanFindHistory, &CleanIEHistory, &CleanNetscapeHistory,
        [](Session& s) { CleanBrowserHistory(s); }, &CleanAutoCompleteForms, [](Session& s) { CleanBrowserForms(s); },
        &CleanCookies, &CleanNetscapeCache, [](Session& s) { CleanBrowserCookies(s); },
        [](Session& s) {
            LoadCookies(s.safeLists.cookies, s.ListFolders(), s.Yielder(), BrowserCookieSites(CurrentBrowserRoots()));
        },
        &CleanCacheFiles, [](Session& s) { CleanBrowserCaches(s); }, &CleanVisitedUrls, &CleanTypedUrls,
        [](Session& s) { CleanBrowserTypedUrls(s); }, &CleanNetscapeMail, &CleanClipboard,
        &CleanCustomDirs, [](Session& s) { EmptyRecycleBin(s, "", true, true, true); }, &CleanRecentDocs,
        &CleanWindowsTemp, [](Session& s) { RunPlugins(s); }, &CleanIndexDat,
    };
    return cleaners;
}

RunTable MakeRunTable(const RunCleaners& c)
{
    using S = AppSettings;
    return {
        {1, &S::RunHistory, c.runHistory},
        {2, &S::FileFind, c.findHistory},
        // Today's browsers first in rows 3 and 9: the older cleaners then refill the safe-list
        // pages with what the browsers still hold.
        {3, &S::NetHistory, [c](Session& s) {
             c.browserHistory(s);
             if (!s.run.abort) c.ieHistory(s);
             if (!s.run.abort) c.netscapeHistory(s);
         }},
        {4, &S::IEAutoComplete, [c](Session& s) {
             c.autoCompleteForms(s);
             if (!s.run.abort) c.browserForms(s);
         }},
        {5, &S::IEAutoPass, nullptr},
        {6, &S::NetCookies, [c](Session& s) {
             c.cookies(s);
             if (!s.run.abort) c.netscapeCache(s);
             if (!s.run.abort) c.browserCookies(s);
             c.loadCookies(s);
         }},
        {7, &S::IETempFiles, [c](Session& s) {
             c.cacheFiles(s);
             if (!s.run.abort) c.browserCaches(s);
         }},
        {8, &S::NetVisitedUrls, c.visitedUrls},
        {9, &S::NetTypedUrls, [c](Session& s) {
             c.browserTypedUrls(s);
             if (!s.run.abort) c.typedUrls(s);
         }},
        {10, &S::EmailHistory, c.netscapeMail},
        {11, &S::Clipboard, c.clipboard},
        {12, &S::CustomDirs, c.customDirs},
        {13, &S::RecBin, c.recycleBin},
        {14, &S::RecentDocs, c.recentDocs},
        {15, &S::TempFiles, c.windowsTemp},
        {16, nullptr, c.plugins},
        {17, &S::IndexDatFiles, c.indexDat},
    };
}

const RunTable& StandardRunTable()
{
    static const RunTable table = MakeRunTable(StandardCleaners());
    return table;
}

std::string TimeText(long long elapsedSeconds)
{
    const long long minutes = elapsedSeconds / 60;
    return "0:" + std::to_string(minutes) + ":" + std::to_string(elapsedSeconds - 60 * minutes);
}

long long MegabytesFreed(std::int64_t bytes)
{
    const double mb = static_cast<double>(bytes) / 1024 / 1024;
    const double fourPlaces = RoundHalfEven(mb * 10000) / 10000;
    const double whole = RoundHalfEven(fourPlaces);
    return whole < 0 ? 0 : static_cast<long long>(whole);
}

std::string SummaryLine(std::int64_t bytes, std::int64_t files, std::int64_t registryKeys,
                        long long elapsedSeconds, std::int64_t filesNotOverwritten)
{
    const std::string notOverwritten =
        filesNotOverwritten > 0 ? " (" + std::to_string(filesNotOverwritten) + " deleted, not overwritten)" : "";
    return "Finished :- Space saved : " + std::to_string(MegabytesFreed(bytes)) + " MB, Files : " +
           std::to_string(files) + notOverwritten + ",Registory keys : " + std::to_string(registryKeys) + "," +
           " time taken : " + TimeText(elapsedSeconds);
}

namespace {

// %1 and %2 of every run event: the mode and the user.
std::vector<std::wstring> RunEventInserts(const Session& s)
{
    return {s.run.live ? L"clean" : L"preview", WideFromUtf8(GetNetUserName())};
}

} // namespace

RunOutcome RunCleaning(Session& s, const RunTable& table)
{
    if (s.run.running) return RunOutcome::Ignored;
    RereadUnreadableLists(s.safeLists, s.Yielder());
    if (const std::string refusal = UnreadableListsMessage(s.safeLists); !refusal.empty()) {
        for (const ListPair* page : {&s.safeLists.cookies, &s.safeLists.typedUrls, &s.safeLists.history})
            if (!page->unreadable.empty())
                s.log.AddLogEntry(kSafeListsTask, "Not read: " + page->unreadable + "; nothing was cleaned");
        std::vector<std::wstring> inserts = RunEventInserts(s);
        inserts.push_back(WideFromUtf8(refusal));
        s.events->Report(EventKind::Error, SWEEPORA_EVENT_RUN_FAILED, inserts);
        return RunOutcome::Refused;
    }
    s.run.running = true;
    s.host.RunStarted();
    std::vector<std::wstring> inserts = RunEventInserts(s);
    s.events->Report(EventKind::Information, SWEEPORA_EVENT_RUN_STARTED, inserts);
    s.run.abort = false;
    // Full date and time, so that a run across midnight reports its real length.
    const std::time_t start = std::time(nullptr);
    s.run.spaceSaved = 0;
    s.run.previewGone.clear();
    s.storeReports.clear();
    s.run.files = 0;
    s.run.filesNotOverwritten = 0;
    s.run.registryKeys = 0;

    for (const RunRow& row : table) {
        const bool always = row.flag == nullptr;
        if (!always && (s.run.abort || s.settings.*row.flag != "1")) continue;
        if (row.clean) row.clean(s);
    }

    const long long elapsed = static_cast<long long>(std::difftime(std::time(nullptr), start));
    const bool aborted = s.run.abort;
    const std::string last =
        aborted ? kAbortedByUser : SummaryLine(s.run.spaceSaved, s.run.files, s.run.registryKeys, elapsed,
                                          s.run.filesNotOverwritten);
    s.log.AddLogEntry(last, "");
    // The figures as inserts of their own, so that a collector need not parse the line.
    for (const std::string& text : {last, std::to_string(s.run.spaceSaved), std::to_string(s.run.files),
                                    std::to_string(s.run.registryKeys), std::to_string(elapsed)})
        inserts.push_back(WideFromUtf8(text));
    if (aborted)
        s.events->Report(EventKind::Warning, SWEEPORA_EVENT_RUN_ABORTED, inserts);
    else
        s.events->Report(EventKind::Information, SWEEPORA_EVENT_RUN_FINISHED, inserts);

    s.run.abort = false;
    s.run.previewGone.clear(); // remembered within one run only
    s.run.running = false;
    s.host.RunFinished(s.settings.ScheduleArmed());
    return aborted ? RunOutcome::Aborted : RunOutcome::Completed;
}

} // namespace sweepora
