// The user guide's pictures. Each starts from a freshly started program (the built-in gear, every
// window as at start-up), is set up the way a user would do it (buttons, bars, menu items and
// fields found by their object names) and is saved as NAME.png. The guide's test checks that
// every picture the guide shows is one of these names.
#include "guide_pictures.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "aids/build_sheet.hpp"
#include "aids/data_table.hpp"
#include "aids/lines_dialog.hpp"
#include "design/design_assistant_window.hpp"
#include "design/new_gear_dialog.hpp"
#include "design/scale_gear_dialog.hpp"
#include "design/sensitivity_window.hpp"
#include "diagrams/diagram_kinds.hpp"
#include "diagrams/diagram_windows.hpp"
#include "diagrams/rev_arm_positions.hpp"
#include "diagrams/set_rev_arm.hpp"
#include "diagrams/valve_events_window.hpp"
#include "dialogs/dimension_dialogs.hpp"
#include "dialogs/dimension_field.hpp"
#include "dialogs/setting_dialogs.hpp"
#include "files/dimension_file.hpp"
#include "help/help_windows.hpp"
#include "mainwin/app_windows.hpp"
#include "mainwin/look.hpp"
#include "mainwin/main_form.hpp"
#include "model/dimensions.hpp"
#include "model/model.hpp"

namespace {

using mv::DiagramKind;

// Controls a picture's script looked for and did not find: the picture would show the wrong
// state, so the run fails and names them.
int gMissing = 0;

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// The program as `merrovan` starts it, with nothing that blocks: modal windows are only shown.
struct Program {
    mv::Model model;
    std::unique_ptr<mv::TMainForm> form;
    std::vector<std::unique_ptr<QDialog>> owned;
    mv::AppWindows windows;

    Program() {
        mv::MainFormOptions options;
        options.fps = 60;
        options.startTimer = false;
        options.fitOnShow = true;
        form = std::make_unique<mv::TMainForm>(model, options);
        form->runModal = [](QDialog* d) { d->show(); };
        form->showMessage = [](const QString& s) {
            std::fprintf(stderr, "merrovan-snapshots: message: %s\n", qPrintable(s));
        };
        form->beep = [] {};
        form->askToSave = [] { return mv::SaveChoice::Discard; };
        auto keep = [this](std::unique_ptr<QDialog> w) {
            owned.push_back(std::move(w));
            return owned.back().get();
        };
        mv::TMainForm& f = *form;
        windows.drivAng = keep(std::make_unique<mv::TDrivAng>(model, f, &f));
        windows.refPnts = keep(std::make_unique<mv::TRefPnts>(model, f, &f));
        windows.revPos = keep(std::make_unique<mv::TRevPos>(model, &f));
        windows.stpAng = keep(std::make_unique<mv::TStpAng>(model, f, &f));
        windows.aboutBox = keep(std::make_unique<mv::TAboutBox>(model, &f));
        windows.inst = keep(std::make_unique<mv::TInst>(model, &f));
        windows.mvoSpInst = keep(std::make_unique<mv::TMvOSpInst>(model, &f));
        windows.frameDi = keep(std::make_unique<mv::TFrameDi>(model, &f));
        windows.cylDimen = keep(std::make_unique<mv::TCylDimen>(model, &f));
        windows.graphZoom = keep(std::make_unique<mv::TGraphZoom>(model, &f));
        windows.drawLines = keep(std::make_unique<mv::TDrawLines>(model, f, &f));
        windows.dataTable = keep(std::make_unique<mv::TDataTable>(model, &f));
        windows.designAssistant = keep(std::make_unique<mv::TDesignAssistant>(model, &f));
        windows.sensitivity = keep(std::make_unique<mv::TSensitivity>(model, &f));
        auto newGear = std::make_unique<mv::TNewGear>(&f);
        newGear->openGear = [&f](const mv::Gear& g) { return f.OpenNewGear(g); };
        windows.newGear = keep(std::move(newGear));
        windows.setRevArm = keep(std::make_unique<mv::TSetRevArm>(model, f, &f));
        for (const mv::DiagramKindInfo& k : mv::DiagramKinds())
            windows.Graph(k.kind) =
                k.draw ? keep(std::make_unique<mv::DiagramWindow>(model, f, k.kind, &f))
                       : keep(std::make_unique<TValveEvents>(model, &f));
        f.SetAppWindows(windows);
        // A little more room than the smallest window, as on a desktop of today.
        f.resize(800, 540);
        f.show();
        Settle();
    }

