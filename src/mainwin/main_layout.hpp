// Where the main window's controls float over the picture, as data: every scroll bar, button
// and framing panel with its place, caption, hint, range and state at start. The window builds
// itself from this table; the arithmetic that goes with the layout is here too, apart from any
// widget.
#pragma once

#include <QRect>
#include <array>
#include <span>

class QFrame;
class QPushButton;
class QScrollBar;
class QWidget;

namespace mv {

enum class ControlKind { Bar, Button, Panel };

struct ControlSpec {
    ControlKind kind;
    const char* name;               // object name, as designed
    QRect place;                    // left, top, width, height in the picture's pixels
    const char* caption = nullptr;  // buttons
    const char* hint = nullptr;     // tool tip
    // Scroll bars: range, arrow and page steps, position at start.
    int min = 0;
    int max = 0;
    int small = 1;
    int large = 1;
    int value = 0;
    bool visible = true;
    bool enabled = true;
};

// Every control in the order it is created (later ones lie over earlier ones).
std::span<const ControlSpec> MainWindowLayout();

// The controls of the layout, by name, once built.
struct MainWidgets {
    QScrollBar *SBRevArm = nullptr, *SBDrvAng = nullptr, *SBStepAng = nullptr;
    QPushButton *Run = nullptr, *Center = nullptr, *Rev = nullptr, *Fwd = nullptr;
    QPushButton *Deg180 = nullptr, *Deg00 = nullptr;
    QPushButton *Step1 = nullptr, *Step10 = nullptr, *Step45 = nullptr;
    QScrollBar *SBPanVert = nullptr, *SBPanHorz = nullptr, *SBZoom = nullptr;
    QPushButton* NormVHZ = nullptr;
    std::array<QPushButton*, 7> Preset{};
    QPushButton *RefPt1 = nullptr, *RefPt2 = nullptr;
    std::array<QScrollBar*, 4> SBRef{};  // Ref1Vert, Ref1Horz, Ref2Vert, Ref2Horz
    QPushButton *RefPt1Zero = nullptr, *RefPt2Zero = nullptr, *DataTableBut = nullptr;
    std::array<QScrollBar*, 5> SBDynVar{};  // 1..4 used
    QPushButton* UnDoDn = nullptr;
    std::array<QFrame*, 13> Panel{};  // 1..12 used
};

// Creates every control of the layout on `picture`, in the layout's look.
MainWidgets BuildMainWidgets(QWidget* picture);

// The picture's size in the window: the client area.
inline constexpr int kClientWidth = 632;
inline constexpr int kClientHeight = 380;

// Whether a mouse press at client pixel (x, y) is in the picture rather than among the controls
// (the reference points and picking act only there).
bool InPicture(int x, int y);

// The step angle chosen by a position of the step bar, and the driver bar's steps that go with it.
struct StepChoice {
    float step;
    int smallChange;
    int largeChange;
};
StepChoice StepForPosition(int position);

// Positions of the step bar that the step buttons set: 1, 10 and 45 degrees.
inline constexpr int kStepBarFor1 = 8000;
inline constexpr int kStepBarFor10 = 12000;
inline constexpr int kStepBarFor45 = 14613;

}  // namespace mv
