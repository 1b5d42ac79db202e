#include "mainwin/main_form.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <chrono>
#include <cmath>

#include "files/dimension_file.hpp"
#include "mainwin/tool_icons.hpp"
#include "model/edits.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"

namespace mv {

using LD = long double;

StepChoice StepForPosition(int p) {
    struct Row {
        int upTo;
        StepChoice choice;
    };
    static constexpr Row kRows[] = {
        {704, {0.01f, 1, 5}},         {1591, {0.02f, 2, 10}},       {2408, {0.03f, 3, 15}},
        {3612, {0.05f, 5, 25}},       {4704, {0.1f, 10, 50}},       {5591, {0.2f, 20, 100}},
        {6408, {0.3f, 30, 150}},      {7612, {0.5f, 50, 250}},      {8704, {1.0f, 100, 500}},
        {9591, {2.0f, 200, 1000}},    {10408, {3.0f, 300, 1500}},   {11612, {5.0f, 500, 2500}},
        {12704, {10.0f, 1000, 4500}}, {13591, {20.0f, 2000, 4500}}, {14408, {30.0f, 3000, 4500}},
    };
    for (const Row& r : kRows)
        if (p <= r.upTo) return r.choice;
    return {45.0f, 4500, 4500};
}

int TimerIntervalForRate(double fps) {
    if (!(fps > 0)) return 0;
    const double ms = 1000.0 / fps;
    if (ms < 1) return 1;
    if (ms > 1000) return 1000;
    return static_cast<int>(std::lround(ms));
}

double ScreenRefreshRate() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const double r = s ? s->refreshRate() : 0.0;
    return r >= 1 && r <= 1000 ? r : 60.0;
}

// The picture: shows the frame buffer and takes the mouse presses that reach no control.
class PictureWidget : public QWidget {
public:
    PictureWidget(TMainForm& form, const QImage& buffer, QWidget* parent)
        : QWidget(parent), form_(form), buffer_(buffer) {
        setObjectName(QStringLiteral("Picture"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(632, 380);
    }
    QSize sizeHint() const override { return {632, 380}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, buffer_);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) {
            const QPoint pt = e->position().toPoint();
            form_.FormMouseDown(e->button(), pt.x(), pt.y());
        }
    }

private:
    TMainForm& form_;
    const QImage& buffer_;
};

namespace {

QFont ControlFont() {
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(13);
    f.setBold(true);
    f.setUnderline(true);
    return f;
}

const char* kButtonStyle =
    "QPushButton { padding: 0px; margin: 0px; border: 1px solid #808080;"
    " background: #c0c0c0; color: black; }"
    "QPushButton:pressed { background: #a0a0a0; }"
    "QPushButton:disabled { color: #808080; }";

}  // namespace

TMainForm::TMainForm(Model& m, MainFormOptions options, QWidget* parent)
    : QMainWindow(parent),
      m_(m),
      sound_(this),
      buffer_(kPictureWidth, kPictureHeight, QImage::Format_RGB32),
      rng_(static_cast<std::mt19937::result_type>(
          std::chrono::steady_clock::now().time_since_epoch().count())) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Merrovan Outside Admission"));
    setAcceptDrops(true);
    buffer_.fill(Qt::white);

    runModal = [](QDialog* d) { d->exec(); };
    showMessage = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Merrovan"), text);
    };
    chooseFile = [this](FileCommand c) {
        QFileDialog dlg(this);
        if (c == FileCommand::SaveAs) {
            dlg.setWindowTitle(QStringLiteral("Save As...."));
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setNameFilters(
                {QStringLiteral("Data File (*.dst)"), QStringLiteral("All Files (*)")});
            dlg.setDefaultSuffix(QStringLiteral("dst"));
        } else {
            const bool dos = c == FileCommand::OpenMvo;
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            dlg.setFileMode(QFileDialog::ExistingFile);
            dlg.setNameFilters(
                {dos ? QStringLiteral("Data File (*.mvo)") : QStringLiteral("Data File (*.dst)"),
                 QStringLiteral("All Files (*)")});
            dlg.setDefaultSuffix(dos ? QStringLiteral("mvo") : QStringLiteral("dst"));
        }
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
        return dlg.selectedFiles().front();
    };
    beep = [] { QApplication::beep(); };

    picture_ = new PictureWidget(*this, buffer_, this);
    setCentralWidget(picture_);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);

    BuildControls();
    BuildMenus();
    BuildToolBar();

    QPointer<TMainForm> self(this);
    m_.AddListener([self](ModelEvent e) {
        if (self) self->OnModelEvent(e);
    });

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setTimerType(Qt::PreciseTimer);
    interval_ = TimerIntervalForRate(options.fps < 0 ? ScreenRefreshRate() : options.fps);
    timer1_->setInterval(interval_);
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });

    FormCreate();

    resize(632, 380 + menuBar()->sizeHint().height());
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + 100);
    }
    if (options.startTimer) timer1_->start();
}

TMainForm::~TMainForm() = default;

void TMainForm::SetAppWindows(const AppWindows& windows) {
    windows_ = windows;
}

// --- Construction ------------------------------------------------------------------------

