// Tool-bar pictures, painted at run time.
#pragma once

#include <QIcon>

namespace mv {

enum class ToolIcon {
    Open,
    Save,
    Frame,
    Cylinder,
    DriverAngle,
    StepAngle,
    RevArm,
    MidGear,
    Steam,
    RefPoints,
    Lines,
    PivotData,
    DynVars,
    Undo,
    Sine,
    Oval,
    SteamDiagram,
    PortEvents,
    ValveEvents,
    DesignAssistant,
};

QIcon MakeToolIcon(ToolIcon icon);
// The picture of the error indicator in the menu bar.
QIcon ErrorIcon();

}  // namespace mv