    // One frame of the animation, as the timer would give it.
    void Tick(int frames = 1) {
        for (int i = 0; i < frames; ++i) form->Timer1Timer();
        Settle();
    }

    template <class T = QWidget>
    T* Find(QWidget* in, const char* name) {
        T* t = in->findChild<T*>(QString::fromLatin1(name));
        if (!t) {
            std::fprintf(stderr, "merrovan-snapshots: no %s\n", name);
            ++gMissing;
        }
        return t;
    }
    void Trigger(const char* action) {
        if (auto* a = Find<QAction>(form.get(), action)) a->trigger();
        Settle();
    }
    void Click(QWidget* in, const char* button) {
        if (auto* b = Find<QAbstractButton>(in, button)) b->click();
        Settle();
    }
    void Click(const char* button) { Click(form.get(), button); }
    void Bar(const char* name, int value) {
        if (auto* b = Find<QScrollBar>(form.get(), name)) b->setValue(value);
        Settle();
    }
    // Stops the wheel at a driver angle, in the direction the reverse-arm button gives.
    void StopAt(float degrees, const char* revArmButton = "Fwd") {
        Click(revArmButton);
        Click("Run");
        Bar("SBDrvAng", static_cast<int>(degrees * 100));
        Tick();
    }
    // Types a value into a dimension field and leaves it, as the user does.
    void Type(mv::DimensionDialog* d, int field, const QString& text) {
        d->show();
        Settle();
        if (auto* f = d->Field(field)) {
            f->setFocus();
            f->selectAll();
            QTest::keyClicks(f, text);
            d->CloseButton()->setFocus();
        }
        Settle();
    }
    mv::DimensionDialog* Frame() { return static_cast<mv::DimensionDialog*>(windows.frameDi); }
    mv::DimensionDialog* Cylinder() { return static_cast<mv::DimensionDialog*>(windows.cylDimen); }

