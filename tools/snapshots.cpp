// merrovan-snapshots OUTDIR [FILE]: every window of the program on the offscreen platform, in a
// fixed series of states, as PNG files and as a text dump of each window's controls. With
// --guide it makes the user guide's pictures instead (guide_pictures.cpp). The
// comparison script (scripts/check_outputs.sh) keeps a baseline of these and of the CLI's
// outputs, so that a change meant to keep behaviour can be shown to keep it.
//
// The windows are driven only through what a user touches (buttons, bars and menu items found
// by their object names, mouse clicks on the picture), so this keeps working however the
// windows are built inside.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <cstdio>
#include <cstring>
#include <memory>

#include "aids/data_table.hpp"
#include "aids/lines_dialog.hpp"
#include "design/sensitivity_window.hpp"
#include "diagrams/diagram_windows.hpp"
#include "diagrams/set_rev_arm.hpp"
#include "diagrams/valve_events_window.hpp"
#include "dialogs/dimension_dialogs.hpp"
#include "dialogs/setting_dialogs.hpp"
#include "guide_pictures.hpp"
#include "help/help_windows.hpp"
#include "mainwin/app_windows.hpp"
#include "mainwin/main_form.hpp"
#include "model/model.hpp"

namespace {

QDir gOut;

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

QString Describe(QObject* o) {
    QString s = QString::fromLatin1(o->metaObject()->className()) + " '" + o->objectName() + "'";
    if (auto* w = qobject_cast<QWidget*>(o)) {
        const QRect g = w->geometry();
        s += QStringLiteral(" geom %1,%2 %3x%4 vis %5 en %6")
                 .arg(g.x())
                 .arg(g.y())
                 .arg(g.width())
                 .arg(g.height())
                 .arg(w->isVisibleTo(w->window()) ? 1 : 0)
                 .arg(w->isEnabled() ? 1 : 0);
        if (!w->toolTip().isEmpty()) s += " tip '" + w->toolTip() + "'";
        if (!w->font().family().isEmpty() && w->parentWidget() &&
            w->font() != w->parentWidget()->font())
            s += " font " + w->font().toString();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(o)) s += " text '" + b->text() + "'";
    if (auto* l = qobject_cast<QLabel*>(o)) s += " text '" + l->text() + "'";
    if (auto* e = qobject_cast<QLineEdit*>(o)) s += " text '" + e->text() + "'";
    if (auto* b = qobject_cast<QAbstractSlider*>(o))
        s += QStringLiteral(" value %1 range %2..%3 steps %4/%5")
                 .arg(b->value())
                 .arg(b->minimum())
                 .arg(b->maximum())
                 .arg(b->singleStep())
                 .arg(b->pageStep());
    if (auto* t = qobject_cast<QPlainTextEdit*>(o)) s += " text '" + t->toPlainText() + "'";
    if (auto* t = qobject_cast<QTableWidget*>(o)) {
        for (int c = 0; c < t->columnCount(); ++c)
            if (auto* h = t->horizontalHeaderItem(c)) s += "\n  header " + h->text();
        for (int r = 0; r < t->rowCount(); ++r) {
            s += "\n  row";
            for (int c = 0; c < t->columnCount(); ++c)
                if (auto* it = t->item(r, c)) s += " | " + it->text();
        }
    }
    return s;
}

void DumpActions(QTextStream& out, const QList<QAction*>& actions, const QString& indent) {
    for (QAction* a : actions) {
        out << indent << "action '" << a->objectName() << "' text '" << a->text() << "' tip '"
            << a->toolTip() << "' en " << a->isEnabled() << " vis " << a->isVisible() << "\n";
        if (QMenu* m = a->menu()) DumpActions(out, m->actions(), indent + "  ");
    }
}

void Dump(QWidget* w, const QString& name) {
    QFile f(gOut.filePath(name + ".txt"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    QTextStream out(&f);
    // The window itself by its object name: which class implements it is no concern here.
    out << "window" << Describe(w).mid(Describe(w).indexOf(QLatin1Char(' '))) << "\n";
    for (QWidget* o : w->findChildren<QWidget*>()) {
        if (o->objectName().startsWith(QLatin1String("qt_")) || o->window() != w) continue;
        out << "  " << Describe(o) << "\n";
    }
    if (auto* mw = qobject_cast<QMainWindow*>(w)) DumpActions(out, mw->menuBar()->actions(), "  ");
    for (auto* mb : w->findChildren<QMenuBar*>()) DumpActions(out, mb->actions(), "  ");
    for (auto* tb : w->findChildren<QToolBar*>()) DumpActions(out, tb->actions(), "  tool ");
}

void Snap(QWidget* w, const QString& name) {
    Settle();
    // The pivot data table is headed by the date and time; the rest of it must not change.
    for (auto* memo : w->findChildren<QPlainTextEdit*>()) {
        const QString text = memo->toPlainText();
        static const QRegularExpression clock(
            QStringLiteral("\\d+ \\w+ \\d{4} +\\d+:\\d\\d:\\d\\d( \\w+)?"));
        QString fixed = text;
        fixed.replace(clock, QStringLiteral("DATE TIME"));
        if (fixed != text) memo->setPlainText(fixed);
    }
    w->grab().toImage().save(gOut.filePath(name + ".png"), "PNG");
    Dump(w, name);
}

template <class T>
T* Find(QWidget* w, const char* name) {
    T* t = w->findChild<T*>(QString::fromLatin1(name));
    if (!t) std::fprintf(stderr, "merrovan-snapshots: no %s\n", name);
    return t;
}

void Trigger(QWidget* w, const char* name) {
    if (auto* a = Find<QAction>(w, name)) a->trigger();
}
void Click(QWidget* w, const char* name) {
    if (auto* b = Find<QPushButton>(w, name)) b->click();
}
void SetBar(QWidget* w, const char* name, int v) {
    if (auto* b = Find<QScrollBar>(w, name)) b->setValue(v);
}
QAction* ActionByText(QWidget* w, const QString& text) {
    for (QAction* a : w->findChildren<QAction*>())
        if (a->text() == text) return a;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(
            "usage: merrovan-snapshots OUTDIR [FILE.dst]\n"
            "       merrovan-snapshots --guide DIR [NAME...] | --guide-names\n",
            stderr);
        return 2;
    }
    if (std::strncmp(argv[1], "--guide", 7) == 0) return GuidePictures(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman")});
    gOut = QDir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(gOut.path());

    mv::Model model;
    mv::MainFormOptions options;
    options.fps = 60;
    options.startTimer = false;
    mv::TMainForm form(model, options);
    form.runModal = [](QDialog*) {};
    form.showMessage = [](const QString& s) {
        std::fprintf(stderr, "message: %s\n", qPrintable(s));
    };
    form.beep = [] {};
    QTimer* timer = form.findChild<QTimer*>(QStringLiteral("Timer1"));

    mv::TDrivAng drivAng(model, form, &form);
    mv::DiagramWindow ovalDia(model, form, mv::DiagramKind::Oval, &form);
    mv::DiagramWindow portDia(model, form, mv::DiagramKind::Port, &form);
    mv::TRefPnts refPnts(model, form, &form);
    mv::TSetRevArm setRevArm(model, form, &form);
    mv::TRevPos revPos(model, &form);
    mv::DiagramWindow sineDia(model, form, mv::DiagramKind::Sine, &form);
    mv::DiagramWindow steamDia(model, form, mv::DiagramKind::Steam, &form);
    mv::TStpAng stpAng(model, form, &form);
    mv::TAboutBox aboutBox(model, &form);
    mv::TInst inst(model, &form);
    mv::TMvOSpInst mvoSpInst(model, &form);
    mv::TFrameDi frameDi(model, &form);
    mv::TCylDimen cylDimen(model, &form);
    mv::TGraphZoom graphZoom(model, &form);
    mv::TDrawLines drawLines(model, form, &form);
    mv::TDataTable dataTable(model, &form);
    TValveEvents valveEvents(model, &form);
    mv::TSensitivity sensitivity(model, &form);
    mv::AppWindows windows;
    windows.drivAng = &drivAng;
    windows.Graph(mv::DiagramKind::Oval) = &ovalDia;
    windows.Graph(mv::DiagramKind::Port) = &portDia;
    windows.refPnts = &refPnts;
    windows.setRevArm = &setRevArm;
    windows.revPos = &revPos;
    windows.Graph(mv::DiagramKind::Sine) = &sineDia;
    windows.Graph(mv::DiagramKind::Steam) = &steamDia;
    windows.stpAng = &stpAng;
    windows.aboutBox = &aboutBox;
    windows.inst = &inst;
    windows.mvoSpInst = &mvoSpInst;
    windows.frameDi = &frameDi;
    windows.cylDimen = &cylDimen;
    windows.graphZoom = &graphZoom;
    windows.drawLines = &drawLines;
    windows.dataTable = &dataTable;
    windows.Graph(mv::DiagramKind::ValveEvents) = &valveEvents;
    windows.sensitivity = &sensitivity;
    form.SetAppWindows(windows);

    form.show();
    if (argc > 2) form.OpenFile(QString::fromLocal8Bit(argv[2]));
    Settle();

    // The main window: one frame after each step.
    int step = 0;
    auto frame = [&](const char* what) {
        // Exactly one tick: a single shot of the animation timer.
        if (timer) {
            timer->stop();
            timer->setSingleShot(true);
            timer->start(0);
            for (int i = 0; i < 100 && timer->isActive(); ++i) QCoreApplication::processEvents();
        }
        Snap(&form, QStringLiteral("main-%1-%2").arg(step++, 2, 10, QLatin1Char('0')).arg(what));
    };
    frame("start");
    Click(&form, "Run");
    frame("stopped");
    Click(&form, "Deg180");
    Click(&form, "Step45");
    frame("deg180-step45");
    Click(&form, "Fwd");
    frame("fwd");
    Click(&form, "Rev");
    frame("rev");
    Click(&form, "Center");
    SetBar(&form, "SBRevArm", 450);
    frame("revarm-bar");
    SetBar(&form, "SBStepAng", 5000);
    SetBar(&form, "SBDrvAng", 9050);
    frame("step-bar");
    SetBar(&form, "SBZoom", 10);
    SetBar(&form, "SBPanVert", 37);
    SetBar(&form, "SBPanHorz", -5);
    frame("zoom-pan");
    Click(&form, "Preset0");
    Click(&form, "Preset3");
    Click(&form, "NormVHZ");
    Click(&form, "Preset3");
    frame("presets");
    Click(&form, "NormVHZ");
    Trigger(&form, "RefPoints");
    QWidget* picture = Find<QWidget>(&form, "Picture");
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(420, 260));
    SetBar(&form, "SBRef1Vert", 25);
    frame("refpoints");
    Trigger(&form, "SetPivotData");
    for (int k = 1; k <= 6; ++k) {
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(5, 147 + 10 * k));
        const mv::Pivot& p = model.pivots[2 * k + 2];
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(p.sx, p.sy));
    }
    frame("pivotdata");
    Click(&form, "RefPt1");
    frame("pan-to-ref1");
    Trigger(&form, "DynamicVariables");
    Trigger(&form, "SetUnDo");
    frame("dynvars-undo-empty");
    Trigger(&form, "LargeFont");
    Trigger(&form, "SetLineWidth");
    Trigger(&form, "SetBeepOnError");
    frame("largefont-width2");
    Trigger(&form, "LargeFont");
    Trigger(&form, "SetLineWidth");
    Trigger(&form, "RefPoints");
    frame("refpoints-off");
    Trigger(&form, "SetScreenData");
    frame("screendata-off");
    Trigger(&form, "SetPanZoom");
    frame("panzoom-on");
    Trigger(&form, "SetPanZoom");
    frame("panzoom-off");
    Trigger(&form, "SetScreenData");
    frame("screendata-on");
    Trigger(&form, "SetPanZoom");
    frame("panzoom-after");
    Trigger(&form, "FindRevArmCent");
    frame("midgear");

