#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace sweepora {

constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;
constexpr int kExitUsage = 2;
// An unexpected internal error (main's exception handler returns 3).
constexpr int kExitFailed = 3;
// A safe list's file is there but could not be read: the run did not start, nothing was erased.
constexpr int kExitRefused = 4;

constexpr const char* kCliUsage =
    "usage: sweepora-cli preview|clean [--report FILE] [--json FILE] [--only NAME]...\n"
    "       sweepora-cli definitions [--all]\n"
    "       sweepora-cli schedule add (--at-logon | --daily HH:MM | --weekly DAY HH:MM) [--clean | --preview]\n"
    "       sweepora-cli schedule list | remove NAME | remove --all | remove --all-users";

// sweepora-cli preview|clean [--report FILE] [--json FILE] [--only NAME]... | definitions [--all]
struct CliOptions {
    bool live = false;
    std::string reportPath;
    std::string jsonPath; // the machine-readable report
    // The plugins and definitions to run instead of the ticked ones.
    std::vector<std::string> only;
    bool listDefinitions = false;
    bool allDefinitions = false; // with the reason an entry is not offered
};

// False (with a reason) for anything but one mode with its own options.
bool ParseCliArguments(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// "definitions": one line per entry, "group<TAB>name<TAB>source", and with --all the entries
// not offered too, with "<TAB>not offered: <why>" or "<TAB>unusable". Then the load's counts.
// Otherwise: loads the saved settings and safe lists, runs, prints every log line as "task<TAB>status"
// and writes the text and JSON reports when asked. Returns the exit status.
int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err);

} // namespace sweepora
