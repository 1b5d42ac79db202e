#include "mainwin/main_form.hpp"

#include <QAction>
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
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <chrono>
#include <cmath>

#include "analysis/new_gear.hpp"
#include "analysis/scale_gear.hpp"
#include "design/scale_gear_dialog.hpp"
#include "files/dimension_file.hpp"
#include "mainwin/look.hpp"
#include "mainwin/picture_widget.hpp"
#include "model/edits.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"
#include "model/view.hpp"

namespace mv {

using LD = long double;

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
    askScaleFactor = [this] { return AskScaleFactor(this, m_); };
    showMessage = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Merrovan"), text);
    };
    chooseFile = [this](FileCommand c) {
        QFileDialog dlg(this);
        if (!lastFolder_.isEmpty()) dlg.setDirectory(lastFolder_);
        if (c == FileCommand::ExportDxf) {
            dlg.setWindowTitle(QStringLiteral("Export DXF"));
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setNameFilters(
                {QStringLiteral("DXF drawing (*.dxf)"), QStringLiteral("All Files (*)")});
            dlg.setDefaultSuffix(QStringLiteral("dxf"));
        } else if (c == FileCommand::CompareWith) {
            dlg.setWindowTitle(QStringLiteral("Compare With"));
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            dlg.setFileMode(QFileDialog::ExistingFile);
            dlg.setNameFilters(
                {QStringLiteral("Dimension files (*.dst *.mvo)"), QStringLiteral("All Files (*)")});
        } else if (c == FileCommand::SaveAs) {
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
        lastFolder_ = dlg.directory().absolutePath();
        return dlg.selectedFiles().front();
    };
    beep = [] { QApplication::beep(); };
    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dlg(&printer, this);
        dlg.setWindowTitle(QStringLiteral("Build Sheet"));
        return dlg.exec() == QDialog::Accepted;
    };
    askToSave = [this] {
        const auto answer = QMessageBox::question(
            this, QStringLiteral("Merrovan"),
            QStringLiteral("The dimensions have changed since they were last opened or saved.\n"
                           "Save them first?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        return answer == QMessageBox::Save      ? SaveChoice::Save
               : answer == QMessageBox::Discard ? SaveChoice::Discard
                                                : SaveChoice::Cancel;
    };

    picture_ = new PictureWidget(buffer_, this);
    picture_->pressed = [this](Qt::MouseButton b, QPoint p) { FormMouseDown(b, p.x(), p.y()); };
    picture_->wheeled = [this](QPoint at, double notches) { WheelZoom(at, notches); };
    picture_->panned = [this](QPoint delta) { PanBy(delta); };
    picture_->resized = [this] { FollowPictureSize(); };
    setCentralWidget(picture_);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(kSilver));
    setPalette(pal);

    ui_ = BuildMainWidgets(picture_);
    ui_.SBRevArm->setRange(m_.revArmBarMin, m_.revArmBarMax);
    ConnectControls();
    menus_ =
        std::make_unique<MainMenus>(*this, picture_, [this](const MenuRequest& r) { RunMenu(r); });
    Error_ = menus_->Action("Error");
    // Ctrl+Z and F5 press the picture's UnDo and Run buttons.
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, this, [this] {
        if (ui_.UnDoDn->isEnabled()) UnDoDnClick();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this,
            [this] { RunClick(); });

    QPointer<TMainForm> self(this);
    m_.AddListener([self](ModelEvent e) {
        if (self) self->OnModelEvent(e);
    });

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setTimerType(Qt::PreciseTimer);
    frameInterval_ = TimerIntervalForRate(options.fps < 0 ? ScreenRefreshRate() : options.fps);
    timer1_->setInterval(frameInterval_);
    connect(timer1_, &QTimer::timeout, this, [this] { TimerTick(); });
    quietAfterMs_ = options.quietAfterMs;
    fitOnShow_ = options.fitOnShow;
    lastChange_.start();
    WakeOnInput();

    FormCreate();

    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
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

void TMainForm::ConnectControls() {
    connect(ui_.SBRevArm, &QScrollBar::valueChanged, this, [this](int p) { SBRevArmChange(p); });
    connect(ui_.SBDrvAng, &QScrollBar::valueChanged, this, [this](int p) { SBDrvAngChange(p); });
    connect(ui_.SBStepAng, &QScrollBar::valueChanged, this, [this](int p) { SBStepAngChange(p); });
    connect(ui_.SBPanVert, &QScrollBar::valueChanged, this,
            [this](int p) { SBPanChange(p, true); });
    connect(ui_.SBPanHorz, &QScrollBar::valueChanged, this,
            [this](int p) { SBPanChange(p, false); });
    connect(ui_.SBZoom, &QScrollBar::valueChanged, this, [this](int p) { SBZoomChange(p); });
    for (int b = 0; b < 4; ++b)
        connect(ui_.SBRef[b], &QScrollBar::valueChanged, this,
                [this, b](int p) { SBRefChange(b, p); });
    for (int k = 1; k <= 4; ++k) {
        ui_.SBDynVar[k]->installEventFilter(this);
        connect(ui_.SBDynVar[k], &QScrollBar::valueChanged, this,
                [this, k](int p) { SBDynVarChange(k, p); });
    }
    auto click = [this](QPushButton* b, auto handler) {
        connect(b, &QPushButton::clicked, this, handler);
    };
    click(ui_.Run, [this] { RunClick(); });
    click(ui_.Center, [this] { CenterClick(); });
    click(ui_.Fwd, [this] { NormClick(1); });
    click(ui_.Rev, [this] { NormClick(-1); });
    click(ui_.Deg00, [this] { DegreeClick(0, 0, ui_.Deg00, ui_.Deg180); });
    click(ui_.Deg180, [this] { DegreeClick(180, 18000, ui_.Deg180, ui_.Deg00); });
    click(ui_.Step1, [this] { StepClick(ui_.Step1, 1, kStepBarFor1); });
    click(ui_.Step10, [this] { StepClick(ui_.Step10, 10, kStepBarFor10); });
    click(ui_.Step45, [this] { StepClick(ui_.Step45, 45, kStepBarFor45); });
    click(ui_.NormVHZ, [this] { NormVHZClick(); });
    click(ui_.Preset[0], [this] { Preset0Click(); });
    for (int k = 1; k <= 6; ++k) click(ui_.Preset[k], [this, k] { PresetClick(k); });
    click(ui_.RefPt1,
          [this] { m_.view = CentredOn(m_.view, m_.pivots[pv::Ref1].x, m_.pivots[pv::Ref1].y); });
    click(ui_.RefPt2,
          [this] { m_.view = CentredOn(m_.view, m_.pivots[pv::Ref2].x, m_.pivots[pv::Ref2].y); });
    click(ui_.RefPt1Zero, [this] { RefPtZeroClick(1); });
    click(ui_.RefPt2Zero, [this] { RefPtZeroClick(2); });
    click(ui_.DataTableBut, [this] { OpenWindow(windows_.dataTable); });
    click(ui_.UnDoDn, [this] { UnDoDnClick(); });
}

void TMainForm::FormCreate() {
    // Limits first: the start-up sequence announces them and the bar must follow.
    StartUp(m_);
    ui_.SBRevArm->setRange(m_.revArmBarMin, m_.revArmBarMax);
    ui_.SBRevArm->setValue(0);
    ui_.SBDrvAng->setEnabled(false);  // the animation starts running
    // The step bar's change while the window loads is the one its handler ignores.
    SBStepAngChange(ui_.SBStepAng->value());
    sound_.SetVolume(0x8000);
    MarkSaved();
}

void TMainForm::FormActivate() {
    // The driver bar is only usable while stopped; activation keeps it that way.
    if (Running()) ui_.SBDrvAng->setEnabled(false);
}

void TMainForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    QMainWindow::changeEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!SaveChangesFirst()) {
        event->ignore();
        return;
    }
    timer1_->stop();
    sound_.SetVolume(0x8000);
    event->accept();
}

