// The main window: the picture with its floating controls, the menu bar and the animation loop.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <random>

#include "mainwin/app_windows.hpp"
#include "mainwin/draw_picture.hpp"
#include "mainwin/main_controls.hpp"
#include "mainwin/sound_player.hpp"
#include "model/model.hpp"

class QAction;
class QFrame;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolBar;

class QMimeData;
class QDragEnterEvent;
class QDropEvent;

namespace mv {

// The step angle chosen by a position of the step bar, and the driver bar's steps that go with it.
struct StepChoice {
    float step;
    int smallChange;
    int largeChange;
};
StepChoice StepForPosition(int position);

// Timer interval in ms for a frame rate; 0 for a rate of 0 or less (unpaced).
int TimerIntervalForRate(double fps);
// The primary screen's refresh rate, 60 when the platform does not know it.
double ScreenRefreshRate();

struct MainFormOptions {
    double fps = -1;  // frames per second; below 0 follows the screen, 0 runs unpaced
    bool startTimer = true;
};

enum class FileCommand { OpenDst, OpenMvo, SaveAs };

class PictureWidget;

class TMainForm : public QMainWindow, public MainControls {
    Q_OBJECT
public:
    explicit TMainForm(Model& m, MainFormOptions options = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

public:
    // The secondary windows, created after the main window.
    void SetAppWindows(const AppWindows& windows);
    const AppWindows& Windows() const { return windows_; }

    // What blocks on the user; tests replace these.
    std::function<void(QDialog*)> runModal;
    std::function<void(const QString&)> showMessage;
    std::function<QString(FileCommand)> chooseFile;
    std::function<void()> beep;

    // Opens a dimension file; a failure shows its message and leaves the working set alone.
    bool OpenFile(const QString& path);

    // A dropped .dst or .mvo file opens as the open command would; anything else is refused.
    static QString DroppedDimensionFile(const QMimeData* mime);

    void Timer1Timer();
    void ApplyPictureOutput(const PictureOutput& out);
    QTimer* Timer1() const { return timer1_; }
    int TimerInterval() const { return interval_; }
    const QImage& Buffer() const { return buffer_; }
    SoundPlayer& Sound() { return sound_; }

    // MainControls
    std::string RunCaption() const override;
    void SetRunCaption(const std::string& caption) override;
    void RunClick() override;
    void SetDriverAngleBar(int position) override;
    void SetDriverAngleBarEnabled(bool enabled) override;
    void SetDriverAngleBarSteps(int smallChange, int largeChange) override;
    void SetStepAngleBar(int position) override;
    void SetRefPointZeroEnabled(int point, bool enabled) override;
    void SetReferencePoints(bool on) override;
    void SetAnimationTimerEnabled(bool enabled) override;
    void SetDynamicVariableBarsVisible(bool visible) override;
    void Beep() override;

    // Drive block.
    void SBDrvAngChange(int position);
    void Deg00Click();
    void Deg180Click();
    void SBStepAngChange(int position);
    void Step1Click();
    void Step10Click();
    void Step45Click();
    void SBRevArmChange(int position);
    void CenterClick();
    void FwdClick();
    void RevClick();

    // View block.
    void SBPanVertChange(int position);
    void SBPanHorzChange(int position);
    void SBZoomChange(int position);
    void NormVHZClick();
    void Preset0Click();
    void PresetClick(int k);
    void RefPt1Click();
    void RefPt2Click();

    // Reference points, pivot data, lines.
    void RefPointsClick();
    void SetPivotDataClick();
    void SBRefChange(int bar, int position);  // 0 Ref1Vert, 1 Ref1Horz, 2 Ref2Vert, 3 Ref2Horz
    void RefPt1ZeroClick();
    void RefPt2ZeroClick();
    void DrawLines1Click();
    void DataTableButClick();
    void FormMouseDown(Qt::MouseButton button, int x, int y);

    // Dynamic variables and undo.
    void SBDynVarChange(int k, int position);
    void SBDynVarEnter(int k);
    void SBDynVarScrollEnded(int k);
    void UnDoDnClick();
    void DynamicVariablesClick();
    void SetUnDoClick();

    // SetUp menu toggles and commands.
    void SetLineWidthClick();
    void LargeFontClick();
    void SetScreenDataClick();
    void SetPanZoomClick();
    void SetSteamClick();
    void SetBeepOnErrorClick();
    void FindRevArmCentClick();
    void ResetAllClick();

    // File menu.
    void OpenDimensionsClick();
    void OpenDosDimensionsClick();
    void SaveAsDimensionsClick();
    void Exit1Click();

    // Windows.
    void OpenWindow(QDialog* dialog);
    void FourEventsClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void BuildControls();
    void BuildMenus();
    void BuildToolBar();
    void OnModelEvent(ModelEvent e);
    bool Running() const;
    void OpenCommand(FileCommand command);

    Model& m_;
    AppWindows windows_;
    SoundPlayer sound_;
    QImage buffer_;
    std::mt19937 rng_;
    QTimer* timer1_ = nullptr;
    int interval_ = 0;
    PictureWidget* picture_ = nullptr;
    QToolBar* toolBar1_ = nullptr;

    QScrollBar *SBRevArm_ = nullptr, *SBDrvAng_ = nullptr, *SBStepAng_ = nullptr;
    QPushButton *Run_ = nullptr, *Center_ = nullptr, *Rev_ = nullptr, *Fwd_ = nullptr;
    QPushButton *Deg180_ = nullptr, *Deg00_ = nullptr;
    QPushButton *Step1_ = nullptr, *Step10_ = nullptr, *Step45_ = nullptr;
    QScrollBar *SBPanVert_ = nullptr, *SBPanHorz_ = nullptr, *SBZoom_ = nullptr;
    QPushButton* NormVHZ_ = nullptr;
    std::array<QPushButton*, 7> Preset_{};
    QPushButton *RefPt1_ = nullptr, *RefPt2_ = nullptr;
    std::array<QScrollBar*, 4> SBRef_{};  // Ref1Vert, Ref1Horz, Ref2Vert, Ref2Horz
    QPushButton *RefPt1Zero_ = nullptr, *RefPt2Zero_ = nullptr, *DataTableBut_ = nullptr;
    std::array<QScrollBar*, 5> SBDynVar_{};  // 1..4 used
    QPushButton* UnDoDn_ = nullptr;
    std::array<QFrame*, 13> Panel_{};  // 1..12 used

    JogMemory panVertMem_, panHorzMem_, zoomMem_;
    std::array<JogMemory, 4> refMem_{};
    bool stepBarSeen_ = false;

    // Menu items and tool buttons that handlers change.
    QAction *DriverAng_ = nullptr, *FindRevArmCent_ = nullptr, *DynamicVariables_ = nullptr;
    QAction *RefPoints_ = nullptr, *SetUnDo_ = nullptr, *SetPivotData_ = nullptr;
    QAction *DrawLines1_ = nullptr, *DrawLinesTool_ = nullptr, *RefPoints1_ = nullptr;
    QAction *SetPanZoom_ = nullptr, *SetSteam_ = nullptr, *SetBeepOnError_ = nullptr;
    QAction *SetLineWidth_ = nullptr, *SetScreenData_ = nullptr, *LargeFont_ = nullptr;
    QAction* Error_ = nullptr;
};

}  // namespace mv