void TMainForm::BuildControls() {
    const QFont font = ControlFont();
    auto bar = [&](const char* name, QRect g, int min, int max, int small, int large,
                   const char* hint) {
        auto* b = new QScrollBar(Qt::Horizontal, picture_);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(g);
        b->setRange(min, max);
        b->setSingleStep(small);
        b->setPageStep(large);
        b->setToolTip(QString::fromLatin1(hint));
        b->setFocusPolicy(Qt::StrongFocus);
        // Scroll bars invert key steps for the vertical convention; Right must step up here.
        b->setInvertedControls(false);
        return b;
    };
    auto button = [&](const char* name, QRect g, const char* caption, const char* hint) {
        auto* b = new QPushButton(QString::fromLatin1(caption), picture_);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(g);
        b->setFont(font);
        b->setStyleSheet(QString::fromLatin1(kButtonStyle));
        if (hint) b->setToolTip(QString::fromLatin1(hint));
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };

    // Drive block.
    SBRevArm_ = bar("SBRevArm", {336, 26, 121, 12}, m_.revArmBarMin, m_.revArmBarMax, 1, 20,
                    "Set Reverse Arm Between Max & Min");
    SBDrvAng_ = bar("SBDrvAng", {336, 40, 121, 12}, -4000, 40000, 1000, 4500,
                    "Set Driver Angle From 0 to 360 Deg");
    SBDrvAng_->setValue(1);
    SBStepAng_ = bar("SBStepAng", {336, 54, 121, 12}, 0, 14613, 920, 2760,
                     "Set Driver Step Angle to Predefined Values");
    SBStepAng_->setValue(12000);
    Run_ = button("Run", {277, 39, 36, 14}, "Stop", "Start / Stop Driver Rotation");
    Center_ = button("Center", {280, 25, 27, 14}, "Cen", "Set Reverse Arm to Mid Gear");
    Center_->setEnabled(false);
    Rev_ = button("Rev", {252, 25, 28, 14}, "Rev", "Set Reverse Arm to Normal Reverse");
    Fwd_ = button("Fwd", {307, 25, 28, 14}, "Fwd", "Set Reverse Arm to Normal Forward");
    Deg180_ = button("Deg180", {252, 39, 25, 14}, "180", "Set Driver Angle to 180 Deg");
    Deg00_ = button("Deg00", {313, 39, 22, 14}, "0.0", "Set Driver to 0 Deg");
    Step1_ = button("Step1", {252, 53, 25, 14}, "1.0", "Set Driver Step Angle to 1 Deg");
    Step10_ = button("Step10", {277, 53, 29, 14}, "10.0", "Set Driver Step Angle to 10 Deg");
    Step10_->setEnabled(false);
    Step45_ = button("Step45", {306, 53, 29, 14}, "45.0", "Set Driver Step Angle to 45 Deg");

    // View block.
    SBPanVert_ = bar("SBPanVert", {76, 26, 121, 12}, -500, 500, 1, 10, "Pan Vertical");
    SBPanHorz_ = bar("SBPanHorz", {76, 40, 121, 12}, -500, 500, 1, 10, "Pan Horizontal");
    SBZoom_ = bar("SBZoom", {76, 54, 121, 12}, -200, 200, 1, 10, "Zoom In / Out");
    NormVHZ_ = button("NormVHZ", {33, 39, 42, 14}, "Norm", "Return Pan & Zoom to Normal");
    NormVHZ_->setEnabled(false);
    static const char* kPresetNames[] = {"Preset0", "Preset1", "Preset2", "Preset3",
                                         "Preset4", "Preset5", "Preset6"};
    static const char* kPresetCaptions[] = {"P", "1", "2", "3", "4", "5", "6"};
    static const char* kPresetHints[] = {"Select First to Change Presets", "Pan & Zoom to Preset 1",
                                         "Pan & Zoom to Preset 2",         "Pan & Zoom to Preset 3",
                                         "Pan & Zoom to Preset 4",         "Pan & Zoom to Preset 5",
                                         "Pan & Zoom to Preset 6"};
    for (int k = 0; k <= 6; ++k) {
        QRect g = k == 0   ? QRect(19, 39, 14, 14)
                  : k == 6 ? QRect(5, 39, 14, 14)
                           : QRect(5 + 14 * (k - 1), 25, 14, 14);
        Preset_[k] = button(kPresetNames[k], g, kPresetCaptions[k], kPresetHints[k]);
    }
    RefPt1_ = button("RefPt1", {5, 53, 35, 14}, "RP1", "Pan to Ref Point 1");
    RefPt2_ = button("RefPt2", {40, 53, 35, 14}, "RP2", "Pan to Ref Point 2");
    RefPt1_->setEnabled(false);
    RefPt2_->setEnabled(false);

    // Reference points (hidden at start).
    SBRef_[0] = bar("SBRef1Vert", {20, 72, 121, 10}, -5000, 5000, 1, 25, "Change Ref Point 1 Vert");
    SBRef_[1] =
        bar("SBRef1Horz", {20, 84, 121, 10}, -10000, 10000, 1, 25, "Change Ref Point 1 Horz");
    SBRef_[2] = bar("SBRef2Vert", {20, 96, 121, 10}, -5000, 5000, 1, 25, "Change Ref Point 2 Vert");
    SBRef_[3] =
        bar("SBRef2Horz", {20, 108, 121, 10}, -10000, 10000, 1, 25, "Change Ref Point 2 Horz");
    RefPt1Zero_ = button("RefPt1Zero", {5, 72, 14, 23}, "0", "Zero Reference Point 1");
    RefPt2Zero_ = button("RefPt2Zero", {5, 95, 14, 23}, "0", "Zero Reference Point 2");
    DataTableBut_ = button("DataTableBut", {2, 214, 60, 15}, "DataTable", nullptr);
    for (QWidget* w : {static_cast<QWidget*>(SBRef_[0]), static_cast<QWidget*>(SBRef_[1]),
                       static_cast<QWidget*>(SBRef_[2]), static_cast<QWidget*>(SBRef_[3]),
                       static_cast<QWidget*>(RefPt1Zero_), static_cast<QWidget*>(RefPt2Zero_),
                       static_cast<QWidget*>(DataTableBut_)})
        w->hide();

    // Dynamic variables and undo (hidden at start).
    static const char* kDynNames[] = {"", "SBDynVar1", "SBDynVar2", "SBDynVar3", "SBDynVar4"};
    static const char* kDynHints[] = {
        "", "Change Last Variable Clicked", "Change Next to Last Variable Clicked",
        "Change 2nd to Last Variable Clicked", "Change 3rd to Last Variable Clicked"};
    for (int k = 1; k <= 4; ++k) {
        SBDynVar_[k] =
            bar(kDynNames[k], {253, 72 + 12 * (k - 1), 121, 10}, -200, 200, 1, 10, kDynHints[k]);
        SBDynVar_[k]->hide();
        SBDynVar_[k]->installEventFilter(this);
        connect(SBDynVar_[k], &QScrollBar::valueChanged, this,
                [this, k](int p) { SBDynVarChange(k, p); });
    }
    UnDoDn_ = button("UnDoDn", {280, 127, 40, 16}, "UnDo", nullptr);
    UnDoDn_->hide();
    UnDoDn_->setEnabled(false);

    // Thin raised bars framing the control groups.
    static const QRect kPanels[13] = {
        {},
        {2, 68, 245, 2},     // 1 under the view block
        {249, 24, 2, 44},    // 2 left of the drive block
        {249, 68, 210, 2},   // 3 under the drive block
        {458, 24, 2, 44},    // 4 right of the drive block
        {2, 120, 140, 2},    // 5 under the reference-point bars
        {142, 70, 2, 50},    // 6 right of the reference-point bars
        {251, 120, 124, 2},  // 7 under the dynamic-variable bars
        {250, 70, 2, 50},    // 8 left of the dynamic-variable bars
        {375, 70, 2, 50},    // 9 right of the dynamic-variable bars
        {543, 24, 2, 110},   // 10 left of the live values
        {142, 120, 100, 2},  // 11 under the reference-point values
        {0, 24, 632, 1},     // 12 under the tool bar
    };
    for (int k = 1; k <= 12; ++k) {
        auto* f = new QFrame(picture_);
        f->setObjectName(QStringLiteral("Panel%1").arg(k));
        f->setFrameStyle(QFrame::Panel | QFrame::Raised);
        f->setLineWidth(1);
        f->setGeometry(kPanels[k]);
        f->setAttribute(Qt::WA_TransparentForMouseEvents);
        Panel_[k] = f;
        if (k == 5 || k == 6 || k == 7 || k == 8 || k == 11) f->hide();
    }

    connect(SBRevArm_, &QScrollBar::valueChanged, this, &TMainForm::SBRevArmChange);
    connect(SBDrvAng_, &QScrollBar::valueChanged, this, &TMainForm::SBDrvAngChange);
    connect(SBStepAng_, &QScrollBar::valueChanged, this, &TMainForm::SBStepAngChange);
    connect(SBPanVert_, &QScrollBar::valueChanged, this, &TMainForm::SBPanVertChange);
    connect(SBPanHorz_, &QScrollBar::valueChanged, this, &TMainForm::SBPanHorzChange);
    connect(SBZoom_, &QScrollBar::valueChanged, this, &TMainForm::SBZoomChange);
    for (int b = 0; b < 4; ++b)
        connect(SBRef_[b], &QScrollBar::valueChanged, this,
                [this, b](int p) { SBRefChange(b, p); });
    connect(Run_, &QPushButton::clicked, this, [this] { RunClick(); });
    connect(Center_, &QPushButton::clicked, this, &TMainForm::CenterClick);
    connect(Fwd_, &QPushButton::clicked, this, &TMainForm::FwdClick);
    connect(Rev_, &QPushButton::clicked, this, &TMainForm::RevClick);
    connect(Deg00_, &QPushButton::clicked, this, &TMainForm::Deg00Click);
    connect(Deg180_, &QPushButton::clicked, this, &TMainForm::Deg180Click);
    connect(Step1_, &QPushButton::clicked, this, &TMainForm::Step1Click);
    connect(Step10_, &QPushButton::clicked, this, &TMainForm::Step10Click);
    connect(Step45_, &QPushButton::clicked, this, &TMainForm::Step45Click);
    connect(NormVHZ_, &QPushButton::clicked, this, &TMainForm::NormVHZClick);
    connect(Preset_[0], &QPushButton::clicked, this, &TMainForm::Preset0Click);
    for (int k = 1; k <= 6; ++k)
        connect(Preset_[k], &QPushButton::clicked, this, [this, k] { PresetClick(k); });
    connect(RefPt1_, &QPushButton::clicked, this, &TMainForm::RefPt1Click);
    connect(RefPt2_, &QPushButton::clicked, this, &TMainForm::RefPt2Click);
    connect(RefPt1Zero_, &QPushButton::clicked, this, &TMainForm::RefPt1ZeroClick);
    connect(RefPt2Zero_, &QPushButton::clicked, this, &TMainForm::RefPt2ZeroClick);
    connect(DataTableBut_, &QPushButton::clicked, this, &TMainForm::DataTableButClick);
    connect(UnDoDn_, &QPushButton::clicked, this, &TMainForm::UnDoDnClick);
}

