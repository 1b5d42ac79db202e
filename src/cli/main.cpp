#include <cstdio>
#include <exception>
#include <iostream>

#include "cli/cli.hpp"

namespace {

void Overview(std::FILE* out) {
    std::fputs(
        "usage: merrovan-cli COMMAND [OPTIONS]\n"
        "Headless interface of the merrovan valve-gear simulator.\n\n"
        "commands:\n",
        out);
    for (const auto& c : mv::cli::Commands())
        std::fprintf(out, "  %-12s %s\n", c.name.c_str(), c.synopsis.c_str());
    std::fputs("\n'merrovan-cli COMMAND --help' describes the options of a command.\n", out);
}

}  // namespace

int main(int argc, char** argv) {
    mv::cli::Args args(argv + 1, argv + argc);
    if (args.empty()) {
        Overview(stderr);
        return mv::cli::kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        Overview(stdout);
        return mv::cli::kExitOk;
    }
    for (const auto& c : mv::cli::Commands()) {
        if (c.name != args[0]) continue;
        const mv::cli::Args rest(args.begin() + 1, args.end());
        for (const auto& a : rest) {
            if (a == "--help" || a == "-h") {
                std::printf("usage: merrovan-cli %s\n%s", c.synopsis.c_str(), c.help.c_str());
                return mv::cli::kExitOk;
            }
        }
        try {
            return c.run(rest);
        } catch (const mv::cli::UsageError& e) {
            std::fprintf(stderr, "merrovan-cli %s: %s\n", c.name.c_str(), e.message.c_str());
            return mv::cli::kExitUsage;
        } catch (const mv::cli::FileError& e) {
            std::fprintf(stderr, "merrovan-cli %s: %s\n", c.name.c_str(), e.message.c_str());
            return mv::cli::kExitBadFile;
        } catch (const mv::cli::AnalysisError& e) {
            std::fprintf(stderr, "merrovan-cli %s: %s\n", c.name.c_str(), e.message.c_str());
            return mv::cli::kExitAnalysis;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "merrovan-cli %s: %s\n", c.name.c_str(), e.what());
            return mv::cli::kExitBadFile;
        }
    }
    std::fprintf(stderr, "merrovan-cli: unknown command '%s' (try --help)\n", args[0].c_str());
    return mv::cli::kExitUsage;
}