    // A worker-thread study or search: waits until the window says it is done.
    static void WaitWhile(const std::function<bool()>& busy) {
        for (int i = 0; i < 24000 && busy(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        Settle();
    }

    // The diagrams' reverse-arm positions as fractions of "Rev Arm to Cent Max" from mid gear
    // (negative: reverse), and their vertical scale.
    void Positions(std::initializer_list<double> notches, float scale = 1.5f) {
        const float mid = model.revArmPositions[0];
        const float max = mv::GetDimension(model, 27);
        int k = 1;
        for (double n : notches)
            mv::CommitRevArmPosition(model, k++, static_cast<float>(mid + n * max));
        if (k <= 9) mv::CommitRevArmPosition(model, k, 0.0f);
        mv::NormalizeRevArmPositions(model);
        mv::CommitVerticalScale(model, scale);
    }
};

// A diagram's drawing alone, on white at its window size, optionally cut to a part.
QImage Drawing(Program& p, DiagramKind kind, QRect part = {}) {
    const QSize size = mv::DiagramClientSize(kind);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        mv::DiagramOptions opt;
        opt.clearRect = QRect(QPoint(0, 0), size);
        mv::DrawDiagram(kind, p.model, painter, opt);
    }
    return part.isEmpty() ? image : image.copy(part);
}

// A window as the user sees it, without the empty room of a maximised window.
QImage Window(QWidget* w, QSize client = {}) {
    w->show();
    Settle();
    QImage image = w->grab().toImage();
    if (client.isEmpty()) return image;
    int top = 0;
    if (auto* bar = w->findChild<QMenuBar*>()) top = bar->height();
    return image.copy(0, 0, client.width(), client.height() + top);
}

QImage MainWindow(Program& p, QRect part = {}) {
    QImage image = p.form->grab().toImage();
    return part.isEmpty() ? image : image.copy(part);
}

struct Picture {
    const char* name;
    QImage (*make)(Program&);
};

// --- 1. A first look ----------------------------------------------------------------------------

QImage FirstLook(Program& p) {
    p.StopAt(60);
    return MainWindow(p);
}

QImage Controls(Program& p) {
    p.StopAt(60);
    return MainWindow(p, QRect(0, 0, 640, 96));
}

QImage ValveCloseUp(Program& p) {
    p.StopAt(60);
    p.Click("Preset4");
    p.Tick();
    return MainWindow(p);
}

QImage SteamDisplay(Program& p) {
    p.Click("Fwd");
    p.Trigger("SetSteam");
    p.Click("Preset4");
    p.Tick(24);
    p.Click("Run");
    p.Tick(3);
    return MainWindow(p);
}

// --- 2. The words -------------------------------------------------------------------------------

QImage WordLap(Program& p) {
    p.Positions({0.0});
    return Drawing(p, DiagramKind::Sine);
}

QImage WordLead(Program& p) {
    p.Positions({0.0, 1.0}, 0.5f);
    return Drawing(p, DiagramKind::Sine);
}

QImage WordTravel(Program& p) {
    p.Positions({0.0, 0.5, 1.0});
    return Drawing(p, DiagramKind::Sine);
}

QImage WordCutoff(Program& p) {
    p.Positions({0.5});
    return Drawing(p, DiagramKind::Oval);
}

QImage WordRelease(Program& p) {
    p.Positions({0.25});
    return Drawing(p, DiagramKind::Oval);
}

QImage WordCompression(Program& p) {
    p.Positions({0.3});
    return Drawing(p, DiagramKind::Steam);
}

QImage WordNotch(Program& p) {
    p.model.portSelector = 'F';
    return Drawing(p, DiagramKind::Port);
}

QImage WordMidGear(Program& p) {
    p.Positions({0.0});
    return Drawing(p, DiagramKind::Oval);
}

// --- 3. Your own gear --------------------------------------------------------------------------

QImage FrameDimensions(Program& p) {
    return Window(p.windows.frameDi);
}

QImage CylinderDimensions(Program& p) {
    return Window(p.windows.cylDimen);
}

QImage DimensionGraphic(Program& p) {
    p.StopAt(60);
    p.Frame()->show();
    Settle();
    p.Click(p.Frame(), "Button6");  // "Eccentric Rod Left End"
    p.Tick(3);
    return MainWindow(p);
}

QImage DynamicVariables(Program& p) {
    p.StopAt(60);
    p.Type(p.Frame(), 18, QStringLiteral("2.47"));
    p.Type(p.Frame(), 5, QStringLiteral("1.76"));
    p.Frame()->hide();
    p.Trigger("DynamicVariables");
    p.Trigger("SetUnDo");
    p.Tick();
    return MainWindow(p);
}

// --- 4. The valve events and the diagrams -------------------------------------------------------

QImage ValveEvents(Program& p) {
    return Window(p.windows.Graph(DiagramKind::ValveEvents));
}

// A diagram window as it shows after the user has closed "Set Reverse Arm Positions" (which
// settles the list of positions) and pressed ReDraw.
QImage DiagramWindow(Program& p, DiagramKind kind, bool wholeWindow = false) {
    mv::NormalizeRevArmPositions(p.model);
    auto* w = static_cast<mv::DiagramWindow*>(p.windows.Graph(kind));
    w->show();
    Settle();
    w->ReDrawClick();
    w->CloseButton()->setFocus();  // no cursor blinks in a field of the picture
    Settle();
    return wholeWindow ? Window(w) : Window(w, mv::DiagramClientSize(kind));
}
QImage SineDiagram(Program& p) {
    return DiagramWindow(p, DiagramKind::Sine);
}
QImage OvalDiagram(Program& p) {
    return DiagramWindow(p, DiagramKind::Oval);
}
QImage SteamDiagram(Program& p) {
    return DiagramWindow(p, DiagramKind::Steam);
}
QImage PortDiagram(Program& p) {
    return DiagramWindow(p, DiagramKind::Port);
}

QImage RevArmPositions(Program& p) {
    return Window(p.windows.setRevArm);
}

// --- 5. What a good gear aims for ---------------------------------------------------------------

QImage EventsAtCutoffs(Program& p) {
    QWidget* w = p.windows.Graph(DiagramKind::ValveEvents);
    w->show();
    Settle();
    if (auto* c = p.Find<QComboBox>(w, "ComboRows"))
        c->setCurrentIndex(c->findText(QStringLiteral("At cut-offs")));
    Settle();
    return Window(w);
}

QImage EventsForward(Program& p) {
    const QImage all = EventsAtCutoffs(p);
    return all.copy(0, 0, all.width(), all.height() / 2);
}

// --- 6. The design assistant ----------------------------------------------------------------

mv::TDesignAssistant* Assistant(Program& p) {
    auto* w = static_cast<mv::TDesignAssistant*>(p.windows.designAssistant);
    w->show();
    Settle();
    if (auto* b = p.Find<QPushButton>(w, "BtnClose")) b->setFocus();
    Settle();
    return w;
}

QImage AssistantStart(Program& p) {
    return Assistant(p)->grab().toImage();
}

// The search at the window's defaults, forward only, with a lead limit, as a designer would
// start on the built-in gear.
QImage AssistantResult(Program& p) {
    mv::TDesignAssistant* w = Assistant(p);
    if (auto* c = p.Find<QComboBox>(w, "ComboDirection"))
        c->setCurrentIndex(c->findText(QStringLiteral("Forward")));
    if (auto* e = p.Find<QLineEdit>(w, "EditMinLead")) e->setText(QStringLiteral("0.005"));
    if (auto* s = p.Find<QSpinBox>(w, "SpinEvaluations")) s->setValue(200);
    p.Click(w, "BtnStart");
    Program::WaitWhile([w] { return w->Running(); });
    if (auto* b = p.Find<QPushButton>(w, "BtnApply")) b->setFocus();
    Settle();
    return w->grab().toImage();
}

// --- 7. Sensitivity and tolerance ---------------------------------------------------------------

QImage Studied(Program& p) {
    auto* w = static_cast<mv::TSensitivity*>(p.windows.sensitivity);
    Program::WaitWhile([w] { return w->Running(); });
    // No edit holds the focus, so no cursor blinks in the picture.
    if (auto* b = p.Find<QPushButton>(w, "BtnClose")) b->setFocus();
    Settle();
    return w->grab().toImage();
}

QImage SensitivityRanking(Program& p) {
    p.windows.sensitivity->show();
    Settle();
    return Studied(p);
}

QImage SensitivityTolerance(Program& p) {
    QWidget* w = p.windows.sensitivity;
    w->show();
    Settle();
    Studied(p);
    if (auto* e = p.Find<QLineEdit>(w, "EditPinClearance")) e->setText(QStringLiteral("0.002"));
    if (auto* s = p.Find<QSpinBox>(w, "SpinSamples")) s->setValue(200);
    if (auto* t = p.Find<QTabWidget>(w, "Tabs")) t->setCurrentIndex(1);
    p.Click(w, "BtnTolerance");
    return Studied(p);
}

// --- 8. Steam in the cylinder --------------------------------------------------------------------

QImage IndicatorWindow(Program& p) {
    return DiagramWindow(p, DiagramKind::Indicator, true);
}

QImage IndicatorNotches(Program& p) {
    p.Positions({0.25, 0.5, 1.0});
    return Drawing(p, DiagramKind::Indicator);
}

// --- 9. A new gear, and scaling ------------------------------------------------------------------

// The guide's example: a smaller engine than the built-in one, with a search short enough for
// the build yet long enough to meet its targets.
QImage NewGear(Program& p) {
    p.Trigger("NewGear");
    QWidget* w = p.windows.newGear;
    const std::pair<const char*, const char*> typed[] = {
        {"EditStroke", "2.5"},  {"EditDriverDia", "5"}, {"EditMainRod", "8"},
        {"EditTravel", "0.65"}, {"EditLap", "0.13"},    {"EditLead", "0.015"}};
    for (const auto& [name, text] : typed) {
        if (auto* e = p.Find<QLineEdit>(w, name)) {
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, QString::fromLatin1(text));
        }
    }
    if (auto* s = p.Find<QSpinBox>(w, "SpinEvaluations")) s->setValue(200);
    p.Click(w, "BtnMake");
    auto* g = static_cast<mv::TNewGear*>(w);
    Program::WaitWhile([g] { return g->Running(); });
    if (auto* b = p.Find<QPushButton>(w, "BtnOpen")) b->setFocus();
    Settle();
    return w->grab().toImage();
}

QImage ScaleGear(Program& p) {
    mv::TScaleGear prompt(p.model, p.form.get());
    prompt.show();
    Settle();
    if (auto* e = p.Find<QLineEdit>(&prompt, "EditStroke")) {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, QStringLiteral("1.5"));
    }
    Settle();
    return prompt.grab().toImage();
}

