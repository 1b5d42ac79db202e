#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "cli/cli.hpp"

namespace {

// The exit statuses, said once for every command: under the overview and under each command's
// own help.
const char* const kExitStatusHelp =
    "Exit status: 0 done; 1 a file could not be read or written; 2 a usage error (an unknown\n"
    "command or option, a bad value: one line on stderr); 3 an analysis that could not run\n"
    "(nothing to search, every sample failed, every derivative null, out of memory: the reason\n"
    "on stderr).\n";

void Overview(std::FILE* out) {
    std::fputs(
        "usage: merrovan-cli COMMAND [OPTIONS]\n"
        "Headless interface of the merrovan valve-gear simulator.\n\n"
        "commands:\n",
        out);
    for (const auto& c : mv::cli::Commands())
        std::fprintf(out, "  %-12s %s\n", c.name.c_str(), c.synopsis.c_str());
    std::fputs("\n'merrovan-cli COMMAND --help' describes the options of a command.\n", out);
    std::fputs(kExitStatusHelp, out);
}

bool IsHelp(const std::string& a) {
    return a == "--help" || a == "-h";
}

// Whether --help (or -h) stands where an option may stand. After an option that takes a value
// it is that value: "--file --help" names a file.
bool AsksForHelp(const mv::cli::Command& c, const mv::cli::Args& args) {
    const std::vector<mv::cli::HelpOption> options = mv::cli::HelpOptions(c.help);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (IsHelp(args[i])) return true;
        const auto o = std::find_if(options.begin(), options.end(), [&](const auto& h) {
            return h.takesValue && h.name == args[i];
        });
        if (o != options.end()) ++i;  // its value, whatever it says
    }
    return false;
}

int Run(const mv::cli::Command& c, const mv::cli::Args& args) {
    auto fail = [&c](const std::string& message, int status) {
        std::fprintf(stderr, "merrovan-cli %s: %s\n", c.name.c_str(), message.c_str());
        return status;
    };
    int status = mv::cli::kExitOk;
    try {
        status = c.run(args);
    } catch (const mv::cli::UsageError& e) {
        return fail(e.message, mv::cli::kExitUsage);
    } catch (const mv::cli::FileError& e) {
        return fail(e.message, mv::cli::kExitBadFile);
    } catch (const mv::cli::AnalysisError& e) {
        return fail(e.message, mv::cli::kExitAnalysis);
    } catch (const std::bad_alloc&) {
        return fail("out of memory", mv::cli::kExitAnalysis);
    } catch (const std::exception& e) {
        // Nothing of a file or of the options: the work itself could not be done.
        return fail(e.what(), mv::cli::kExitAnalysis);
    } catch (...) {
        return fail("an unknown error", mv::cli::kExitAnalysis);
    }
    // Output that could not be written (a full disk, a closed pipe) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail("the output could not be written", mv::cli::kExitBadFile);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    mv::cli::Args args(argv + 1, argv + argc);
    if (args.empty()) {
        Overview(stderr);
        return mv::cli::kExitUsage;
    }
    if (IsHelp(args[0]) || args[0] == "help") {
        Overview(stdout);
        return mv::cli::kExitOk;
    }
    for (const auto& c : mv::cli::Commands()) {
        if (c.name != args[0]) continue;
        const mv::cli::Args rest(args.begin() + 1, args.end());
        if (AsksForHelp(c, rest)) {
            std::printf("usage: merrovan-cli %s\n%s%s", c.synopsis.c_str(), c.help.c_str(),
                        kExitStatusHelp);
            return mv::cli::kExitOk;
        }
        return Run(c, rest);
    }
    std::fprintf(stderr, "merrovan-cli: unknown command '%s' (try --help)\n", args[0].c_str());
    return mv::cli::kExitUsage;
}
