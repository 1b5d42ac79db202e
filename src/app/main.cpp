// The desktop program: one model, the main window and every secondary window, created once.
#include <QApplication>
#include <QFont>
#include <QString>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "aids/data_table.hpp"
#include "aids/lines_dialog.hpp"
#include "design/design_assistant_window.hpp"
#include "design/new_gear_dialog.hpp"
#include "design/sensitivity_window.hpp"
#include "diagrams/diagram_windows.hpp"
#include "diagrams/set_rev_arm.hpp"
#include "diagrams/valve_events_window.hpp"
#include "dialogs/dimension_dialogs.hpp"
#include "dialogs/setting_dialogs.hpp"
#include "help/guide_window.hpp"
#include "help/help_windows.hpp"
#include "mainwin/app_windows.hpp"
#include "mainwin/look.hpp"
#include "mainwin/main_form.hpp"
#include "model/model.hpp"
#include "model/text.hpp"

namespace {

void Usage() {
    std::fputs(
        "usage: merrovan [--fps N] [FILE.dst | FILE.mvo]\n"
        "  --fps N        animation frames per second (0 runs unpaced; default: screen refresh)\n"
        "  --has-window   exit at once with status 0 (this build has the desktop window)\n",
        stderr);
}

bool HasDisplay() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    mv::MainFormOptions options;
    options.fitOnShow = true;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--has-window") return 0;
        if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        }
        if (a == "--fps" || a.rfind("--fps=", 0) == 0) {
            std::string v;
            if (a == "--fps") {
                if (i + 1 >= argc) {
                    std::fputs("merrovan: --fps needs a number\n", stderr);
                    return 2;
                }
                v = argv[++i];
            } else {
                v = a.substr(6);
            }
            double fps = 0;
            if (!mv::ParseStrict(v, fps) || fps < 0 || fps > 1000) {
                std::fprintf(stderr, "merrovan: --fps wants a number from 0 to 1000, not '%s'\n",
                             v.c_str());
                return 2;
            }
            options.fps = fps;
            continue;
        }
        if (!a.empty() && a[0] == '-' && a != "-") {
            std::fprintf(stderr, "merrovan: unknown option '%s'\n", a.c_str());
            Usage();
            return 2;
        }
        if (!file.empty()) {
            std::fputs("merrovan: give at most one dimension file\n", stderr);
            return 2;
        }
        file = a;
    }

    if (!HasDisplay()) {
        std::fputs(
            "merrovan: no display found (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are all "
            "unset).\nStart it from a desktop session, or use merrovan-cli for headless work.\n",
            stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("merrovan"));
    // The window fonts are named after the classic faces; use metric-compatible ones.
    mv::InstallFontSubstitutions();

    mv::Model model;
    mv::TMainForm form(model, options);

    // Every secondary window, created once and kept until the program ends.
    mv::AppWindows windows;
    std::vector<std::unique_ptr<QDialog>> owned;
    auto keep = [&owned](std::unique_ptr<QDialog> w) {
        owned.push_back(std::move(w));
        return owned.back().get();
    };
    auto setRevArm = std::make_unique<mv::TSetRevArm>(model, form, &form);
    windows.drivAng = keep(std::make_unique<mv::TDrivAng>(model, form, &form));
    windows.refPnts = keep(std::make_unique<mv::TRefPnts>(model, form, &form));
    windows.revPos = keep(std::make_unique<mv::TRevPos>(model, &form));
    windows.stpAng = keep(std::make_unique<mv::TStpAng>(model, form, &form));
    windows.aboutBox = keep(std::make_unique<mv::TAboutBox>(model, &form));
    windows.inst = keep(std::make_unique<mv::TInst>(model, &form));
    windows.mvoSpInst = keep(std::make_unique<mv::TMvOSpInst>(model, &form));
    windows.guide = keep(std::make_unique<mv::TGuide>(model, &form));
    windows.frameDi = keep(std::make_unique<mv::TFrameDi>(model, &form));
    windows.cylDimen = keep(std::make_unique<mv::TCylDimen>(model, &form));
    windows.graphZoom = keep(std::make_unique<mv::TGraphZoom>(model, &form));
    windows.drawLines = keep(std::make_unique<mv::TDrawLines>(model, form, &form));
    windows.dataTable = keep(std::make_unique<mv::TDataTable>(model, &form));
    windows.designAssistant = keep(std::make_unique<mv::TDesignAssistant>(model, &form));
    windows.sensitivity = keep(std::make_unique<mv::TSensitivity>(model, &form));
    auto newGear = std::make_unique<mv::TNewGear>(&form);
    newGear->openGear = [&form](const mv::Gear& g) { return form.OpenNewGear(g); };
    windows.newGear = keep(std::move(newGear));
    for (const mv::DiagramKindInfo& k : mv::DiagramKinds()) {
        if (!k.draw) {
            windows.Graph(k.kind) = keep(std::make_unique<TValveEvents>(model, &form));
            continue;
        }
        auto w = std::make_unique<mv::DiagramWindow>(model, form, k.kind, &form);
        w->SetRevArmDialog(setRevArm.get());
        windows.Graph(k.kind) = keep(std::move(w));
    }
    windows.setRevArm = keep(std::move(setRevArm));
    form.SetAppWindows(windows);

    form.show();
    if (!file.empty()) {
        const QString path = QString::fromLocal8Bit(file.c_str());
        // Framed again for the gear it brings.
        QTimer::singleShot(0, &form, [&form, path] {
            if (form.OpenFile(path)) form.FitView();
        });
    }
    return app.exec();
}