// --- 10. For the workshop ------------------------------------------------------------------------

// Page 1 of the build sheet, A4, as it prints, at a width that fits the guide's page.
QImage BuildSheet(Program& p) {
    const QSizeF a4(210, 297);
    QImage image(800, 1131, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    mv::DrawSheetPage(painter, mv::MakeSheetData(p.model, "mygear", QDate::currentDate()), 1, a4);
    return image;
}

// The built-in gear beside the one the guide's optimize example makes of it (its four dimensions as
// that example prints them), loaded through "File › CompareWith…" as the user does.
void CompareWithTuned(Program& p) {
    static QTemporaryDir dir;
    mv::Model tuned;
    static_cast<mv::Gear&>(tuned) = p.model;
    const std::pair<int, float> dims[] = {{5, 1.7354f}, {6, 8.5411f}, {8, 3.5612f}, {22, 1.9028f}};
    for (const auto& [id, value] : dims) mv::StoreDimension(tuned, id, value);
    QString path = dir.filePath(QStringLiteral("tuned.mvo"));
    std::string error;
    if (!mv::files::SaveMvo(tuned, QFile::encodeName(path).toStdString(), error)) {
        std::fprintf(stderr, "merrovan-snapshots: %s\n", error.c_str());
        ++gMissing;
    }
    p.form->chooseFile = [path](mv::FileCommand) { return path; };
    p.Trigger("CompareWith");
    if (!p.model.comparison) ++gMissing;
}

QImage CompareOval(Program& p) {
    CompareWithTuned(p);
    p.Positions({0.29}, 1.0f);
    return DiagramWindow(p, DiagramKind::Oval);
}

QImage CompareEvents(Program& p) {
    CompareWithTuned(p);
    return EventsAtCutoffs(p);
}

const Picture kPictures[] = {
    {"first-look", FirstLook},
    {"controls", Controls},
    {"valve-close-up", ValveCloseUp},
    {"steam-display", SteamDisplay},
    {"word-lap", WordLap},
    {"word-lead", WordLead},
    {"word-travel", WordTravel},
    {"word-cutoff", WordCutoff},
    {"word-release", WordRelease},
    {"word-compression", WordCompression},
    {"word-notch", WordNotch},
    {"word-mid-gear", WordMidGear},
    {"frame-dimensions", FrameDimensions},
    {"cylinder-dimensions", CylinderDimensions},
    {"dimension-graphic", DimensionGraphic},
    {"dynamic-variables", DynamicVariables},
    {"valve-events", ValveEvents},
    {"sine-diagram", SineDiagram},
    {"oval-diagram", OvalDiagram},
    {"steam-diagram", SteamDiagram},
    {"port-diagram", PortDiagram},
    {"revarm-positions", RevArmPositions},
    {"events-forward", EventsForward},
    {"assistant-start", AssistantStart},
    {"assistant-result", AssistantResult},
    {"sensitivity-ranking", SensitivityRanking},
    {"indicator-window", IndicatorWindow},
    {"indicator-notches", IndicatorNotches},
    {"sensitivity-tolerance", SensitivityTolerance},
    {"new-gear", NewGear},
    {"scale-gear", ScaleGear},
    {"build-sheet", BuildSheet},
    {"compare-oval", CompareOval},
    {"compare-events", CompareEvents},
};

}  // namespace

