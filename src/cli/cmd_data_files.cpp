// merrovan-cli data-files: where the help texts and sounds are found.
#include <QCoreApplication>
#include <cstdio>

#include "cli/cli.hpp"
#include "mainwin/data_files.hpp"

namespace mv::cli {
namespace {

int RunDataFiles(const Args& args) {
    if (!args.empty()) throw UsageError{"unknown option '" + args.front() + "'"};
    int argc = 1;
    char name[] = "merrovan-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    int missing = 0;
    for (const char* f : {"instruct.doc", "MvOSpIns.doc", "Exhaust.wav", "Error.wav"}) {
        const QString path = FindDataFile(QString::fromLatin1(f));
        if (path.isEmpty()) {
            std::printf("%s: not found\n", f);
            ++missing;
        } else {
            std::printf("%s: %s\n", f, path.toLocal8Bit().constData());
        }
    }
    if (missing == 0) return kExitOk;
    // A failing status says why on stderr, as every command's does.
    std::fflush(stdout);
    std::fprintf(stderr, "merrovan-cli data-files: %d of the 4 data files not found\n", missing);
    return kExitBadFile;
}

const bool kRegistered = Register(Command{
    "data-files", "data-files",
    "Lists where the help texts and sound files are found (beside the program, in its share\n"
    "folder or in the working folder). Exit status 1 when one is missing.\n",
    RunDataFiles});

}  // namespace
}  // namespace mv::cli