    // The dialogs, shown without their modal loop.
    auto dialog = [&](QDialog* d, const char* name) {
        d->show();
        Settle();
        Snap(d, QStringLiteral("dialog-%1").arg(name));
        d->hide();
        Settle();
    };
    dialog(&frameDi, "frame");
    dialog(&cylDimen, "cylinder");
    dialog(&drivAng, "driver-angle");
    dialog(&stpAng, "step-angle");
    dialog(&revPos, "revarm-position");
    dialog(&refPnts, "ref-points");
    dialog(&graphZoom, "graphic-zoom");
    dialog(&setRevArm, "set-revarm-positions");
    dialog(&drawLines, "draw-lines");
    dialog(&dataTable, "data-table");
    dialog(&inst, "instructions");
    dialog(&mvoSpInst, "instructions-special");
    dialog(&aboutBox, "about");
    dialog(&valveEvents, "valve-events");

    // The studies' window once its ranking (started on opening) is done, then after a small
    // Monte Carlo of worn pins. The studies run on a worker thread: wait for them.
    auto studied = [&](const char* name) {
        for (int i = 0; i < 12000 && sensitivity.Running(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        // No edit holds the focus, so no blinking cursor makes two runs differ.
        if (auto* b = Find<QPushButton>(&sensitivity, "BtnClose")) b->setFocus();
        Snap(&sensitivity, QStringLiteral("dialog-%1").arg(name));
    };
    sensitivity.show();
    Settle();
    studied("sensitivity");
    if (auto* e = Find<QLineEdit>(&sensitivity, "EditPinClearance")) e->setText("0.002");
    if (auto* s = Find<QSpinBox>(&sensitivity, "SpinSamples")) s->setValue(50);
    if (auto* t = Find<QTabWidget>(&sensitivity, "Tabs")) t->setCurrentIndex(1);
    Click(&sensitivity, "BtnTolerance");
    studied("sensitivity-tolerance");
    sensitivity.hide();
    Settle();

    // A dimension edit, so that the dynamic-variable texts and the undo line have content.
    if (auto* f = frameDi.Field(5)) {
        frameDi.show();
        Settle();
        f->setFocus();
        QTest::keyClicks(f, QStringLiteral("1"));
        frameDi.Close1Click();
        frameDi.hide();
        Settle();
    }
    frame("after-edit");

    // The diagram windows, each after its redraw and after its menu entries.
    auto diagram = [&](QDialog* d, const char* name, const QStringList& entries) {
        d->show();
        Settle();
        Snap(d, QStringLiteral("diagram-%1").arg(name));
        int n = 0;
        for (const QString& e : entries) {
            if (QAction* a = ActionByText(d, e)) a->trigger();
            Snap(d, QStringLiteral("diagram-%1-%2").arg(name).arg(n++));
        }
        d->hide();
        Settle();
        if (timer) timer->stop();
    };
    const QStringList common = {QStringLiteral("DynamicVari"), QStringLiteral("&UnDo")};
    diagram(&sineDia, "sine", {QStringLiteral("&DymamicVariables"), QStringLiteral("&UnDo")});
    diagram(&ovalDia, "oval", common);
    diagram(&steamDia, "steam", common);
    diagram(&portDia, "port",
            {QStringLiteral("ReverseGraph"), QStringLiteral("BothGraphs"),
             QStringLiteral("DynamicVari"), QStringLiteral("ForwardGraph")});
    frame("after-diagrams");
    return 0;
}
