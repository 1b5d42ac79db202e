// The one model object of the program: every dimension, the run state, the pivot table, the
// view and every switch that more than one window reads. main() owns it and passes it by
// reference to every window; nothing here depends on Qt.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mv {

using DimensionId = std::uint32_t;  // 1..27 frame, 101..122 cylinder, 0 = none

constexpr int kPivotCount = 27;
constexpr int kMappedPivots = 21;  // pivots 0..20 get screen coordinates
constexpr int kLineEntries = 20;
constexpr int kUndoEntries = 21;  // 0 is the work entry, 1 the newest change
constexpr int kUndoDepth = 20;
constexpr int kDynSlots = 5;  // 0 is the slot being committed, 1..4 the last four
constexpr int kRevArmPositions = 10;

// Text of an empty dynamic-variable slot: 13 blanks and two question marks.
inline constexpr const char* kEmptySlotName = "             ??";

// The 27 frame dimensions. Ids 10, 11, 13, 14, 23 and 24 are pivot coordinates and live in the
// pivot table, not here.
struct FrameDimensions {
    float driverDia = 0;        // 1
    float stroke = 0;           // 2
    float mainRod = 0;          // 3
    float eccCircleDia = 0;     // 4
    float eccCrankLen = 0;      // 5
    float eccRodLeft = 0;       // 6
    float eccRodRight = 0;      // 7
    float radiusHanger = 0;     // 8
    float guideLinkRadius = 0;  // 9
    float transYoke = 0;        // 12
    float bcVert = 0;           // 15
    float bcBackset = 0;        // 16
    float bcHorz = 0;           // 17
    float valveConRod = 0;      // 18
    float auxVert = 0;          // 19
    float auxHorz = 0;          // 20
    float revArmUpper = 0;      // 21
    float revArmLower = 0;      // 22
    float offsetAngle = 0;      // 25, degrees
    float revArmNorm = 0;       // 26
    float revArmMax = 0;        // 27
};

// The 22 cylinder dimensions in their storage order (101, 103, 104, spare, 105 .. 111, 113, 115,
// 116, 117, 118, 120, 122, 112, 114, 119, 121). 102 is the y of pivot 3.
struct CylinderDimensions {
    float cylCtr = 0;          // 101
    float boreDia = 0;         // 103
    float boreLen = 0;         // 104
    std::uint32_t spare = 0;   // unused word, kept bit for bit
    float cylPortWidth = 0;    // 105
    float pistonRod = 0;       // 106
    float pistonWidth = 0;     // 107
    float valveSurface = 0;    // 108
    float valveStemCL = 0;     // 109
    float exhaustPort = 0;     // 110
    float bridgeRear = 0;      // 111
    float steamPortRear = 0;   // 113
    float chamberHeight = 0;   // 115
    float chamberLength = 0;   // 116
    float valveHeight = 0;     // 117
    float valveRearHalf = 0;   // 118
    float exhCavRear = 0;      // 120
    float valveStem = 0;       // 122
    float bridgeFront = 0;     // 112
    float steamPortFront = 0;  // 114
    float valveFrontHalf = 0;  // 119
    float exhCavFront = 0;     // 121
};

struct Pivot {
    float x = 0;  // world horizontal
    float y = 0;  // world vertical
    int sx = 0;   // screen, filled by the view mapping (pivots 0..20)
    int sy = 0;
};

// The constructions of the solver, numbered in the order they are made. A clamp names the
// construction that could not be made as drawn.
enum class Construction : std::uint8_t {
    None = 0,
    Crosshead = 3,          // main rod from the crank pin to the cylinder line
    EccentricCrank = 4,     // eccentric crank pin on its circle
    ReverseArmTop = 5,      // reverse arm top end above its pivot
    ReverseArmPin = 6,      // pin on the reverse arm
    GuideLinkEnd = 8,       // auxiliary reach rod meets the guide link radius
    ReachRodCorner = 9,     // corner of the L-shaped auxiliary reach rod
    RadiusHangerPin = 10,   // radius hanger meets the eccentric rod
    EccentricRodEnd = 11,   // eccentric rod extended to its right end
    BellCrankHorzPin = 12,  // transmission yoke meets the bell crank horizontal arm
    BellCrankVertPin = 13,  // bell crank vertical arm
    ValveJoint = 14,        // valve connecting rod to the valve-stem line
    RadiusHangerAngle = 15,
    Piston = 16,   // piston position from the stroke and main rod
    MidGear = 17,  // reverse arm at the guide link's centre position
};