void TMainForm::OnModelEvent(ModelEvent e) {
    Wake();
    switch (e) {
        case ModelEvent::RevArmBarLimits:
            if (ui_.SBRevArm) ui_.SBRevArm->setRange(m_.revArmBarMin, m_.revArmBarMax);
            break;
        case ModelEvent::RevArmBarPosition:
            if (ui_.SBRevArm) ui_.SBRevArm->setValue(m_.revArmBarPosition);
            break;
        case ModelEvent::UndoButtonsEnabled:
            if (ui_.UnDoDn) ui_.UnDoDn->setEnabled(m_.undoEnabled);
            break;
        case ModelEvent::CutoffTextsCleared:
        case ModelEvent::DimensionsChanged:
        case ModelEvent::DataSetNameChanged:
        case ModelEvent::ComparisonChanged:
            // Captions and texts are redrawn with the next frame.
            break;
    }
}

void TMainForm::RunMenu(const MenuRequest& r) {
    switch (r.command) {
        case MenuCommand::OpenDimensions: OpenCommand(FileCommand::OpenDst); break;
        case MenuCommand::OpenDosDimensions: OpenCommand(FileCommand::OpenMvo); break;
        case MenuCommand::SaveAsDimensions: OpenCommand(FileCommand::SaveAs); break;
        case MenuCommand::Exit: close(); break;
        case MenuCommand::OpenWindow:
            if (r.window) OpenWindow(windows_.*r.window);
            break;
        case MenuCommand::ShowWindow:
            if (QDialog* d = r.window ? windows_.*r.window : nullptr) {
                d->show();
                d->raise();
                d->activateWindow();
            }
            break;
        case MenuCommand::OpenGraph: {
            const DiagramKindInfo& k = KindInfo(r.kind);
            if (k.selectorOnOpen) m_.portSelector = k.selectorOnOpen;
            OpenWindow(windows_.Graph(r.kind));
            break;
        }
        case MenuCommand::LargeFont: LargeFontClick(); break;
        case MenuCommand::FindRevArmCent:
            ComputeMidGear(m_);
            CenterClick();
            break;
        case MenuCommand::SetSteam: m_.steam.display = !m_.steam.display; break;
        case MenuCommand::SetBeepOnError: m_.gear.errorBeep = !m_.gear.errorBeep; break;
        case MenuCommand::SetLineWidth:
            m_.display.lineWidth = m_.display.lineWidth == 1 ? 2 : 1;
            break;
        case MenuCommand::SetScreenData: SetScreenDataClick(); break;
        case MenuCommand::SetPanZoom: SetPanZoomClick(); break;
        case MenuCommand::ResetAll: ResetAllClick(); break;
        case MenuCommand::RefPoints: RefPointsClick(); break;
        case MenuCommand::DrawLines: DrawLines1Click(); break;
        case MenuCommand::PivotData: SetPivotDataClick(); break;
        case MenuCommand::DynamicVariables:
            m_.display.dynamicVariablesVisible = !m_.display.dynamicVariablesVisible;
            SetDynamicVariableBarsVisible(m_.display.dynamicVariablesVisible);
            break;
        case MenuCommand::SetUnDo: m_.display.undoLineVisible = !m_.display.undoLineVisible; break;
        case MenuCommand::Fit: FitView(); break;
        case MenuCommand::BuildSheet: BuildSheetClick(); break;
        case MenuCommand::ExportDxf: ExportDxfClick(); break;
        case MenuCommand::CompareWith: CompareWithClick(); break;
        case MenuCommand::CompareOff: CompareOffClick(); break;
        case MenuCommand::ScaleGear: ScaleGearClick(); break;
    }
    ShowToggles();
}

