// The main window: the picture with its floating controls, the menu bar and the animation loop.
// The controls' places are in main_layout, the menus in main_menus, the view arithmetic in
// model/view; this class wires them to the model and runs the handlers.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <random>

#include "mainwin/app_windows.hpp"
#include "mainwin/dialog_placement.hpp"
#include "mainwin/draw_picture.hpp"
#include "mainwin/main_controls.hpp"
#include "mainwin/main_layout.hpp"
#include "mainwin/main_menus.hpp"
#include "mainwin/sound_player.hpp"
#include "model/model.hpp"

class QAction;
class QFrame;
class QMimeData;
class QPrinter;
class QPushButton;
class QScrollBar;
class QTimer;

namespace mv {

// Timer interval in ms for a frame rate; 0 for a rate of 0 or less (unpaced).
int TimerIntervalForRate(double fps);
// The primary screen's refresh rate, 60 when the platform does not know it.
double ScreenRefreshRate();

struct MainFormOptions {
    double fps = -1;  // frames per second; below 0 follows the screen, 0 runs unpaced
    bool startTimer = true;
    bool fitOnShow = false;  // Fit the mechanism into the picture when the window first shows
    // Stopped and untouched this long (ms), the timer only keeps the captions' clock; below 0
    // it never rests.
    int quietAfterMs = 1500;
};

enum class FileCommand { OpenDst, OpenMvo, SaveAs, ExportDxf, CompareWith };

// The answer to "save the changed dimensions first?".
enum class SaveChoice { Save, Discard, Cancel };

class PictureWidget;

class TMainForm : public QMainWindow, public MainControls {
    Q_OBJECT
public:
    explicit TMainForm(Model& m, MainFormOptions options = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The secondary windows, created after the main window.
    void SetAppWindows(const AppWindows& windows);
    const AppWindows& Windows() const { return windows_; }

    // What blocks on the user; tests replace these.
    std::function<void(QDialog*)> runModal;
    std::function<void(const QString&)> showMessage;
    std::function<QString(FileCommand)> chooseFile;
    std::function<void()> beep;
    std::function<SaveChoice()> askToSave;
    // Sets up the printer for the build sheet (Qt's print dialog: a printer, or a PDF file);
    // false: the user cancelled.
    std::function<bool(QPrinter&)> choosePrinter;
    // The factor of "ScaleGear…"; nothing when the user cancelled.
    std::function<std::optional<double>()> askScaleFactor;

    // Whether the dimensions differ from those last opened or saved.
    bool DimensionsChanged() const;

    // Opens a dimension file; a failure shows its message and leaves the working set alone.
    bool OpenFile(const QString& path);
    // Makes a new gear the working gear, untitled, after offering to save changed dimensions;
    // false when the user cancelled there.
    bool OpenNewGear(const Gear& g);
    // Scales every length of the working gear as one undoable step.
    void ScaleGearClick();

    // A dropped .dst or .mvo file opens as the open command would; anything else is refused.
    static QString DroppedDimensionFile(const QMimeData* mime);

    // One tick of the animation (Timer1's timeout): solve, advance, draw, apply the frame.
    void Timer1Timer();
    // What a frame asks of the windows: captions, dialogs, the UnDo button, bars, sounds.
    void ApplyPictureOutput(const PictureOutput& out);
    // The frame buffer the picture is drawn into: as large as the drawing area, at least
    // kPictureWidth x kPictureHeight, at the screen's pixel ratio; made anew only on a resize.
    const QImage& Buffer() const { return buffer_; }
    // The drawing area, below the tool bar.
    QWidget* Picture() const;

    // View commands of the mouse and the Fit command, on the one view the bars also move.
    void FitView();
    void WheelZoom(QPoint at, double notches);
    void PanBy(QPoint delta);
    // The part of the picture Fit fills: under the controls that are always there.
    QRect FitArea() const;

    // MainControls
    bool Running() const override { return running_; }
    void SetRunning(bool run) override;
    void SetDriverAngleBar(int position) override;
    void SetDriverAngleBarEnabled(bool enabled) override;
    void SetDriverAngleBarSteps(int smallChange, int largeChange) override;
    void SetStepAngleBar(int position) override;
    void SetRefPointZeroEnabled(int point, bool enabled) override;
    void SetReferencePoints(bool on) override;
    void SetAnimationTimerEnabled(bool enabled) override;
    void SetDynamicVariableBarsVisible(bool visible) override;
    void Beep() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectControls();
    void FormCreate();
    void FormActivate();
    void OnModelEvent(ModelEvent e);
    void RunMenu(const MenuRequest& r);
    void ShowToggles();

    // Drive block.
    void RunClick();
    void SBDrvAngChange(int position);
    void DegreeClick(float angle, int position, QPushButton* pressed, QPushButton* other);
    void SBStepAngChange(int position);
    void StepClick(QPushButton* pressed, float step, int barPosition);
    void SBRevArmChange(int position);
    void CenterClick();
    void NormClick(float sign);

    // View block.
    void SBPanChange(int position, bool vertical);
    void SBZoomChange(int position);
    void NormVHZClick();
    void Preset0Click();
    void PresetClick(int k);

    // Reference points, pivot data, lines.
    void RefPointsClick();
    void SetPivotDataClick();
    void SBRefChange(int bar, int position);  // 0 Ref1Vert, 1 Ref1Horz, 2 Ref2Vert, 3 Ref2Horz
    void RefPtZeroClick(int point);
    void DrawLines1Click();
    void FormMouseDown(Qt::MouseButton button, int x, int y);

    // Dynamic variables and undo.
    void SBDynVarChange(int k, int position);
    void SBDynVarScrollEnded(int k);
    void UnDoDnClick();

    // SetUp menu.
    void LargeFontClick();
    void SetScreenDataClick();
    void SetPanZoomClick();
    void ResetAllClick();

    // Files and windows.
    void OpenCommand(FileCommand command);
    void OpenWindow(QDialog* dialog);
    // Asks to save changed dimensions before they would be lost; false: the user cancelled.
    bool SaveChangesFirst();
    bool SaveAs();
    void MarkSaved();

    // The workshop outputs and the comparison gear (main_form_workshop.cpp).
    void BuildSheetClick();
    void ExportDxfClick();
    void CompareWithClick();
    void CompareOffClick();

    // The frame buffer follows the drawing area; the tool bar spans it.
    void FollowPictureSize();
    // Resting while stopped: nothing is drawn until something happens.
    void TimerTick();
    bool Quiet() const;
    void Wake();
    // Any input anywhere in the program may change what the picture shows: it wakes the timer.
    void WakeOnInput();
    void ShowCaptions(const WindowCaptions& captions);

    Model& m_;
    AppWindows windows_;
    SoundPlayer sound_;
    QImage buffer_;
    std::mt19937 rng_;
    QTimer* timer1_ = nullptr;
    PictureWidget* picture_ = nullptr;
    std::unique_ptr<MainMenus> menus_;
    QAction* Error_ = nullptr;  // the error indicator on the menu bar, set every frame
    DialogPlacer placer_;
    QString lastFolder_;     // of the file dialogs, during this run
    std::string savedText_;  // the dimensions as last opened or saved
    int frameInterval_ = 0;  // the timer's interval while the picture moves
    int quietAfterMs_ = 1500;
    bool fitOnShow_ = false;
    QElapsedTimer lastChange_;
    qint64 captionSecond_ = -1;

    MainWidgets ui_;

    JogMemory panVertMem_, panHorzMem_, zoomMem_;
    std::array<JogMemory, 4> refMem_{};
    bool stepBarSeen_ = false;

    // The switches whose menu captions mirror them (the rest live in the model).
    bool running_ = true;
    bool largeFont_ = false;
    PanZoomItem panZoom_ = PanZoomItem::BarsHidden;
};

}  // namespace mv