enum class RunDirection { Fwd, Rev };

struct GearState {
    float driverAngle = 0;
    float currentStep = 10;  // added per tick; 0 while stopped
    float chosenStep = 10;
    RunDirection direction = RunDirection::Fwd;
    float revArmSetting = 0;
    bool geometryError = false;
    bool errorBeep = true;
    float scrollIncrement = 0.001f;
    float radiusHangerAngle = 0;  // radians from vertical
    // The construction that clamped first in the latest solve; None while the geometry is sound
    // (and always with the error beep off).
    Construction clampedConstruction = Construction::None;
};

// Valve-event thresholds and laps: dimensions only, computed at the end of SolveLinkage.
struct ValveThresholds {
    float frontSteamEdge = 0;  // T_fs
    float frontSteamFull = 0;
    float frontExhaustEdge = 0;  // T_fx
    float rearSteamEdge = 0;     // T_rs
    float rearSteamFull = 0;
    float rearExhaustEdge = 0;  // T_rx
    float rearSteamJointEdge = 0;
    float frontSteamJointEdge = 0;
    float frontSteamLap = 0;
    float rearSteamLap = 0;
    float frontExhaustLap = 0;
    float rearExhaustLap = 0;
};

// Piston and valve of the current solution.
struct ValveEvents {
    float displacement = 0;  // valve centre relative to the cylinder centre
    float piston = 0;        // 0 at front dead centre .. 640 at back dead centre
    float frontSteam = 0;
    float frontExhaust = 0;
    float rearSteam = 0;
    float rearExhaust = 0;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

struct ViewTransform {
    float scale = 28;
    float ox = 115;
    float oy = 270;
};

struct DynSlot {
    DimensionId id = 0;
    float value = 0;
    std::string name = kEmptySlotName;
};

// One dimension of a step that changes several at once.
struct DimensionChange {
    DimensionId id = 0;
    float oldValue = 0;
    float newValue = 0;
};

struct UndoEntry {
    std::int32_t id = 0;
    float oldValue = 0;
    float newValue = 0;
    std::string name;
    // A step that changed several dimensions at once (id kGroupUndoId) holds every one of them,
    // and the factor by which it scaled the picture's world lengths (1 when it did not).
    std::vector<DimensionChange> group = {};
    float worldScale = 1;
};
// The id of an undo entry that holds a group of changes; no dimension has it.
inline constexpr std::int32_t kGroupUndoId = 1000;

// Remembered positions of one jog scroll bar.
struct JogMemory {
    int last = 0;      // LastBarPosition
    int previous = 0;  // PreviousBarPosition
};

// One construction line or circle drawn over the mechanism. Selectors are -1 while unset.
struct LineEntry {
    int kind = -1;       // -1 unused, 0 line, 1 circle
    int colour = -1;     // -1 none, 0 Black, 1 Red, 2 Green, 3 Yellow, 4 Blue, 5 Gray
    int reference = -1;  // -1 none, 0 "0 , 0", 1 "Pivot1", 2 "Piv1/0,0", 3 "Piv1/P2"
    int p = 0;           // pivot numbers
    int q = 0;
    float h1 = 0, v1 = 0, h2 = 0, v2 = 0;  // world points / offsets; circle radius is h2
};

struct LineOverlay {
    std::array<LineEntry, kLineEntries> entries{};
    int count = 1;          // count of lines and circles
    int selected = 1;       // selected line, 1..20
    bool promptOn = false;  // pick prompts over the picture
    // The file's lines-and-circles records as last read (52 records x 5 words), so words the
    // program does not interpret are written back with the same bits.
    std::array<std::uint32_t, std::size_t{52} * 5> rawWords{};
};

// Per cylinder end state of the steam display.
struct SteamEnd {
    char phase = ' ';
    std::uint32_t colour = 0;  // 0xRRGGBB
    float pressure = 20;
    int dots = 0;
    char exhaustArmed = '0';
    float pressureAtExhaust = 0;
};

struct SteamState {
    bool display = false;
    float prevFrontAdmission = 0;
    float prevRearAdmission = 0;
    float frontAccumulator = 20;
    float rearAccumulator = 20;
    SteamEnd front, rear;
    int errorFrameCounter = 0;
};

// Cut-off measurement of the on-screen data.
struct CutoffState {
    float prevPiston = 0;
    float prevFrontSteam = 0;
    float prevRearSteam = 0;
    std::string frontText;
    std::string rearText;
    int frontCountdown = 0;
    int rearCountdown = 0;
};

struct PickSlot {
    float pivot = 0;  // stored as a float, rounded when used
    bool assigned = false;
};

// Switches and values several windows share.
struct DisplaySwitches {
    bool screenData = true;
    bool referencePoints = false;
    bool pivotData = false;
    bool dynamicVariablesVisible = false;
    bool undoLineVisible = false;
    int lineWidth = 1;
    float textScaleX = 1;
    float textScaleY = 1;
    float dialogTextScaleX = 1;
    float dialogTextScaleY = 1;
};

// What the model tells the windows; they subscribe with AddListener.
enum class ModelEvent {
    UndoButtonsEnabled,  // undoEnabled changed
    RevArmBarLimits,     // revArmBarMin / revArmBarMax changed
    RevArmBarPosition,   // revArmBarPosition requested
    CutoffTextsCleared,
    DimensionsChanged,
    DataSetNameChanged,
    ComparisonChanged,  // a comparison gear was loaded or dropped
};

// Pivot numbers of the pivot table.
namespace pv {
inline constexpr int Origin = 0;
inline constexpr int Driver = 1;         // axle centre
inline constexpr int CrankPin = 2;       // main crank pin
inline constexpr int Crosshead = 3;      // main rod small end; y is dimension 102
inline constexpr int ValveJoint = 4;     // valve-stem joint; y = y3 + dimension 109
inline constexpr int BellVertPin = 5;    // bell crank vertical-arm pin
inline constexpr int BellPivot = 6;      // bell crank pivot (fixed, dimensions 13 and 14)
inline constexpr int BellPivot2 = 7;     // second copy of the bell crank pivot
inline constexpr int BellHorzPin = 8;    // bell crank horizontal-arm pin
inline constexpr int EccRodEnd = 9;      // eccentric rod right end
inline constexpr int HangerPin = 10;     // radius-hanger pin on the eccentric rod
inline constexpr int EccCrankPin = 11;   // eccentric crank pin
inline constexpr int GuideCentre = 12;   // guide link radius centre (fixed, dimensions 10, 11)
inline constexpr int GuideEnd = 13;      // guide link end, top pin of the radius hanger
inline constexpr int ReachCorner = 14;   // corner of the auxiliary reach rod
inline constexpr int RevArmPin = 15;     // reverse arm pin
inline constexpr int RevArmPivot = 16;   // reverse arm pivot (fixed, dimensions 23 and 24)
inline constexpr int RevArmPivot2 = 17;  // second copy of the reverse arm pivot
inline constexpr int RevArmTop = 18;     // reverse arm top end; x is the reverse-arm setting
inline constexpr int Ref1 = 19;          // user reference points
inline constexpr int Ref2 = 20;
}  // namespace pv

// The gear: dimensions, run state, pivot table and reverse-arm positions. This is all the solver
// and every analysis read; it holds no window state, so a copy can be solved on any thread.
struct Gear {
    FrameDimensions frame;
    CylinderDimensions cyl;
    GearState gear;
    std::array<Pivot, kPivotCount> pivots{};
    ValveThresholds thresholds;
    ValveEvents valve;
    std::array<float, kRevArmPositions> revArmPositions{};
    int revArmPositionCount = 0;
};

// A second gear loaded read-only to set beside the working one: the diagrams draw it under the
// working gear and the valve-event window lists it. Edits, undo and saving never touch it.
struct ComparisonGear {
    Gear gear;         // mid gear computed, reverse arm at mid gear
    std::string name;  // its data-set name, as the captions show it
};

// The defaults the reset commands copy into the gear.
struct DimensionDefaults {
    FrameDimensions frameDefaults;
    CylinderDimensions cylDefaults;
    float cylDefault102 = 0;
    // Defaults of the pivot-coordinate frame dimensions (10, 11, 13, 14, 23, 24).
    float defGuideCentreX = 0, defGuideCentreY = 0;
    float defBellPivotX = 0, defBellPivotY = 0;
    float defRevPivotX = 0, defRevPivotY = 0;
};

// Dynamic-variable slots and the undo stack.
struct EditState {
    std::array<DynSlot, kDynSlots> dynSlots{};
    int currentSlot = 1;
    std::array<JogMemory, kDynSlots> dynBarMemory{};   // shared by the main and diagram bars
    std::array<float, kDynSlots> dynBarValueBefore{};  // slot value when its bar got the focus
    std::array<UndoEntry, kUndoEntries> undo{};
    int undoCount = 0;
    bool undoEnabled = false;
    bool pendingEdit = false;
};

// What only the windows need: view, captions, blink counters, picks, overlays, bar positions.
struct WindowState {
    ViewTransform view;          // current
    ViewTransform homeView;      // Norm returns here
    ViewTransform previousView;  // saved by Norm and the dimension graphic
    ViewTransform zoomAnchor;
    std::array<ViewTransform, 7> presets{};
    // Screen outlines of cylinder, piston and valve, mapped every tick with the pivots.
    std::array<ScreenPoint, 24> outlineC{};
    std::array<ScreenPoint, 5> outlineP{};
    std::array<ScreenPoint, 9> outlineV{};