void TMainForm::ShowToggles() {
    menus_->ShowToggles({m_.steam.display, m_.gear.errorBeep, m_.display.lineWidth,
                         m_.display.screenData, largeFont_, panZoom_});
    menus_->ShowComparison(m_.comparison.has_value());
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
    ShowCaptions(out.captions);

    auto dialogFor = [this](int which) -> QDialog* {
        return which == 1 ? windows_.frameDi : which == 2 ? windows_.cylDimen : nullptr;
    };
    // Only hidden: closing would run the dialog's Close logic, which puts the reverse arm at
    // mid gear; the graphic must leave the gear as the user set it.
    if (QDialog* d = dialogFor(out.closeDialog); d && d->isVisible()) d->hide();
    if (QDialog* d = dialogFor(out.reopenDialog)) {
        // A modal loop inside the tick would stop the animation: open it from the event loop.
        QPointer<QDialog> target(d);
        QTimer::singleShot(0, this, [this, target] {
            if (target && !target->isVisible()) OpenWindow(target);
        });
    }
    if (out.restoreCursor) picture_->unsetCursor();

    if (ui_.UnDoDn->isVisible() != out.undoButtonVisible)
        ui_.UnDoDn->setVisible(out.undoButtonVisible);
    if (ui_.UnDoDn->y() != out.undoButtonTop) ui_.UnDoDn->move(ui_.UnDoDn->x(), out.undoButtonTop);
    for (int k = 1; k <= 4; ++k) ui_.SBDynVar[k]->setEnabled(out.dynBarEnabled[k - 1]);
    if (Error_->isVisible() != out.errorItemVisible) Error_->setVisible(out.errorItemVisible);

    if (out.exhaustVolume >= 0) sound_.SetVolume(out.exhaustVolume);
    if (out.playExhaust) sound_.PlayExhaust();
    if (out.playError) sound_.PlayError();
    if (out.beep) Beep();
}

