#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace sweepora {

constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;
constexpr int kExitUsage = 2;

// sweepora-cli preview|clean [--report FILE]
struct CliOptions {
    bool live = false;
    std::string reportPath;
};

// False (with a reason) for anything but one mode and at most one --report FILE.
bool ParseCliArguments(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// Loads the saved settings and safe lists, runs, prints every log line as "task<TAB>status"
// and writes the report when asked. Returns the exit status.
int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err);

} // namespace sweepora
