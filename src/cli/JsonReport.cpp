#include "cli/JsonReport.h"

#include "engine/SystemInfo.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramVersion.h"
#include "platform/WideText.h"

#include <nlohmann/json.hpp>

#include <windows.h>

namespace sweepora {

namespace {

std::string ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? Utf8FromWide(name, size) : std::string();
}

// The resource says "Version 2.0.0"; a report wants the number alone.
std::string VersionNumber()
{
    const std::string text = ProgramVersionText();
    const std::string prefix = "Version ";
    return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : text;
}

} // namespace

const char* JsonOutcomeText(JsonOutcome outcome)
{
    switch (outcome) {
    case JsonOutcome::Running: return "running";
    case JsonOutcome::Completed: return "completed";
    case JsonOutcome::Aborted: return "aborted";
    case JsonOutcome::Refused: return "refused";
    case JsonOutcome::Failed: break;
    }
    return "failed";
}

JsonOutcome OutcomeOfExitCode(int exitCode)
{
    return exitCode == 0   ? JsonOutcome::Completed
           : exitCode == 1 ? JsonOutcome::Aborted
           : exitCode == 4 ? JsonOutcome::Refused
                           : JsonOutcome::Failed;
}

JsonRunFacts StartedRunFacts(const Session& session, std::time_t started)
{
    JsonRunFacts facts;
    facts.version = VersionNumber();
    facts.machine = ComputerName();
    facts.user = GetNetUserName();
    facts.live = session.run.live;
    facts.started = started;
    return facts;
}

JsonRunFacts FinishedRunFacts(const Session& session, std::time_t started, bool aborted, int exitCode)
{
    JsonRunFacts facts = StartedRunFacts(session, started);
    facts.finished = std::time(nullptr);
    facts.outcome = OutcomeOfExitCode(exitCode);
    facts.aborted = aborted;
    facts.exitCode = exitCode;
    facts.bytesFreed = session.run.spaceSaved;
    facts.files = session.run.files;
    facts.filesNotOverwritten = session.run.filesNotOverwritten;
    facts.registryKeys = session.run.registryKeys;
    facts.stores = session.storeReports;
    return facts;
}

std::string IsoUtcText(std::time_t at)
{
    const std::tm* utc = std::gmtime(&at);
    if (!utc) return {};
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
    return text;
}

std::string FormatJsonReport(const JsonRunFacts& facts, const std::vector<LogLine>& lines)
{
    using nlohmann::ordered_json;
    ordered_json entries = ordered_json::array();
    for (const LogLine& line : lines) entries.push_back({{"task", line.task}, {"status", line.status}});
    ordered_json stores = ordered_json::array();
    for (const StoreReport& r : facts.stores)
        stores.push_back({{"box", r.box},
                          {"browser", r.browser},
                          {"profile", r.profile},
                          {"store", r.store},
                          {"rows", r.rows},
                          {"status", r.status}});
    const bool running = facts.outcome == JsonOutcome::Running;
    const ordered_json document = {
        {"version", facts.version},
        {"machine", facts.machine},
        {"user", facts.user},
        {"mode", facts.live ? "clean" : "preview"},
        {"started", IsoUtcText(facts.started)},
        {"finished", running ? ordered_json() : ordered_json(IsoUtcText(facts.finished))},
        {"outcome", JsonOutcomeText(facts.outcome)},
        {"aborted", facts.aborted},
        {"exitCode", facts.exitCode},
        {"summary",
         {{"bytesFreed", facts.bytesFreed},
          {"files", facts.files},
          {"filesNotOverwritten", facts.filesNotOverwritten},
          {"registryKeys", facts.registryKeys},
          {"seconds", running ? 0LL : static_cast<long long>(facts.finished - facts.started)}}},
        {"browserStores", std::move(stores)},
        {"entries", std::move(entries)},
    };
    // A name read from a damaged registry value must not cost the whole report.
    return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool WriteJsonReport(const std::string& path, const JsonRunFacts& facts, const std::vector<LogLine>& lines)
{
    return WriteFileAtomically(path, FormatJsonReport(facts, lines));
}

} // namespace sweepora