void TMainForm::ShowCaptions(const WindowCaptions& captions) {
    auto caption = [](QWidget* w, const QString& text) {
        if (w && !text.isEmpty() && w->windowTitle() != text) w->setWindowTitle(text);
    };
    caption(this, captions.main);
    for (const DiagramKindInfo& k : DiagramKinds())
        caption(windows_.Graph(k.kind), captions.diagrams[static_cast<std::size_t>(k.kind)]);
    caption(windows_.dataTable, captions.dataTable);
}

// --- MainControls ------------------------------------------------------------------------

void TMainForm::SetRunning(bool run) {
    if (!run) {
        ui_.SBDrvAng->setValue(RoundToScreen(static_cast<LD>(m_.gear.driverAngle) * 100));
        m_.gear.currentStep = 0;
        ui_.SBDrvAng->setEnabled(true);
    } else {
        m_.gear.currentStep = m_.gear.chosenStep;
        ui_.SBDrvAng->setEnabled(false);
    }
    running_ = run;
    ui_.Run->setText(run ? QStringLiteral("Stop") : QStringLiteral("Run"));
    ui_.Deg00->setEnabled(true);
    ui_.Deg180->setEnabled(true);
}
void TMainForm::SetDriverAngleBar(int position) {
    ui_.SBDrvAng->setValue(position);
}
void TMainForm::SetDriverAngleBarEnabled(bool enabled) {
    ui_.SBDrvAng->setEnabled(enabled);
}
void TMainForm::SetDriverAngleBarSteps(int smallChange, int largeChange) {
    ui_.SBDrvAng->setSingleStep(smallChange);
    ui_.SBDrvAng->setPageStep(largeChange);
}
void TMainForm::SetStepAngleBar(int position) {
    ui_.SBStepAng->setValue(position);
}
void TMainForm::SetRefPointZeroEnabled(int point, bool enabled) {
    if (point == 1) ui_.RefPt1Zero->setEnabled(enabled);
    if (point == 2) ui_.RefPt2Zero->setEnabled(enabled);
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
    for (int k = 1; k <= 4; ++k) ui_.SBDynVar[k]->setVisible(visible);
    for (int k : {7, 8, 9}) ui_.Panel[k]->setVisible(visible);
}
void TMainForm::Beep() {
    if (beep) beep();
}

// --- SetUp menu -----------------------------------------------------------------------------

void TMainForm::LargeFontClick() {
    largeFont_ = !largeFont_;
    m_.display.textScaleX = largeFont_ ? 1.27f : 1.0f;
    m_.display.textScaleY = largeFont_ ? 1.22f : 1.0f;
}

