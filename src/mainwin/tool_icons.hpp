// Tool-bar pictures, painted at run time.
#pragma once

#include <QIcon>

class QPainter;

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
    DesignAssistant,
    Fit,
};

QIcon MakeToolIcon(ToolIcon icon);
// A tool-bar picture painted by `paint` (the diagram kinds bring their own).
QIcon PaintedToolIcon(void (*paint)(QPainter&));
// The picture of the error indicator in the menu bar.
QIcon ErrorIcon();

}  // namespace mv
