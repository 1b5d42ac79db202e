// The main window's menu bar and tool bar: which items there are, in which order, with which
// captions, hints and pictures, and what each asks the window to do. The toggle items' captions
// mirror the state they switch.
#pragma once

#include <QHash>
#include <QString>
#include <functional>

#include "diagrams/diagram_kinds.hpp"
#include "mainwin/app_windows.hpp"
#include "model/model.hpp"

class QAction;
class QMainWindow;
class QToolBar;
class QWidget;

namespace mv {

// What a menu item or tool button asks of the main window.
enum class MenuCommand {
    OpenDimensions,
    OpenDosDimensions,
    SaveAsDimensions,
    Exit,
    OpenWindow,  // opens MenuRequest::window
    ShowWindow,  // shows MenuRequest::window without blocking the main window
    OpenGraph,   // opens the window of MenuRequest::kind
    LargeFont,
    FindRevArmCent,
    SetSteam,
    SetBeepOnError,
    SetLineWidth,
    SetScreenData,
    SetPanZoom,
    ResetAll,
    RefPoints,
    DrawLines,
    PivotData,
    DynamicVariables,
    SetUnDo,
    Fit,        // the whole mechanism into the picture
    ScaleGear,  // every length times a factor, one undo step
    // The workshop outputs and the comparison gear, after the classic File items.
    BuildSheet,
    ExportDxf,
    CompareWith,
    CompareOff,
};

struct MenuRequest {
    MenuCommand command;
    QDialog* AppWindows::*window = nullptr;
    DiagramKind kind = DiagramKind::Sine;
};

// The state of the SetP&anZoom item: the pan and zoom bars it showed or hid, or given back by
// turning the screen data on (its caption then reads "Set&PanZoom On").
enum class PanZoomItem { BarsHidden, BarsShown, Restored };

// What the toggle items' captions show.
struct ToggleCaptions {
    bool steam = false;
    bool errorBeep = true;
    int lineWidth = 1;
    bool screenData = true;
    bool largeFont = false;
    PanZoomItem panZoom = PanZoomItem::BarsHidden;
};

class MainMenus {
public:
    // Fills the window's menu bar and a tool bar on `toolBarParent`; every item calls `run`.
    MainMenus(QMainWindow& window, QWidget* toolBarParent,
              std::function<void(const MenuRequest&)> run);

    // A menu item or tool button by its object name; nullptr when there is none.
    QAction* Action(const char* name) const;
    QToolBar* ToolBar() const { return toolBar_; }

    void ShowToggles(const ToggleCaptions& state);
    // "CompareOff" is there to press only while a comparison gear is loaded.
    void ShowComparison(bool loaded);

private:
    QAction* Add(QWidget* menu, const char* name, const char* caption, const MenuRequest& r);

    QMainWindow& window_;
    QToolBar* toolBar_ = nullptr;
    std::function<void(const MenuRequest&)> run_;
    QHash<QString, QAction*> actions_;
};

}  // namespace mv
