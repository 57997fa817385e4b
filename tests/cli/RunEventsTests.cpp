// What runs report to the Application log, and the message table that gives the events their text.
#include "engine/CleaningRun.h"
#include "engine/SystemInfo.h"
#include "platform/ApplicationEventLog.h"
#include "platform/Paths.h"
#include "platform/RunEvents.h"
#include "platform/WideText.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <tuple>

using namespace sweepora;
using Inserts = std::vector<std::wstring>;

namespace {

struct RunEventsFixture : test::SessionFixture, EventReporter {
    std::vector<std::tuple<EventKind, DWORD, Inserts>> events;
    std::wstring user = WideFromUtf8(GetNetUserName());

    void Report(EventKind kind, DWORD id, const Inserts& inserts) override { events.emplace_back(kind, id, inserts); }

    // One step that counts what a cleaner would, then aborts when asked.
    Inserts Run(bool abort)
    {
        session.events = this;
        RunCleaning(session, {{1, nullptr, [abort](Session& s) {
                                   s.run.spaceSaved += 3 * 1048576;
                                   s.run.files += 42;
                                   s.run.registryKeys += 4;
                                   s.run.abort = abort;
                               }}});
        EXPECT_EQ(events.size(), 2u);
        EXPECT_EQ(events.at(0), std::make_tuple(EventKind::Information, DWORD{SWEEPORA_EVENT_RUN_STARTED},
                                                Inserts{session.run.live ? L"clean" : L"preview", user}));
        const Inserts& last = std::get<2>(events.at(1));
        EXPECT_EQ(last.size(), 7u);
        // The first inserts as the start's, the figures those of the run.
        EXPECT_EQ(Inserts(last.begin(), last.begin() + 2), std::get<2>(events.at(0)));
        EXPECT_EQ(Inserts(last.begin() + 3, last.begin() + 6), (Inserts{L"3145728", L"42", L"4"}));
        return last;
    }
};

} // namespace

TEST_F(RunEventsFixture, ARunReportsItsStartThenItsEndWithTheLogsSummaryOrAWarningWhenAborted)
{
    const Inserts end = Run(false);
    EXPECT_EQ(std::make_pair(std::get<0>(events[1]), std::get<1>(events[1])),
              std::make_pair(EventKind::Information, DWORD{SWEEPORA_EVENT_RUN_FINISHED}));
    const std::string summary = SummaryLine(3 * 1048576, 42, 4, std::stoll(end.at(6)));
    EXPECT_EQ(Utf8FromWide(end.at(2)), summary);
    const std::string logged = session.log.Lines().back().task;
    EXPECT_EQ(logged.substr(logged.size() - std::min(logged.size(), summary.size())), summary);

    events.clear();
    session.run.live = true;
    const Inserts abort = Run(true);
    EXPECT_EQ(std::make_pair(std::get<0>(events[1]), std::get<1>(events[1])),
              std::make_pair(EventKind::Warning, DWORD{SWEEPORA_EVENT_RUN_ABORTED}));
    EXPECT_EQ(Utf8FromWide(abort.at(2)), kAbortedByUser);
}

TEST(RunEventMessages, TheConsoleProgramCarriesEachEventsTextWithItsInserts)
{
    const std::wstring exe = WideFromUtf8(AddBackslash(FolderOf(ExecutablePath())) + "sweepora-cli.exe");
    const HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << ::GetLastError();
    // One argument array serves every message; each takes the inserts it names.
    std::vector<DWORD_PTR> inserts;
    for (const wchar_t* text : {L"preview", L"Ann", L"(third)", L"3145728", L"42", L"4", L"75"})
        inserts.push_back(reinterpret_cast<DWORD_PTR>(text));
    const std::pair<DWORD, std::wstring> expected[] = {
        {SWEEPORA_EVENT_RUN_STARTED, L"Sweepora started a preview run for the user Ann."},
        {SWEEPORA_EVENT_RUN_FINISHED, L"Sweepora finished a preview run for the user Ann.\r\n(third)\r\n"
                                      L"Bytes: 3145728, files: 42, registry keys: 4, seconds: 75."},
        {SWEEPORA_EVENT_RUN_ABORTED, L"The user aborted Sweepora's preview run for the user Ann.\r\n(third)\r\n"
                                     L"Up to then: bytes: 3145728, files: 42, registry keys: 4, seconds: 75."},
        {SWEEPORA_EVENT_RUN_FAILED, L"Sweepora's preview run for the user Ann failed: (third)"}};
    for (const auto& [id, text] : expected) {
        wchar_t buffer[1024] = {};
        DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id,
                                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer, 1024,
                                        reinterpret_cast<va_list*>(inserts.data()));
        while (length > 0 && (buffer[length - 1] == L'\n' || buffer[length - 1] == L'\r')) --length;
        EXPECT_EQ(Utf8FromWide(buffer, length), Utf8FromWide(text)) << id << ' ' << ::GetLastError();
    }
    ::FreeLibrary(module);
}

TEST(ApplicationEventLog, ReportsEveryKindWithoutComplaint)
{
    std::vector<std::string> complaints;
    {
        ApplicationEventLog log([&complaints](const std::string& line) { complaints.push_back(line); });
        log.Report(EventKind::Information, SWEEPORA_EVENT_RUN_STARTED, {L"preview", L"Ann"});
        log.Report(EventKind::Warning, SWEEPORA_EVENT_RUN_ABORTED, {});
        // Longer than one insert may be: cut, not refused.
        log.Report(EventKind::Error, SWEEPORA_EVENT_RUN_FAILED, {L"clean", L"Ann", std::wstring(40000, L'x')});
    }
    EXPECT_TRUE(complaints.empty()) << complaints.front();
}
