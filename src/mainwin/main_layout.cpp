#include "mainwin/main_layout.hpp"

#include <QFrame>
#include <QPushButton>
#include <QScrollBar>
#include <array>

#include "mainwin/look.hpp"

namespace mv {
namespace {

using K = ControlKind;

ControlSpec Bar(const char* name, QRect place, int min, int max, int small, int large,
                const char* hint, int value = 0, bool visible = true) {
    ControlSpec c{K::Bar, name, place};
    c.min = min;
    c.max = max;
    c.small = small;
    c.large = large;
    c.hint = hint;
    c.value = value;
    c.visible = visible;
    return c;
}

ControlSpec Button(const char* name, QRect place, const char* caption, const char* hint,
                   bool enabled = true, bool visible = true) {
    ControlSpec c{K::Button, name, place};
    c.caption = caption;
    c.hint = hint;
    c.enabled = enabled;
    c.visible = visible;
    return c;
}

ControlSpec Panel(const char* name, QRect place, bool visible = true) {
    ControlSpec c{K::Panel, name, place};
    c.visible = visible;
    return c;
}

const std::array kLayout = {
    // Drive block. The reverse-arm bar's range follows "Rev Arm to Cent Max" at start.
    Bar("SBRevArm", {336, 26, 121, 12}, 0, 0, 1, 20, "Set Reverse Arm Between Max & Min"),
    Bar("SBDrvAng", {336, 40, 121, 12}, -4000, 40000, 1000, 4500,
        "Set Driver Angle From 0 to 360 Deg", 1),
    Bar("SBStepAng", {336, 54, 121, 12}, 0, 14613, 920, 2760,
        "Set Driver Step Angle to Predefined Values", kStepBarFor10),
    Button("Run", {277, 39, 36, 14}, "Stop", "Start / Stop Driver Rotation"),
    Button("Center", {280, 25, 27, 14}, "Cen", "Set Reverse Arm to Mid Gear", false),
    Button("Rev", {252, 25, 28, 14}, "Rev", "Set Reverse Arm to Normal Reverse"),
    Button("Fwd", {307, 25, 28, 14}, "Fwd", "Set Reverse Arm to Normal Forward"),
    Button("Deg180", {252, 39, 25, 14}, "180", "Set Driver Angle to 180 Deg"),
    Button("Deg00", {313, 39, 22, 14}, "0.0", "Set Driver to 0 Deg"),
    Button("Step1", {252, 53, 25, 14}, "1.0", "Set Driver Step Angle to 1 Deg"),
    Button("Step10", {277, 53, 29, 14}, "10.0", "Set Driver Step Angle to 10 Deg", false),
    Button("Step45", {306, 53, 29, 14}, "45.0", "Set Driver Step Angle to 45 Deg"),

    // View block.
    Bar("SBPanVert", {76, 26, 121, 12}, -500, 500, 1, 10, "Pan Vertical"),
    Bar("SBPanHorz", {76, 40, 121, 12}, -500, 500, 1, 10, "Pan Horizontal"),
    Bar("SBZoom", {76, 54, 121, 12}, -200, 200, 1, 10, "Zoom In / Out"),
    Button("NormVHZ", {33, 39, 42, 14}, "Norm", "Return Pan & Zoom to Normal", false),
    Button("Preset0", {19, 39, 14, 14}, "P", "Select First to Change Presets"),
    Button("Preset1", {5, 25, 14, 14}, "1", "Pan & Zoom to Preset 1"),
    Button("Preset2", {19, 25, 14, 14}, "2", "Pan & Zoom to Preset 2"),
    Button("Preset3", {33, 25, 14, 14}, "3", "Pan & Zoom to Preset 3"),
    Button("Preset4", {47, 25, 14, 14}, "4", "Pan & Zoom to Preset 4"),
    Button("Preset5", {61, 25, 14, 14}, "5", "Pan & Zoom to Preset 5"),
    Button("Preset6", {5, 39, 14, 14}, "6", "Pan & Zoom to Preset 6"),
    Button("RefPt1", {5, 53, 35, 14}, "RP1", "Pan to Ref Point 1", false),
    Button("RefPt2", {40, 53, 35, 14}, "RP2", "Pan to Ref Point 2", false),

    // Reference points, hidden at start.
    Bar("SBRef1Vert", {20, 72, 121, 10}, -5000, 5000, 1, 25, "Change Ref Point 1 Vert", 0, false),
    Bar("SBRef1Horz", {20, 84, 121, 10}, -10000, 10000, 1, 25, "Change Ref Point 1 Horz", 0, false),
    Bar("SBRef2Vert", {20, 96, 121, 10}, -5000, 5000, 1, 25, "Change Ref Point 2 Vert", 0, false),
    Bar("SBRef2Horz", {20, 108, 121, 10}, -10000, 10000, 1, 25, "Change Ref Point 2 Horz", 0,
        false),
    Button("RefPt1Zero", {5, 72, 14, 23}, "0", "Zero Reference Point 1", true, false),
    Button("RefPt2Zero", {5, 95, 14, 23}, "0", "Zero Reference Point 2", true, false),
    Button("DataTableBut", {2, 214, 60, 15}, "DataTable", nullptr, true, false),

    // Dynamic variables and undo, hidden at start.
    Bar("SBDynVar1", {253, 72, 121, 10}, -200, 200, 1, 10, "Change Last Variable Clicked", 0,
        false),
    Bar("SBDynVar2", {253, 84, 121, 10}, -200, 200, 1, 10, "Change Next to Last Variable Clicked",
        0, false),
    Bar("SBDynVar3", {253, 96, 121, 10}, -200, 200, 1, 10, "Change 2nd to Last Variable Clicked", 0,
        false),
    Bar("SBDynVar4", {253, 108, 121, 10}, -200, 200, 1, 10, "Change 3rd to Last Variable Clicked",
        0, false),
    Button("UnDoDn", {280, 127, 40, 16}, "UnDo", nullptr, false, false),

    // Thin raised bars framing the control groups.
    Panel("Panel1", {2, 68, 245, 2}),             // under the view block
    Panel("Panel2", {249, 24, 2, 44}),            // left of the drive block
    Panel("Panel3", {249, 68, 210, 2}),           // under the drive block
    Panel("Panel4", {457, 24, 2, 44}),            // right of the drive block, clear of texts
    Panel("Panel5", {2, 120, 140, 2}, false),     // under the reference-point bars
    Panel("Panel6", {141, 70, 2, 50}, false),     // right of the ref-point bars, clear of texts
    Panel("Panel7", {251, 120, 124, 2}, false),   // under the dynamic-variable bars
    Panel("Panel8", {250, 70, 2, 50}, false),     // left of the dynamic-variable bars
    Panel("Panel9", {375, 70, 2, 50}),            // right of the dynamic-variable bars
    Panel("Panel10", {543, 24, 2, 110}),          // left of the live values
    Panel("Panel11", {142, 120, 100, 2}, false),  // under the reference-point values
    Panel("Panel12", {0, 24, kClientWidth, 1}),   // under the tool bar
};

}  // namespace

std::span<const ControlSpec> MainWindowLayout() {
    return kLayout;
}

MainWidgets BuildMainWidgets(QWidget* picture) {
    const QFont font = ControlFont();
    const QString buttonStyle = ControlButtonStyle();
    for (const ControlSpec& c : MainWindowLayout()) {
        QWidget* w = nullptr;
        switch (c.kind) {
            case ControlKind::Bar: {
                auto* b = new QScrollBar(Qt::Horizontal, picture);
                b->setGeometry(c.place);
                b->setRange(c.min, c.max);
                b->setSingleStep(c.small);
                b->setPageStep(c.large);
                b->setFocusPolicy(Qt::StrongFocus);
                // Scroll bars invert key steps for the vertical convention; Right must step up.
                b->setInvertedControls(false);
                b->setValue(c.value);
                w = b;
                break;
            }
            case ControlKind::Button: {
                auto* b = new QPushButton(QString::fromLatin1(c.caption), picture);
                b->setGeometry(c.place);
                b->setFont(font);
                b->setStyleSheet(buttonStyle);
                b->setFocusPolicy(Qt::TabFocus);
                w = b;
                break;
            }
            case ControlKind::Panel: {
                auto* f = new QFrame(picture);
                f->setFrameStyle(QFrame::Panel | QFrame::Raised);
                f->setLineWidth(1);
                f->setGeometry(c.place);
                f->setAttribute(Qt::WA_TransparentForMouseEvents);
                w = f;
                break;
            }
        }
        w->setObjectName(QString::fromLatin1(c.name));
        if (c.hint) w->setToolTip(QString::fromLatin1(c.hint));
        if (!c.enabled) w->setEnabled(false);
        if (!c.visible) w->hide();
    }

    auto find = [picture]<class T>(T*& out, const QString& name) {
        out = picture->findChild<T*>(name, Qt::FindDirectChildrenOnly);
    };
    auto named = [](const char* name) { return QString::fromLatin1(name); };
    MainWidgets u;
    find(u.SBRevArm, named("SBRevArm"));
    find(u.SBDrvAng, named("SBDrvAng"));
    find(u.SBStepAng, named("SBStepAng"));
    find(u.Run, named("Run"));
    find(u.Center, named("Center"));
    find(u.Rev, named("Rev"));
    find(u.Fwd, named("Fwd"));
    find(u.Deg180, named("Deg180"));
    find(u.Deg00, named("Deg00"));
    find(u.Step1, named("Step1"));
    find(u.Step10, named("Step10"));
    find(u.Step45, named("Step45"));
    find(u.SBPanVert, named("SBPanVert"));
    find(u.SBPanHorz, named("SBPanHorz"));
    find(u.SBZoom, named("SBZoom"));
    find(u.NormVHZ, named("NormVHZ"));
    for (int k = 0; k <= 6; ++k) find(u.Preset[k], QStringLiteral("Preset%1").arg(k));
    find(u.RefPt1, named("RefPt1"));
    find(u.RefPt2, named("RefPt2"));
    const char* const refBars[] = {"SBRef1Vert", "SBRef1Horz", "SBRef2Vert", "SBRef2Horz"};
    for (int b = 0; b < 4; ++b) find(u.SBRef[b], named(refBars[b]));
    find(u.RefPt1Zero, named("RefPt1Zero"));
    find(u.RefPt2Zero, named("RefPt2Zero"));
    find(u.DataTableBut, named("DataTableBut"));
    for (int k = 1; k <= 4; ++k) find(u.SBDynVar[k], QStringLiteral("SBDynVar%1").arg(k));
    find(u.UnDoDn, named("UnDoDn"));
    for (int k = 1; k <= 12; ++k) find(u.Panel[k], QStringLiteral("Panel%1").arg(k));
    return u;
}

bool InPicture(int x, int y) {
    // Below the control rows, or right of the reference-point block below the drive block.
    return y > 120 || (y >= 68 && x > 247);
}

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

}  // namespace mv
