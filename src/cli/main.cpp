#include "cli/CliApp.h"
#include "cli/TaskSchedule.h"
#include "platform/WideText.h"

#include <windows.h>
#include <shellapi.h>

#include <iostream>

int main()
{
    // The log's names are UTF-8: let the console show them as such.
    ::SetConsoleOutputCP(CP_UTF8);
    // The arguments as typed, so a report path keeps every character.
    std::vector<std::string> args;
    int argc = 0;
    if (LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i) args.push_back(sweepora::Utf8FromWide(argv[i], ::lstrlenW(argv[i])));
        ::LocalFree(argv);
    }
    if (!args.empty() && args[0] == "schedule") {
        sweepora::ScheduleOptions schedule;
        std::string why;
        if (!sweepora::ParseScheduleArguments({args.begin() + 1, args.end()}, schedule, why)) {
            std::cerr << sweepora::kCliUsage << "\n(" << why << ")" << std::endl;
            return sweepora::kExitUsage;
        }
        return sweepora::RunSchedule(schedule, std::cout, std::cerr);
    }
    sweepora::CliOptions options;
    std::string error;
    if (!sweepora::ParseCliArguments(args, options, error)) {
        std::cerr << sweepora::kCliUsage << "\n(" << error << ")" << std::endl;
        return sweepora::kExitUsage;
    }
    try {
        return sweepora::RunCli(options, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "sweepora-cli: " << e.what() << std::endl;
        return sweepora::kExitFailed;
    }
}
