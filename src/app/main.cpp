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

#include "aids/data_table.hpp"
#include "aids/lines_dialog.hpp"
#include "diagrams/diagram_windows.hpp"
#include "diagrams/set_rev_arm.hpp"
#include "diagrams/valve_events_window.hpp"
#include "dialogs/design_assistant_window.hpp"
#include "dialogs/dimension_dialogs.hpp"
#include "dialogs/setting_dialogs.hpp"
#include "help/help_windows.hpp"
#include "mainwin/app_windows.hpp"
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
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman")});

    mv::Model model;
    mv::TMainForm form(model, options);

    // Every secondary window, created once in this order and kept until the program ends.
    auto drivAng = std::make_unique<mv::TDrivAng>(model, form, &form);
    auto ovalDia = std::make_unique<mv::TOvalDia>(model, form, &form);
    auto portDia = std::make_unique<mv::TPortDia>(model, form, &form);
    auto refPnts = std::make_unique<mv::TRefPnts>(model, form, &form);
    auto setRevArm = std::make_unique<mv::TSetRevArm>(model, form, &form);
    auto revPos = std::make_unique<mv::TRevPos>(model, &form);
    auto sineDia = std::make_unique<mv::TSineDia>(model, form, &form);
    auto steamDia = std::make_unique<mv::TSteamDia>(model, form, &form);
    auto stpAng = std::make_unique<mv::TStpAng>(model, form, &form);
    auto aboutBox = std::make_unique<mv::TAboutBox>(model, &form);
    auto inst = std::make_unique<mv::TInst>(model, &form);
    auto mvoSpInst = std::make_unique<mv::TMvOSpInst>(model, &form);
    auto frameDi = std::make_unique<mv::TFrameDi>(model, &form);
    auto cylDimen = std::make_unique<mv::TCylDimen>(model, &form);
    auto graphZoom = std::make_unique<mv::TGraphZoom>(model, &form);
    auto drawLines = std::make_unique<mv::TDrawLines>(model, form, &form);
    auto dataTable = std::make_unique<mv::TDataTable>(model, &form);
    auto valveEvents = std::make_unique<TValveEvents>(model, &form);
    auto designAssistant = std::make_unique<mv::TDesignAssistant>(model, &form);

    for (mv::DiagramWindow* d : {static_cast<mv::DiagramWindow*>(sineDia.get()),
                                 static_cast<mv::DiagramWindow*>(ovalDia.get()),
                                 static_cast<mv::DiagramWindow*>(steamDia.get()),
                                 static_cast<mv::DiagramWindow*>(portDia.get())})
        d->SetRevArmDialog(setRevArm.get());

    mv::AppWindows windows;
    windows.drivAng = drivAng.get();
    windows.ovalDia = ovalDia.get();
    windows.portDia = portDia.get();
    windows.refPnts = refPnts.get();
    windows.setRevArm = setRevArm.get();
    windows.revPos = revPos.get();
    windows.sineDia = sineDia.get();
    windows.steamDia = steamDia.get();
    windows.stpAng = stpAng.get();
    windows.aboutBox = aboutBox.get();
    windows.inst = inst.get();
    windows.mvoSpInst = mvoSpInst.get();
    windows.frameDi = frameDi.get();
    windows.cylDimen = cylDimen.get();
    windows.graphZoom = graphZoom.get();
    windows.drawLines = drawLines.get();
    windows.dataTable = dataTable.get();
    windows.valveEvents = valveEvents.get();
    windows.designAssistant = designAssistant.get();
    form.SetAppWindows(windows);

    form.show();
    if (!file.empty()) {
        const QString path = QString::fromLocal8Bit(file.c_str());
        QTimer::singleShot(0, &form, [&form, path] { form.OpenFile(path); });
    }
    return app.exec();
}
