#include "cli/CliApp.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    sweepora::CliOptions options;
    std::string error;
    if (!sweepora::ParseCliArguments(args, options, error)) {
        std::cerr << "usage: sweepora-cli preview|clean [--report FILE]  (" << error << ")" << std::endl;
        return sweepora::kExitUsage;
    }
    try {
        return sweepora::RunCli(options, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "sweepora-cli: " << e.what() << std::endl;
        return 3;
    }
}