    bool diagramPositionsSet = false;
    float diagramVerticalScale = 1.5f;
    std::uint32_t diagramSweepWord = 0;  // stored twice in the dimension file
    bool diagramRedrawPending = false;
    std::string diagramCaption;
    std::string undoLineText;
    char portSelector = 'F';

    std::string dataSetName = "Nominal";
    std::optional<ComparisonGear> comparison;

    int dimensionGraphicId = 0;
    float graphicZoomFactor = 7.5f;
    int graphicFrameCounter = 0;
    int graphicBlinkCounter = 0;

    LineOverlay lines;
    SteamState steam;
    CutoffState cutoff;
    std::array<PickSlot, 7> picks{};  // 1..6 used
    int pickingSlot = 0;
    bool pickArmed = false;
    bool leftButtonSeen = false;

    DisplaySwitches display;

    // Reverse-arm scroll bar state the model asks the main window to show.
    int revArmBarMin = 0;
    int revArmBarMax = 0;
    int revArmBarPosition = 0;
};

// The one model of the program: the gear, its defaults, the edits and the window state.
struct Model : Gear, DimensionDefaults, EditState, WindowState {
    void AddListener(std::function<void(ModelEvent)> listener);
    void Notify(ModelEvent event);

private:
    std::vector<std::function<void(ModelEvent)>> listeners_;
};

// --- Part of the model's public operations ---------------------------------------------------

// Start-up order, run once when the main window is created.
void StartUp(Model& m);

void ResetModelState(Model& m);
void ResetView(Model& m);
void LoadFrameDefaults(Model& m);
void ApplyFrameDefaults(Model& m);
void LoadCylinderDefaults(Model& m);
void ApplyCylinderDefaults(Model& m);

// Sets the reverse-arm bar limits from "Rev Arm to Cent Max" and tells the windows.
void SetRevArmBarLimits(Model& m);
// Asks the main window to move its reverse-arm bar.
void RequestRevArmBarPosition(Model& m, int position);

void SetUndoEnabled(Model& m, bool enabled);
void ClearCutoffTexts(Model& m);

const char* DirectionText(RunDirection d);

}  // namespace mv
