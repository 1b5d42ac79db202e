#include "cli/cli_render.hpp"

#include <QGuiApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli/cli.hpp"
#include "diagrams/rev_arm_positions.hpp"

namespace mv::cli {
namespace {

// Qt's notes about the session environment (no runtime directory on a headless machine) are no
// concern of a command-line drawing; everything else still reaches stderr.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    if (msg.startsWith(QLatin1String("QStandardPaths:"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(msg));
}

}  // namespace

void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    static int argc = 1;
    static char name[] = "merrovan-cli";
    static char* argv[] = {name, nullptr};
    static auto* app = new QGuiApplication(argc, argv);
    (void)app;
}

std::vector<double> ParsePositions(const std::string& option, const std::string& list) {
    std::vector<double> values;
    std::size_t start = 0;
    for (;;) {
        const auto comma = list.find(',', start);
        values.push_back(NumberValue(
            option,
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (values.size() > 9)
        throw UsageError{option + ": at most 9 positions, got " + std::to_string(values.size())};
    for (double v : values)
        if (std::fabs(v) > 3.4e38) throw UsageError{option + ": value out of range"};
    return values;
}

void ApplyPositions(Model& m, const std::optional<std::vector<double>>& positions) {
    if (positions) {
        for (int k = 1; k <= 9; ++k) m.revArmPositions[k] = 0.0f;
        for (std::size_t k = 0; k < positions->size(); ++k)
            CommitRevArmPosition(m, static_cast<int>(k) + 1, static_cast<float>((*positions)[k]));
    }
    NormalizeRevArmPositions(m);
}

}  // namespace mv::cli
