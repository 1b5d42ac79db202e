// merrovan-cli save-defaults: writes the start-up working set to a dimension file.
#include <string>

#include "cli/cli.hpp"
#include "files/dimension_file.hpp"

namespace mv::cli {
namespace {

int RunSaveDefaults(const Args& args) {
    std::vector<std::string> paths;
    for (const auto& a : args) {
        if (a.size() > 1 && a[0] == '-') throw UsageError{"unknown option '" + a + "'"};
        paths.push_back(a);
    }
    if (paths.size() != 1) throw UsageError{"expected one OUT file name"};
    Model m;
    StartUp(m);
    std::string err;
    if (!files::SaveDimensionFile(m, paths[0], err)) throw FileError{err};
    return kExitOk;
}

const bool kRegistered = Register(
    Command{"save-defaults", "save-defaults OUT.dst",
            "Writes the working set the program starts with (as .mvo when OUT ends in .mvo).\n",
            RunSaveDefaults});

}  // namespace
}  // namespace mv::cli
