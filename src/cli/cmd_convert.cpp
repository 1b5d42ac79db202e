// merrovan-cli convert: reads a .dst or .mvo file and writes it as .dst or .mvo.
#include <string>

#include "cli/cli.hpp"
#include "files/dimension_file.hpp"

namespace mv::cli {
namespace {

int RunConvert(const Args& args) {
    std::vector<std::string> paths;
    for (const auto& a : args) {
        if (a.size() > 1 && a[0] == '-') throw UsageError{"unknown option '" + a + "'"};
        paths.push_back(a);
    }
    if (paths.size() != 2) throw UsageError{"expected IN and OUT file names"};
    Model m;
    StartUp(m);
    std::string err;
    if (!files::OpenDimensionFile(m, paths[0], err)) throw FileError{err};
    if (!files::SaveDimensionFile(m, paths[1], err)) throw FileError{err};
    return kExitOk;
}

const bool kRegistered = Register(Command{
    "convert", "convert IN OUT",
    "Opens IN as the open command does and saves it as OUT. IN is read as .dst or .mvo by\n"
    "what it holds, whatever its name; OUT is written as .mvo when its name ends in .mvo, else\n"
    "as .dst. Settings that a .mvo file does not carry take their start-up values.\n",
    RunConvert});

}  // namespace
}  // namespace mv::cli