int GuidePictures(int argc, char** argv) {
    if (std::strcmp(argv[1], "--guide-names") == 0) {
        for (const Picture& pic : kPictures) std::printf("%s\n", pic.name);
        return 0;
    }
    if (argc < 3 || std::strcmp(argv[1], "--guide") != 0) {
        std::fputs("usage: merrovan-snapshots --guide DIR [NAME...] | --guide-names\n", stderr);
        return 2;
    }
    std::vector<const Picture*> chosen;
    for (int i = 3; i < argc; ++i) {
        const Picture* found = nullptr;
        for (const Picture& pic : kPictures)
            if (std::strcmp(pic.name, argv[i]) == 0) found = &pic;
        if (!found) {
            std::fprintf(stderr, "merrovan-snapshots: no guide picture '%s'\n", argv[i]);
            return 2;
        }
        chosen.push_back(found);
    }
    if (chosen.empty())
        for (const Picture& pic : kPictures) chosen.push_back(&pic);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes (no sound device, no size hints) are no news here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "merrovan-snapshots: %s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("merrovan"));
    mv::InstallFontSubstitutions();
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "merrovan-snapshots: cannot make %s\n", argv[2]);
        return 1;
    }
    int failed = 0;
    for (const Picture* pic : chosen) {
        Program program;
        const int missingBefore = gMissing;
        QImage image = pic->make(program).convertToFormat(QImage::Format_RGB32);
        if (gMissing != missingBefore) {
            std::fprintf(stderr, "merrovan-snapshots: picture %s not set up as its script says\n",
                         pic->name);
            ++failed;
        }
        {
            // A thin frame sets a picture of a window apart from the page around it.
            QPainter frame(&image);
            frame.setPen(QColor(0x90, 0x90, 0x90));
            frame.drawRect(image.rect().adjusted(0, 0, -1, -1));
        }
        const QString path = out.filePath(QString::fromLatin1(pic->name) + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path, "PNG")) {
            std::fprintf(stderr, "merrovan-snapshots: could not write %s\n", qPrintable(path));
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