void TMainForm::SetScreenDataClick() {
    QList<QWidget*> drive = {ui_.Rev,       ui_.Center,   ui_.Fwd,          ui_.Deg180,
                             ui_.Run,       ui_.Deg00,    ui_.Step1,        ui_.Step10,
                             ui_.Step45,    ui_.SBRevArm, ui_.SBDrvAng,     ui_.SBStepAng,
                             ui_.NormVHZ,   ui_.RefPt1,   ui_.RefPt2,       ui_.SBPanVert,
                             ui_.SBPanHorz, ui_.SBZoom,   menus_->ToolBar()};
    for (QPushButton* b : ui_.Preset) drive.append(b);
    const char* const kScreenDataItems[] = {"DriverAng", "FindRevArmCent", "DynamicVariables",
                                            "RefPoints", "SetUnDo",        "SetPivotData"};
    if (m_.display.screenData) {
        m_.display.screenData = false;
        for (int k = 1; k <= 12; ++k) ui_.Panel[k]->hide();
        for (QWidget* w : drive) w->hide();
        ui_.RefPt1Zero->hide();
        ui_.RefPt2Zero->hide();
        for (QScrollBar* b : ui_.SBRef) b->hide();
        for (int k = 1; k <= 4; ++k) ui_.SBDynVar[k]->hide();
        ui_.DataTableBut->hide();
        for (const char* name : kScreenDataItems) menus_->Action(name)->setEnabled(false);
        menus_->Action("DrawLines1")->setEnabled(false);
        menus_->Action("ToolDrawLines")->setEnabled(false);
        menus_->Action("RefPoints1")->setVisible(false);
        m_.display.dynamicVariablesVisible = false;
        m_.display.referencePoints = false;
        m_.display.undoLineVisible = false;
        m_.display.pivotData = false;
        menus_->Action("SetPanZoom")->setEnabled(true);
    } else {
        m_.display.screenData = true;
        for (int k : {1, 2, 3, 4, 9, 10, 12}) ui_.Panel[k]->show();
        for (QWidget* w : drive) w->show();
        for (const char* name : kScreenDataItems) menus_->Action(name)->setEnabled(true);
        menus_->Action("RefPoints1")->setVisible(true);
        menus_->Action("SetPanZoom")->setEnabled(false);
        panZoom_ = PanZoomItem::Restored;
    }
}

void TMainForm::SetPanZoomClick() {
    const bool show = panZoom_ != PanZoomItem::BarsShown;
    panZoom_ = show ? PanZoomItem::BarsShown : PanZoomItem::BarsHidden;
    ui_.SBPanVert->setVisible(show);
    ui_.SBPanHorz->setVisible(show);
    ui_.SBZoom->setVisible(show);
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
    SBRevArmChange(ui_.SBRevArm->value());
    m_.Notify(ModelEvent::DataSetNameChanged);
    MarkSaved();
    return true;
}

bool TMainForm::OpenNewGear(const Gear& g) {
    if (!SaveChangesFirst()) return false;
    InstallNewGear(m_, g);
    SBRevArmChange(ui_.SBRevArm->value());
    // Not marked saved: the new gear is unsaved work until the user names it.
    FitView();
    return true;
}

void TMainForm::ScaleGearClick() {
    const std::optional<double> k = askScaleFactor ? askScaleFactor() : std::nullopt;
    if (!k || !ScaleFactorProblem(m_, *k).empty()) return;
    ScaleWorkingGear(m_, *k);
    SBRevArmChange(ui_.SBRevArm->value());
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
        this,
        [this, path] {
            if (SaveChangesFirst()) OpenFile(path);
        },
        Qt::QueuedConnection);
}

void TMainForm::OpenCommand(FileCommand command) {
    if (command == FileCommand::SaveAs) {
        SaveAs();
        return;
    }
    if (!SaveChangesFirst()) return;
    const QString path = chooseFile ? chooseFile(command) : QString();
    if (!path.isEmpty()) OpenFile(path);
}

bool TMainForm::SaveAs() {
    const QString path = chooseFile ? chooseFile(FileCommand::SaveAs) : QString();
    if (path.isEmpty()) return false;
    std::string error;
    if (!files::SaveDimensionFile(m_, QFile::encodeName(path).toStdString(), error)) {
        if (showMessage) showMessage(QString::fromStdString(error));
        return false;
    }
    m_.Notify(ModelEvent::DataSetNameChanged);
    MarkSaved();
    return true;
}

void TMainForm::OpenWindow(QDialog* dialog) {
    if (!dialog || !runModal) return;
    // The dialogs that change the mechanism open beside it, or where the user last put them.
    const bool beside =
        dialog == windows_.frameDi || dialog == windows_.cylDimen || dialog == windows_.graphZoom ||
        dialog == windows_.drivAng || dialog == windows_.stpAng || dialog == windows_.revPos ||
        dialog == windows_.setRevArm || dialog == windows_.refPnts || dialog == windows_.drawLines;
    if (beside) placer_.Place(dialog, this);
    runModal(dialog);
    if (beside) placer_.Closing(dialog);
}

}  // namespace mv