void TMainForm::BuildMenus() {
    QMenuBar* mb = menuBar();
    // The classic menu font is small; at the default size the items would not fit 632 pixels.
    QFont menuFont(QStringLiteral("MS Sans Serif"));
    menuFont.setStyleHint(QFont::SansSerif);
    menuFont.setPointSize(8);
    mb->setFont(menuFont);
    mb->setStyleSheet(QStringLiteral("QMenuBar::item { padding: 2px 3px; }"));
    auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        auto* a = new QAction(QString::fromLatin1(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        if (menu) menu->addAction(a);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto open = [this](QDialog* AppWindows::*which) {
        return [this, which] { OpenWindow(windows_.*which); };
    };

    QMenu* file = mb->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    item(file, "OpenDimensions", "&OpenDimensions", [this] { OpenDimensionsClick(); });
    item(file, "OpenDosDimensions", "Open&DosDimensions", [this] { OpenDosDimensionsClick(); });
    item(file, "SaveAsDimensions", "Save&AsDimensions", [this] { SaveAsDimensionsClick(); });
    item(file, "Exit1", "E&xit", [this] { Exit1Click(); });

    QMenu* setUp = mb->addMenu(QStringLiteral("&SetUp"));
    setUp->setObjectName(QStringLiteral("SetUp"));
    item(setUp, "RevArmPos", "Set&RevArmPos", open(&AppWindows::revPos));
    DriverAng_ = item(setUp, "DriverAng", "Set&DriverAng", open(&AppWindows::drivAng));
    item(setUp, "StepAng1", "Set&StepAng", open(&AppWindows::stpAng));
    RefPoints1_ = item(setUp, "RefPoints1", "SetRef&Points", open(&AppWindows::refPnts));
    LargeFont_ = item(setUp, "LargeFont", "SetLarge&Font", [this] { LargeFontClick(); });
    FindRevArmCent_ =
        item(setUp, "FindRevArmCent", "&CalcCentRevArm", [this] { FindRevArmCentClick(); });
    SetSteam_ = item(setUp, "SetSteam", "SetS&teamDisp On", [this] { SetSteamClick(); });
    SetBeepOnError_ =
        item(setUp, "SetBeepOnError", "Set&ErrorBeep Off", [this] { SetBeepOnErrorClick(); });
    SetLineWidth_ = item(setUp, "SetLineWidth", "Set&LineWidth 2", [this] { SetLineWidthClick(); });
    SetScreenData_ =
        item(setUp, "SetScreenData", "SetScree&nData Off", [this] { SetScreenDataClick(); });
    SetPanZoom_ = item(setUp, "SetPanZoom", "SetP&anZoom On", [this] { SetPanZoomClick(); });
    SetPanZoom_->setEnabled(false);

    QMenu* edit = mb->addMenu(QStringLiteral("&EditDimen"));
    edit->setObjectName(QStringLiteral("Edit1"));
    item(edit, "FrameDim", "&FrameDimensions", open(&AppWindows::frameDi));
    item(edit, "CylDim", "&CylinderDimensions", open(&AppWindows::cylDimen));
    item(edit, "SetGraphicZoom", "Set&GraphicZoom", open(&AppWindows::graphZoom));
    item(edit, "ResetAll", "&ResetAllDimensions", [this] { ResetAllClick(); });

    RefPoints_ = item(nullptr, "RefPoints", "&ReferPoints", [this] { RefPointsClick(); });
    mb->addAction(RefPoints_);
    DrawLines1_ = item(nullptr, "DrawLines1", "&DrawLinesCircles", [this] { DrawLines1Click(); });
    DrawLines1_->setEnabled(false);
    mb->addAction(DrawLines1_);
    SetPivotData_ = item(nullptr, "SetPivotData", "Pi&votData", [this] { SetPivotDataClick(); });
    mb->addAction(SetPivotData_);
    DynamicVariables_ =
        item(nullptr, "DynamicVariables", "D&ynamicVari", [this] { DynamicVariablesClick(); });
    mb->addAction(DynamicVariables_);
    SetUnDo_ = item(nullptr, "SetUnDo", "&UnDo", [this] { SetUnDoClick(); });
    mb->addAction(SetUnDo_);

    QMenu* view = mb->addMenu(QStringLiteral("Draw&Graphs"));
    view->setObjectName(QStringLiteral("View1"));
    item(view, "SineDiag", "&SineDiagram", open(&AppWindows::sineDia));
    item(view, "OvalDiag", "&OvalDiagram", open(&AppWindows::ovalDia));
    item(view, "SteamDiag", "S&teamDiagram", open(&AppWindows::steamDia));
    item(view, "FourEvents", "&PortOpenClose", [this] { FourEventsClick(); });
    item(view, "ValveEvents", "&ValveEvents", open(&AppWindows::valveEvents));

    QMenu* help = mb->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    item(help, "Instructions", "&Instructions", open(&AppWindows::inst));
    item(help, "SpecInstr", "Instructions&Special", open(&AppWindows::mvoSpInst));
    item(help, "About1", "&About", open(&AppWindows::aboutBox));

    Error_ = new QAction(ErrorIcon(), QString(), this);
    Error_->setObjectName(QStringLiteral("Error"));
    Error_->setVisible(false);
    mb->addAction(Error_);
}

void TMainForm::BuildToolBar() {
    toolBar1_ = new QToolBar(QStringLiteral("ToolBar1"), picture_);
    toolBar1_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar1_->setGeometry(0, 0, 632, 24);
    toolBar1_->setIconSize(QSize(20, 16));
    toolBar1_->setMovable(false);
    toolBar1_->setFloatable(false);
    toolBar1_->setStyleSheet(
        QStringLiteral("QToolBar { spacing: 0px; padding: 0px; border: none; background: #c0c0c0; }"
                       "QToolButton { min-width: 28px; max-width: 28px; padding: 0px; }"));
    auto tool = [this](const char* name, ToolIcon icon, const char* hint, auto handler) {
        auto* a = new QAction(MakeToolIcon(icon), QString::fromLatin1(hint), this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(QString::fromLatin1(hint));
        connect(a, &QAction::triggered, this, handler);
        toolBar1_->addAction(a);
        return a;
    };
    auto open = [this](QDialog* AppWindows::*which) {
        return [this, which] { OpenWindow(windows_.*which); };
    };
    tool("ToolOpen", ToolIcon::Open, "Open File: Dimensional Data",
         [this] { OpenDimensionsClick(); });
    tool("ToolSave", ToolIcon::Save, "Save As: Dimensional Data",
         [this] { SaveAsDimensionsClick(); });
    toolBar1_->addSeparator();
    tool("ToolFrame", ToolIcon::Frame, "Change Frame Dimensions", open(&AppWindows::frameDi));
    tool("ToolCylinder", ToolIcon::Cylinder, "Change Cylinder Dimensions",
         open(&AppWindows::cylDimen));
    toolBar1_->addSeparator();
    tool("ToolDriverAng", ToolIcon::DriverAngle, "Set Driver Angle to Desired Position",
         open(&AppWindows::drivAng));
    tool("ToolStepAng", ToolIcon::StepAngle, "Set Step Angle to Desired Amount",
         open(&AppWindows::stpAng));
    tool("ToolRevArmPos", ToolIcon::RevArm, "Set Reverse Arm to Desired Position",
         open(&AppWindows::revPos));
    toolBar1_->addSeparator();
    tool("ToolButton9", ToolIcon::MidGear, "Calculate Mid Gear Position if Necessary",
         [this] { FindRevArmCentClick(); });
    toolBar1_->addSeparator();
    tool("ToolSteam", ToolIcon::Steam, "Turn On Steam Display and Sound",
         [this] { SetSteamClick(); });
    toolBar1_->addSeparator();
    tool("ToolRefPoints", ToolIcon::RefPoints, "Turn On Reference Points",
         [this] { RefPointsClick(); });
    DrawLinesTool_ = tool("ToolDrawLines", ToolIcon::Lines, "Draw Lines and Circles",
                          [this] { DrawLines1Click(); });
    DrawLinesTool_->setEnabled(false);
    tool("ToolPivotData", ToolIcon::PivotData, "Turn On Pivot Data",
         [this] { SetPivotDataClick(); });
    tool("ToolDynVars", ToolIcon::DynVars, "Turn On Dynamic Variables",
         [this] { DynamicVariablesClick(); });
    tool("ToolUnDo", ToolIcon::Undo, "Turn On UnDo", [this] { SetUnDoClick(); });
    toolBar1_->addSeparator();
    tool("ToolSine", ToolIcon::Sine, "View Sine Diagram", open(&AppWindows::sineDia));
    tool("ToolOval", ToolIcon::Oval, "View Oval Diagram", open(&AppWindows::ovalDia));
    tool("ToolSteamDiag", ToolIcon::SteamDiagram, "View Steam Diagram",
         open(&AppWindows::steamDia));
    tool("ToolPortEvents", ToolIcon::PortEvents, "View Port Events vs Reverse Arm Position",
         [this] { FourEventsClick(); });
    tool("ToolValveEvents", ToolIcon::ValveEvents, "Valve Event Table",
         open(&AppWindows::valveEvents));
}

void TMainForm::FormCreate() {
    // Limits first: the start-up sequence announces them and the bar must follow.
    StartUp(m_);
    SBRevArm_->setRange(m_.revArmBarMin, m_.revArmBarMax);
    SBRevArm_->setValue(0);
    SBDrvAng_->setEnabled(false);  // the animation starts running
    // The step bar's change while the window loads is the one its handler ignores.
    SBStepAngChange(SBStepAng_->value());
    sound_.SetVolume(0x8000);
}

void TMainForm::FormActivate() {
    // The driver bar is only usable while stopped; activation keeps it that way.
    if (Running()) SBDrvAng_->setEnabled(false);
}

void TMainForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    QMainWindow::changeEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    timer1_->stop();
    sound_.SetVolume(0x8000);
    event->accept();
}

void TMainForm::OnModelEvent(ModelEvent e) {
    switch (e) {
        case ModelEvent::RevArmBarLimits:
            if (SBRevArm_) SBRevArm_->setRange(m_.revArmBarMin, m_.revArmBarMax);
            break;
        case ModelEvent::RevArmBarPosition:
            if (SBRevArm_) SBRevArm_->setValue(m_.revArmBarPosition);
            break;
        case ModelEvent::UndoButtonsEnabled:
            if (UnDoDn_) UnDoDn_->setEnabled(m_.undoEnabled);
            break;
        case ModelEvent::CutoffTextsCleared:
        case ModelEvent::DimensionsChanged:
        case ModelEvent::DataSetNameChanged:
            // Captions and texts are redrawn with the next frame.
            break;
    }
}

bool TMainForm::Running() const {
    return Run_->text() == QLatin1String("Stop");
}

// --- Animation ---------------------------------------------------------------------------

void TMainForm::Timer1Timer() {
    TickSolve(m_);
    AdvanceDriverAngle(m_);
    PictureOutput out;
    {
        QPainter painter(&buffer_);
        out = RenderPicture(m_, painter,
                            PictureInput{QDateTime::currentDateTime(), &rng_, picture_->size()});
    }
    picture_->update();
    ApplyPictureOutput(out);
}

void TMainForm::ApplyPictureOutput(const PictureOutput& out) {
    QWidget* captioned[6] = {this,
                             windows_.sineDia,
                             windows_.ovalDia,
                             windows_.steamDia,
                             windows_.portDia,
                             windows_.dataTable};
    for (int i = 0; i < 6; ++i)
        if (captioned[i] && !out.captions[i].isEmpty() &&
            captioned[i]->windowTitle() != out.captions[i])
            captioned[i]->setWindowTitle(out.captions[i]);

    auto dialogFor = [this](int which) -> QDialog* {
        return which == 1 ? windows_.frameDi : which == 2 ? windows_.cylDimen : nullptr;
    };
    if (QDialog* d = dialogFor(out.closeDialog); d && d->isVisible()) d->close();
    if (QDialog* d = dialogFor(out.reopenDialog)) {
        // A modal loop inside the tick would stop the animation: open it from the event loop.
        QPointer<QDialog> target(d);
        QTimer::singleShot(0, this, [this, target] {
            if (target && !target->isVisible()) OpenWindow(target);
        });
    }
    if (out.restoreCursor) picture_->unsetCursor();

    if (UnDoDn_->isVisible() != out.undoButtonVisible) UnDoDn_->setVisible(out.undoButtonVisible);
    if (UnDoDn_->y() != out.undoButtonTop) UnDoDn_->move(UnDoDn_->x(), out.undoButtonTop);
    for (int k = 1; k <= 4; ++k) SBDynVar_[k]->setEnabled(out.dynBarEnabled[k - 1]);
    if (Error_->isVisible() != out.errorItemVisible) Error_->setVisible(out.errorItemVisible);

    if (out.exhaustVolume >= 0) sound_.SetVolume(out.exhaustVolume);
    if (out.playExhaust) sound_.PlayExhaust();
    if (out.playError) sound_.PlayError();
    if (out.beep) Beep();
}

// --- MainControls ------------------------------------------------------------------------

std::string TMainForm::RunCaption() const {
    return Run_->text().toStdString();
}
void TMainForm::SetRunCaption(const std::string& caption) {
    Run_->setText(QString::fromStdString(caption));
}
void TMainForm::SetDriverAngleBar(int position) {
    SBDrvAng_->setValue(position);
}
void TMainForm::SetDriverAngleBarEnabled(bool enabled) {
    SBDrvAng_->setEnabled(enabled);
}
void TMainForm::SetDriverAngleBarSteps(int smallChange, int largeChange) {
    SBDrvAng_->setSingleStep(smallChange);
    SBDrvAng_->setPageStep(largeChange);
}
void TMainForm::SetStepAngleBar(int position) {
    SBStepAng_->setValue(position);
}
void TMainForm::SetRefPointZeroEnabled(int point, bool enabled) {
    if (point == 1) RefPt1Zero_->setEnabled(enabled);
    if (point == 2) RefPt2Zero_->setEnabled(enabled);
}
void TMainForm::SetReferencePoints(bool on) {
    if (m_.display.referencePoints != on) RefPointsClick();
}
void TMainForm::SetAnimationTimerEnabled(bool enabled) {
    if (enabled)
        timer1_->start();
    else
        timer1_->stop();
}
void TMainForm::SetDynamicVariableBarsVisible(bool visible) {
    for (int k = 1; k <= 4; ++k) SBDynVar_[k]->setVisible(visible);
    for (int k : {7, 8, 9}) Panel_[k]->setVisible(visible);
}
void TMainForm::Beep() {
    if (beep) beep();
}

// --- Drive block -------------------------------------------------------------------------

void TMainForm::RunClick() {
    if (Running()) {
        SBDrvAng_->setValue(RoundToScreen(static_cast<LD>(m_.gear.driverAngle) * 100));
        m_.gear.currentStep = 0;
        SBDrvAng_->setEnabled(true);
        Run_->setText(QStringLiteral("Run"));
    } else {
        m_.gear.currentStep = m_.gear.chosenStep;
        SBDrvAng_->setEnabled(false);
        Run_->setText(QStringLiteral("Stop"));
    }
    Deg00_->setEnabled(true);
    Deg180_->setEnabled(true);
}

void TMainForm::SBDrvAngChange(int position) {
    m_.gear.driverAngle = static_cast<float>(static_cast<LD>(position) / 100);
    Deg180_->setEnabled(true);
    Deg00_->setEnabled(true);
}

void TMainForm::Deg00Click() {
    m_.gear.driverAngle = 0;
    SBDrvAng_->setValue(0);
    m_.gear.currentStep = 0;
    SBDrvAng_->setEnabled(true);
    Run_->setText(QStringLiteral("Run"));
    Deg00_->setEnabled(false);
    Deg180_->setEnabled(true);
}

void TMainForm::Deg180Click() {
    m_.gear.driverAngle = 180;
    SBDrvAng_->setValue(18000);
    m_.gear.currentStep = 0;
    SBDrvAng_->setEnabled(true);
    Run_->setText(QStringLiteral("Run"));
    Deg180_->setEnabled(false);
    Deg00_->setEnabled(true);
}

void TMainForm::SBStepAngChange(int position) {
    if (!stepBarSeen_) {
        stepBarSeen_ = true;
    } else {
        const StepChoice c = StepForPosition(position);
        m_.gear.chosenStep = c.step;
        SBDrvAng_->setSingleStep(c.smallChange);
        SBDrvAng_->setPageStep(c.largeChange);
        if (Running()) m_.gear.currentStep = m_.gear.chosenStep;
    }
    Step10_->setEnabled(m_.gear.chosenStep != 10.0f);
    Step45_->setEnabled(m_.gear.chosenStep != 45.0f);
    Step1_->setEnabled(m_.gear.chosenStep != 1.0f);
}

void TMainForm::Step1Click() {
    Step1_->setEnabled(false);
    m_.gear.chosenStep = 1;
    if (Running()) m_.gear.currentStep = m_.gear.chosenStep;
    SBStepAng_->setValue(8000);
}

void TMainForm::Step10Click() {
    Step10_->setEnabled(false);
    m_.gear.chosenStep = 10;
    if (Running()) m_.gear.currentStep = m_.gear.chosenStep;
    SBStepAng_->setValue(12000);
}

void TMainForm::Step45Click() {
    Step45_->setEnabled(false);
    m_.gear.chosenStep = 45;
    if (Running()) m_.gear.currentStep = m_.gear.chosenStep;
    SBStepAng_->setValue(14613);
}

void TMainForm::SBRevArmChange(int position) {
    const LD mid = m_.revArmPositions[0];
    const LD norm = m_.frame.revArmNorm;
    m_.gear.revArmSetting = static_cast<float>(mid + static_cast<LD>(position) / 1000);
    m_.gear.direction =
        m_.gear.revArmSetting >= m_.revArmPositions[0] ? RunDirection::Fwd : RunDirection::Rev;
    Center_->setEnabled(position != 0);
    Fwd_->setEnabled(m_.gear.revArmSetting != static_cast<float>(mid + norm));
    Rev_->setEnabled(m_.gear.revArmSetting != static_cast<float>(mid - norm));
    ClearCutoffTexts(m_);
}

void TMainForm::CenterClick() {
    SBRevArm_->setValue(0);
    m_.gear.revArmSetting = m_.revArmPositions[0];
    Fwd_->setEnabled(true);
    Rev_->setEnabled(true);
    Center_->setEnabled(false);
    ClearCutoffTexts(m_);
}

void TMainForm::FwdClick() {
    const LD norm = m_.frame.revArmNorm;
    m_.gear.revArmSetting = static_cast<float>(static_cast<LD>(m_.revArmPositions[0]) + norm);
    // A Max of 0 gives an infinite or undefined ratio; the rounding saturates and the bar clamps.
    SBRevArm_->setValue(
        RoundToScreen(norm * SBRevArm_->maximum() / static_cast<LD>(m_.frame.revArmMax)));
    Fwd_->setEnabled(false);
    Rev_->setEnabled(true);
    Center_->setEnabled(true);
    ClearCutoffTexts(m_);
}

void TMainForm::RevClick() {
    const LD norm = m_.frame.revArmNorm;
    m_.gear.revArmSetting = static_cast<float>(static_cast<LD>(m_.revArmPositions[0]) - norm);
    SBRevArm_->setValue(
        RoundToScreen(norm * SBRevArm_->minimum() / static_cast<LD>(m_.frame.revArmMax)));
    Rev_->setEnabled(false);
    Fwd_->setEnabled(true);
    Center_->setEnabled(true);
    ClearCutoffTexts(m_);
}

// --- View block --------------------------------------------------------------------------

void TMainForm::SBPanVertChange(int position) {
    NormVHZ_->setEnabled(true);
    const float d = JogIncrement(panVertMem_, position, 10.0f, 10);
    m_.view.oy -= d;
    m_.zoomAnchor = m_.view;
    SBPanVert_->setValue(0);
}

void TMainForm::SBPanHorzChange(int position) {
    NormVHZ_->setEnabled(true);
    const float d = JogIncrement(panHorzMem_, position, 10.0f, 10);
    m_.view.ox += d;
    m_.zoomAnchor = m_.view;
    SBPanHorz_->setValue(0);
}

void TMainForm::SBZoomChange(int position) {
    NormVHZ_->setEnabled(true);
    m_.zoomAnchor = m_.view;
    const ViewTransform a = m_.zoomAnchor;
    const float d = JogIncrement(zoomMem_, position, 10.0f, 10);
    LD s = m_.view.scale;
    if (s > 3000) s = 3000;
    s = s + s * d * 0.01L;
    // A view read from a file may carry a scale of 0 or worse; the offsets then stay put
    // rather than turning into NaN.
    if (std::isfinite(static_cast<LD>(a.scale)) && a.scale > 0 && std::isfinite(s)) {
        m_.view.ox = static_cast<float>((a.ox - 320.0L) * s / a.scale + 320);
        m_.view.oy = static_cast<float>(s * (a.oy - 240.0L) / a.scale + 240);
    }
    if (!(s <= 3000)) s = std::isnan(s) ? 0.5L : 3000;
    if (s < 0.5L) s = 0.5L;
    m_.view.scale = static_cast<float>(s);
    SBZoom_->setValue(0);
}

void TMainForm::NormVHZClick() {
    m_.previousView = m_.view;
    SBPanVert_->setValue(0);
    m_.view.oy = m_.homeView.oy;
    SBPanHorz_->setValue(0);
    m_.view.ox = m_.homeView.ox;
    SBZoom_->setValue(0);
    m_.view.scale = m_.homeView.scale;
    NormVHZ_->setEnabled(false);
    Preset_[0]->setEnabled(true);
}

void TMainForm::Preset0Click() {
    m_.presets[0] = m_.view;
    Preset_[0]->setEnabled(false);
    NormVHZ_->setEnabled(true);
}

void TMainForm::PresetClick(int k) {
    if (k < 1 || k > 6) return;
    if (!Preset_[0]->isEnabled()) m_.presets[k] = m_.presets[0];
    m_.view = m_.presets[k];
    NormVHZ_->setEnabled(true);
    Preset_[0]->setEnabled(true);
}

namespace {
// Moves world point (h, v) to screen (320, 240) at the current scale.
void CentreOn(ViewTransform& view, float h, float v) {
    const LD s = view.scale;
    view.ox = static_cast<float>(320 - static_cast<LD>(h) * s);
    view.oy = static_cast<float>(static_cast<LD>(v) * s + 240);
}
}  // namespace

// The pan bars are jog wheels that snap back to 0, so they are not moved to mirror the new
// offsets: moving them would pan once more and leave the point away from the centre.
void TMainForm::RefPt1Click() {
    CentreOn(m_.view, m_.pivots[19].x, m_.pivots[19].y);
}
void TMainForm::RefPt2Click() {
    CentreOn(m_.view, m_.pivots[20].x, m_.pivots[20].y);
}

// --- Reference points, pivot data, lines --------------------------------------------------

void TMainForm::RefPointsClick() {
    const bool on = !m_.display.referencePoints;
    m_.display.referencePoints = on;
    if (!on) {
        m_.display.pivotData = false;
        DataTableBut_->hide();
    }
    for (QScrollBar* b : SBRef_) b->setVisible(on);
    RefPt1Zero_->setVisible(on);
    RefPt2Zero_->setVisible(on);
    for (int k : {5, 6, 11}) Panel_[k]->setVisible(on);
    RefPt1_->setEnabled(on);
    RefPt2_->setEnabled(on);
    DrawLines1_->setEnabled(on);
    DrawLinesTool_->setEnabled(on);
    if (!on) {
        for (QScrollBar* b : SBRef_) b->setEnabled(false);
        RefPt1Zero_->setEnabled(false);
        RefPt2Zero_->setEnabled(false);
    } else {
        for (QScrollBar* b : SBRef_) b->setEnabled(true);
        const auto nonZero = [](const Pivot& p) { return p.x != 0 || p.y != 0; };
        RefPt1Zero_->setEnabled(nonZero(m_.pivots[19]));
        RefPt2Zero_->setEnabled(nonZero(m_.pivots[20]));
    }
}

void TMainForm::SetPivotDataClick() {
    if (m_.display.pivotData) {
        m_.display.pivotData = false;
        DataTableBut_->hide();
    } else {
        m_.display.pivotData = true;
        DataTableBut_->show();
        if (!m_.display.referencePoints) RefPointsClick();
    }
}

void TMainForm::SBRefChange(int bar, int position) {
    if (bar < 0 || bar > 3) return;
    (bar < 2 ? RefPt1Zero_ : RefPt2Zero_)->setEnabled(true);
    const int page = 25;
    const float d = JogIncrement(refMem_[bar], position, 1000.0f, page);
    Pivot& p = m_.pivots[bar < 2 ? 19 : 20];
    if (bar % 2 == 0)
        p.y += d;
    else
        p.x += d;
    SBRef_[bar]->setValue(0);
}

void TMainForm::RefPt1ZeroClick() {
    m_.pivots[19].x = m_.pivots[19].y = 0;
    SBRef_[0]->setValue(0);
    SBRef_[1]->setValue(0);
    RefPt1Zero_->setEnabled(false);
}

void TMainForm::RefPt2ZeroClick() {
    m_.pivots[20].x = m_.pivots[20].y = 0;
    SBRef_[2]->setValue(0);
    SBRef_[3]->setValue(0);
    RefPt2Zero_->setEnabled(false);
}

void TMainForm::DrawLines1Click() {
    const Pivot& a = m_.pivots[19];
    const Pivot& b = m_.pivots[20];
    if (a.x == 0 && a.y == 0 && b.x == 0 && b.y == 0) Beep();
    OpenWindow(windows_.drawLines);
}

void TMainForm::DataTableButClick() {
    OpenWindow(windows_.dataTable);
}

void TMainForm::FormMouseDown(Qt::MouseButton button, int x, int y) {
    const bool left = button == Qt::LeftButton;
    const bool right = button == Qt::RightButton;
    const bool inPicture = y > 120 || (y >= 68 && x > 247);
    const bool refOn = m_.display.referencePoints;
    const ViewTransform& v = m_.view;
    auto world = [&](Pivot& p) {
        p.x = static_cast<float>((static_cast<LD>(x) - v.ox) / v.scale);
        p.y = static_cast<float>(-(static_cast<LD>(y) - v.oy) / v.scale);
    };
    // The selected line may come from a file; anything outside 1..20 counts as no choice.
    const LineEntry* line = m_.lines.selected >= 1 && m_.lines.selected <= kLineEntries
                                ? &m_.lines.entries[m_.lines.selected - 1]
                                : nullptr;
    const bool typed = line && line->kind >= 0 && line->colour >= 0;

    if (refOn && inPicture && left) {
        world(m_.pivots[19]);
        RefPt1Zero_->setEnabled(true);
    }
    if (refOn && inPicture && right) {
        world(m_.pivots[20]);
        RefPt2Zero_->setEnabled(true);
    }
    if (refOn && left && typed && line->reference >= 0 && line->reference <= 2) DrawLines1Click();
    if (left) m_.leftButtonSeen = true;
    if (refOn && right && typed && line->reference == 3 && m_.leftButtonSeen) {
        m_.leftButtonSeen = false;
        DrawLines1Click();
    }
    if (m_.display.pivotData && m_.pickArmed && refOn && left) {
        world(m_.pivots[19]);
        const Pivot& r = m_.pivots[19];
        LD best = 10000;
        int found = -1;
        for (int i = 1; i <= 18; ++i) {
            const LD dist = std::fabs(static_cast<LD>(r.y) - m_.pivots[i].y) +
                            std::fabs(static_cast<LD>(r.x) - m_.pivots[i].x);
            if (dist < best) {
                best = dist;
                found = i;
            }
        }
        if (found > 0 && m_.pickingSlot >= 1 && m_.pickingSlot <= 6)
            m_.picks[m_.pickingSlot].pivot = static_cast<float>(found);
        m_.pickArmed = false;
    }
    if (m_.display.pivotData && !m_.pickArmed && refOn && left && x > 0 &&
        x < RoundToScreen(20.0L * m_.display.textScaleX)) {
        const LD fy = m_.display.textScaleY;
        for (int k = 1; k <= 6; ++k) {
            if (RoundToScreen((142 + 10 * k) * fy) < y && y < RoundToScreen((151 + 10 * k) * fy)) {
                m_.pickingSlot = k;
                m_.picks[k].assigned = true;
                m_.pickArmed = true;
            }
        }
    }
    if (m_.dimensionGraphicId != 0) m_.graphicFrameCounter = 1005;
}

// --- Dynamic variables and undo -----------------------------------------------------------

void TMainForm::SBDynVarChange(int k, int position) {
    DynamicBarChanged(m_, k, position);
    SBDynVar_[k]->setValue(0);
}

void TMainForm::SBDynVarEnter(int k) {
    DynamicBarEntered(m_, k);
}

void TMainForm::SBDynVarScrollEnded(int k) {
    UnDoDn_->setEnabled(true);
    DynamicBarScrollEnded(m_, k);
    SBRevArm_->setFocus();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    for (int k = 1; k <= 4; ++k) {
        if (watched != SBDynVar_[k]) continue;
        switch (event->type()) {
            case QEvent::FocusIn: SBDynVarEnter(k); break;
            case QEvent::MouseButtonRelease:
                // Arrow, page and thumb actions all end when the button comes up.
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                    SBDynVarScrollEnded(k);
                break;
            case QEvent::KeyRelease: {
                auto* ke = static_cast<QKeyEvent*>(event);
                const int key = ke->key();
                if (!ke->isAutoRepeat() &&
                    (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                     key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
                     key == Qt::Key_Home || key == Qt::Key_End))
                    SBDynVarScrollEnded(k);
                break;
            }
            default: break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::UnDoDnClick() {
    if (m_.undo[1].id > 0)
        UndoLastChange(m_);
    else
        UnDoDn_->setEnabled(false);
}

void TMainForm::DynamicVariablesClick() {
    m_.display.dynamicVariablesVisible = !m_.display.dynamicVariablesVisible;
    SetDynamicVariableBarsVisible(m_.display.dynamicVariablesVisible);
}

void TMainForm::SetUnDoClick() {
    m_.display.undoLineVisible = !m_.display.undoLineVisible;
}

// --- SetUp menu -----------------------------------------------------------------------------

void TMainForm::SetLineWidthClick() {
    if (m_.display.lineWidth == 1) {
        m_.display.lineWidth = 2;
        SetLineWidth_->setText(QStringLiteral("Set&LineWidth 1"));
    } else {
        m_.display.lineWidth = 1;
        SetLineWidth_->setText(QStringLiteral("Set&LineWidth 2"));
    }
}

void TMainForm::LargeFontClick() {
    if (LargeFont_->text() != QLatin1String("SetLarge&Font")) {
        LargeFont_->setText(QStringLiteral("SetLarge&Font"));
        m_.display.textScaleX = 1.0f;
        m_.display.textScaleY = 1.0f;
    } else {
        LargeFont_->setText(QStringLiteral("SetSmall&Font"));
        m_.display.textScaleX = 1.27f;
        m_.display.textScaleY = 1.22f;
    }
}

void TMainForm::SetScreenDataClick() {
    QList<QWidget*> drive = {Rev_,       Center_,    Fwd_,     Deg180_,  Run_,
                             Deg00_,     Step1_,     Step10_,  Step45_,  SBRevArm_,
                             SBDrvAng_,  SBStepAng_, NormVHZ_, RefPt1_,  RefPt2_,
                             SBPanVert_, SBPanHorz_, SBZoom_,  toolBar1_};
    for (QPushButton* b : Preset_) drive.append(b);
    if (m_.display.screenData) {
        m_.display.screenData = false;
        SetScreenData_->setText(QStringLiteral("SetScree&nData On"));
        for (int k = 1; k <= 12; ++k) Panel_[k]->hide();
        for (QWidget* w : drive) w->hide();
        RefPt1Zero_->hide();
        RefPt2Zero_->hide();
        for (QScrollBar* b : SBRef_) b->hide();
        for (int k = 1; k <= 4; ++k) SBDynVar_[k]->hide();
        DataTableBut_->hide();
        for (QAction* a : {DriverAng_, FindRevArmCent_, DynamicVariables_, RefPoints_, SetUnDo_,
                           SetPivotData_, DrawLines1_, DrawLinesTool_})
            a->setEnabled(false);
        RefPoints1_->setVisible(false);
        m_.display.dynamicVariablesVisible = false;
        m_.display.referencePoints = false;
        m_.display.undoLineVisible = false;
        m_.display.pivotData = false;
        SetPanZoom_->setEnabled(true);
    } else {
        m_.display.screenData = true;
        SetScreenData_->setText(QStringLiteral("SetScree&nData Off"));
        for (int k : {1, 2, 3, 4, 9, 10, 12}) Panel_[k]->show();
        for (QWidget* w : drive) w->show();
        for (QAction* a :
             {DriverAng_, FindRevArmCent_, DynamicVariables_, RefPoints_, SetUnDo_, SetPivotData_})
            a->setEnabled(true);
        RefPoints1_->setVisible(true);
        SetPanZoom_->setEnabled(false);
        SetPanZoom_->setText(QStringLiteral("Set&PanZoom On"));
    }
}

void TMainForm::SetPanZoomClick() {
    const bool show = SetPanZoom_->text() != QLatin1String("SetP&anZoom Off");
    SetPanZoom_->setText(show ? QStringLiteral("SetP&anZoom Off")
                              : QStringLiteral("SetP&anZoom On"));
    SBPanVert_->setVisible(show);
    SBPanHorz_->setVisible(show);
    SBZoom_->setVisible(show);
}

void TMainForm::SetSteamClick() {
    if (m_.steam.display) {
        m_.steam.display = false;
        SetSteam_->setText(QStringLiteral("SetS&teamDisp On"));
    } else {
        m_.steam.display = true;
        SetSteam_->setText(QStringLiteral("SetS&teamDisp Off"));
    }
}

void TMainForm::SetBeepOnErrorClick() {
    if (m_.gear.errorBeep) {
        m_.gear.errorBeep = false;
        SetBeepOnError_->setText(QStringLiteral("Set&ErrorBeep On"));
    } else {
        m_.gear.errorBeep = true;
        SetBeepOnError_->setText(QStringLiteral("Set&ErrorBeep Off"));
    }
}

void TMainForm::FindRevArmCentClick() {
    ComputeMidGear(m_);
    CenterClick();
}

void TMainForm::ResetAllClick() {
    ApplyFrameDefaults(m_);
    ApplyCylinderDefaults(m_);
    // The default reverse-arm limit may differ from the one the bar was sized for.
    SetRevArmBarLimits(m_);
    ComputeMidGear(m_);
    CenterClick();
    NormVHZClick();
    m_.dataSetName = "Nominal";
    m_.diagramVerticalScale = 1.5f;
    m_.Notify(ModelEvent::DataSetNameChanged);
    m_.display.dynamicVariablesVisible = false;
    SetDynamicVariableBarsVisible(false);
    ClearUndo(m_);
    m_.display.undoLineVisible = false;
    m_.Notify(ModelEvent::DimensionsChanged);
}

// --- Files and windows ----------------------------------------------------------------------

bool TMainForm::OpenFile(const QString& path) {
    std::string error;
    if (!files::OpenDimensionFile(m_, QFile::encodeName(path).toStdString(), error)) {
        if (showMessage) showMessage(QString::fromStdString(error));
        return false;
    }
    // The loaded limit sizes the bar; the arm stands at the new mid gear.
    SetRevArmBarLimits(m_);
    RequestRevArmBarPosition(m_, 0);
    SBRevArmChange(SBRevArm_->value());
    m_.Notify(ModelEvent::DataSetNameChanged);
    return true;
}

QString TMainForm::DroppedDimensionFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString path = urls.front().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("dst") || suffix == QLatin1String("mvo") ? path : QString();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedDimensionFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QString path = DroppedDimensionFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Open after the drop has finished, so a message box never runs inside the drag loop.
    QMetaObject::invokeMethod(
        this, [this, path] { OpenFile(path); }, Qt::QueuedConnection);
}

void TMainForm::OpenCommand(FileCommand command) {
    const QString path = chooseFile ? chooseFile(command) : QString();
    if (path.isEmpty()) return;
    if (command != FileCommand::SaveAs) {
        OpenFile(path);
        return;
    }
    std::string error;
    if (!files::SaveDimensionFile(m_, QFile::encodeName(path).toStdString(), error)) {
        if (showMessage) showMessage(QString::fromStdString(error));
        return;
    }
    m_.Notify(ModelEvent::DataSetNameChanged);
}

void TMainForm::OpenDimensionsClick() {
    OpenCommand(FileCommand::OpenDst);
}
void TMainForm::OpenDosDimensionsClick() {
    OpenCommand(FileCommand::OpenMvo);
}
void TMainForm::SaveAsDimensionsClick() {
    OpenCommand(FileCommand::SaveAs);
}
void TMainForm::Exit1Click() {
    close();
}

void TMainForm::OpenWindow(QDialog* dialog) {
    if (dialog && runModal) runModal(dialog);
}

void TMainForm::FourEventsClick() {
    m_.portSelector = 'F';
    OpenWindow(windows_.portDia);
}

}  // namespace mv
