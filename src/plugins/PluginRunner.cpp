#include "plugins/PluginRunner.h"

#include "platform/Text.h"
#include "platform/Timestamp.h"

#include <exception>
#include <new>

namespace sweepora {

namespace {

constexpr const char* kEveryTargetRefused = "Refused: every target is protected";
constexpr const char* kNoKnownRoot = "Not done: no target names a registry root this program knows";
constexpr const char* kNothingAllowed =
    "Not done: every target is protected or names a registry root this program does not know";

// "Google Chrome - Cache" is Google Chrome's.
std::string ApplicationOf(const std::string& entryName)
{
    const std::size_t dash = entryName.find(" - ");
    return dash == std::string::npos ? entryName : entryName.substr(0, dash);
}

std::string WhyText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an unexpected failure";
    }
}

} // namespace

std::string RunCleaningEntry(const CleaningEntry& entry, EraseContext& c, const TargetGuard& guard)
{
    bool inUse = false;
    // Targets the guards refused whole, and registry targets with a root nobody knows: when
    // together they are every target, nothing of the entry ran.
    std::size_t refused = 0, notDone = 0;
    // A failing target is passed over so that the next one still runs; the entry then
    // reports the first failure instead of completing.
    std::exception_ptr failure;
    for (const RegistryTarget& t : entry.registry) {
        if (c.run.abort) return {};
        try {
            const TargetEnd end = EraseRegistryTarget(c, t, entry.exclusions, guard);
            if (end == TargetEnd::Refused) ++refused;
            if (end == TargetEnd::NotDone) ++notDone;
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    for (const FileTarget& t : entry.files) {
        if (c.run.abort) break;
        try {
            const WalkOutcome outcome = EraseFileTarget(c, t, entry.exclusions, guard);
            inUse = outcome.inUse || inUse;
            if (outcome.refused) ++refused;
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (inUse) {
        const std::string application = ApplicationOf(entry.name);
        c.log.AddLogEntry(application, "Some files are in use: close " + application + " first, then clean again");
    }
    if (failure) std::rethrow_exception(failure);
    const std::size_t targets = entry.registry.size() + entry.files.size();
    if (targets == 0 || refused + notDone < targets) return {};
    if (notDone == 0) return kEveryTargetRefused;
    return refused == 0 ? kNoKnownRoot : kNothingAllowed;
}

bool RunPlugins(const PluginList& list, const std::string& pluginFolder, const PluginVariables& variables,
                EraseContext& c, const TargetGuard& guard)
{
    bool notifyShell = false;
    if (c.run.abort) return notifyShell;
    const auto run = [&](const CleaningEntry& entry) {
        std::string status;
        try {
            status = RunCleaningEntry(entry, c, guard);
        } catch (...) {
            status = "Error : " + WhyText(std::current_exception());
        }
        if (c.run.abort) status = "**aborted**";
        notifyShell = notifyShell || (entry.notifyShell && status.empty());
        c.log.AddLogEntry("Plugin : " + entry.name, status.empty() ? "Completed : " + TimestampText() : status);
    };
    for (const PluginLine& line : list.Lines()) {
        if (!line.ticked || line.definition >= 0) continue;
        // Each run reads the file afresh, so an edit takes effect at the next run.
        CleaningEntry entry;
        std::string unreadable;
        try {
            entry = ReadPluginEntry(pluginFolder, line.name, variables);
        } catch (...) {
            entry = CleaningEntry();
            entry.name = TrimBlanks(line.name);
            unreadable = WhyText(std::current_exception());
        }
        if (unreadable.empty()) {
            run(entry);
        } else {
            c.log.AddLogEntry("Plugin : " + entry.name, "Error : the plugin could not be read: " + unreadable);
        }
        if (c.run.abort) return notifyShell;
    }
    for (const PluginLine& line : list.Lines()) {
        if (!line.ticked || line.definition < 0) continue;
        run(list.Definitions()[static_cast<std::size_t>(line.definition)]);
        if (c.run.abort) return notifyShell;
    }
    return notifyShell;
}

} // namespace sweepora
