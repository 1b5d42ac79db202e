#include "mainwin/main_menus.hpp"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "mainwin/look.hpp"
#include "mainwin/main_layout.hpp"
#include "mainwin/tool_icons.hpp"

namespace mv {
namespace {

using C = MenuCommand;
using W = QDialog* AppWindows::*;

struct Item {
    const char* name;
    const char* caption;
    MenuRequest request;
};

struct Menu {
    const char* name;
    const char* caption;
    std::initializer_list<Item> items;
};

MenuRequest Do(C c) {
    return {c};
}
MenuRequest Open(W w) {
    return {C::OpenWindow, w};
}
MenuRequest Show(W w) {
    return {C::ShowWindow, w};
}

struct Tool {
    const char* name;  // nullptr: a separator
    ToolIcon icon;
    const char* hint;
    MenuRequest request;
};

}  // namespace

MainMenus::MainMenus(QMainWindow& window, QWidget* toolBarParent,
                     std::function<void(const MenuRequest&)> run)
    : window_(window), run_(std::move(run)) {
    QMenuBar* mb = window.menuBar();
    // The classic menu font is small; at the default size the items would not fit 632 pixels.
    mb->setFont(MenuFont());
    mb->setStyleSheet(QStringLiteral("QMenuBar::item { padding: 2px 3px; }"));

    auto menu = [&](const Menu& m) {
        QMenu* q = mb->addMenu(QString::fromLatin1(m.caption));
        q->setObjectName(QString::fromLatin1(m.name));
        for (const Item& i : m.items) Add(q, i.name, i.caption, i.request);
        return q;
    };
    auto barItem = [&](const Item& i) {
        mb->addAction(Add(nullptr, i.name, i.caption, i.request));
    };

    QMenu* file = menu({"File1",
                        "&File",
                        {{"OpenDimensions", "&OpenDimensions", Do(C::OpenDimensions)},
                         {"OpenDosDimensions", "Open&DosDimensions", Do(C::OpenDosDimensions)},
                         {"SaveAsDimensions", "Save&AsDimensions", Do(C::SaveAsDimensions)},
                         {"Exit1", "E&xit", Do(C::Exit)}}});
    // Beyond the classic set, so after its items.
    file->addSeparator();
    Add(file, "NewGear", "&NewGear\u2026", Open(&AppWindows::newGear));
    Add(file, "BuildSheet", "BuildSheet\u2026", Do(C::BuildSheet));
    Add(file, "ExportDXF", "ExportDXF\u2026", Do(C::ExportDxf));
    Add(file, "CompareWith", "CompareWith\u2026", Do(C::CompareWith));
    Add(file, "CompareOff", "CompareOff", Do(C::CompareOff));
    ShowComparison(false);
    menu({"SetUp",
          "&SetUp",
          {{"RevArmPos", "Set&RevArmPos", Open(&AppWindows::revPos)},
           {"DriverAng", "Set&DriverAng", Open(&AppWindows::drivAng)},
           {"StepAng1", "Set&StepAng", Open(&AppWindows::stpAng)},
           {"RefPoints1", "SetRef&Points", Open(&AppWindows::refPnts)},
           {"LargeFont", "", Do(C::LargeFont)},
           {"FindRevArmCent", "&CalcCentRevArm", Do(C::FindRevArmCent)},
           {"SetSteam", "", Do(C::SetSteam)},
           {"SetBeepOnError", "", Do(C::SetBeepOnError)},
           {"SetLineWidth", "", Do(C::SetLineWidth)},
           {"SetScreenData", "", Do(C::SetScreenData)},
           {"SetPanZoom", "", Do(C::SetPanZoom)},
           {"FitView", "F&it", Do(C::Fit)}}});
    Action("SetPanZoom")->setEnabled(false);
    menu({"Edit1",
          "&EditDimen",
          {{"FrameDim", "&FrameDimensions", Open(&AppWindows::frameDi)},
           {"CylDim", "&CylinderDimensions", Open(&AppWindows::cylDimen)},
           {"SetGraphicZoom", "Set&GraphicZoom", Open(&AppWindows::graphZoom)},
           {"ResetAll", "&ResetAllDimensions", Do(C::ResetAll)},
           // Beyond the classic set, so after its items.
           {"DesignAssistant", "&DesignAssistant", Open(&AppWindows::designAssistant)},
           {"Sensitivity", "&Sensitivity", Open(&AppWindows::sensitivity)},
           {"ScaleGear", "Sca&leGear\u2026", Do(C::ScaleGear)}}});
    barItem({"RefPoints", "&ReferPoints", Do(C::RefPoints)});
    barItem({"DrawLines1", "&DrawLinesCircles", Do(C::DrawLines)});
    Action("DrawLines1")->setEnabled(false);
    barItem({"SetPivotData", "Pi&votData", Do(C::PivotData)});
    barItem({"DynamicVariables", "D&ynamicVari", Do(C::DynamicVariables)});
    barItem({"SetUnDo", "&UnDo", Do(C::SetUnDo)});
    QMenu* graphs = menu({"View1", "Draw&Graphs", {}});
    for (const DiagramKindInfo& k : DiagramKinds())
        Add(graphs, k.menuName, k.menuCaption, MenuRequest{C::OpenGraph, nullptr, k.kind});
    menu({"Help1",
          "&Help",
          {{"Instructions", "&Instructions", Open(&AppWindows::inst)},
           {"SpecInstr", "Instructions&Special", Open(&AppWindows::mvoSpInst)},
           {"UserGuide", "&UserGuide", Show(&AppWindows::guide)},
           {"About1", "&About", Open(&AppWindows::aboutBox)}}});

    // The error indicator: a picture on the menu bar, shown while it blinks.
    auto* error = new QAction(ErrorIcon(), QString(), &window);
    error->setObjectName(QStringLiteral("Error"));
    error->setVisible(false);
    mb->addAction(error);
    actions_.insert(error->objectName(), error);

    toolBar_ = new QToolBar(QStringLiteral("ToolBar1"), toolBarParent);
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setGeometry(0, 0, kClientWidth, 24);
    toolBar_->setIconSize(QSize(20, 16));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setStyleSheet(
        QStringLiteral("QToolBar { spacing: 0px; padding: 0px; border: none; background: #c0c0c0; }"
                       // Narrower than the classic 30 pixels, so that the buttons beyond the
                       // classic set still fit the bar of the smallest window.
                       "QToolButton { min-width: 24px; max-width: 24px; padding: 0px; }"));
    auto tool = [this](const char* name, const QIcon& icon, const char* hint,
                       const MenuRequest& r) {
        auto* a = new QAction(icon, QString::fromLatin1(hint), &window_);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(QString::fromLatin1(hint));
        QObject::connect(a, &QAction::triggered, &window_, [this, r] { run_(r); });
        toolBar_->addAction(a);
        actions_.insert(a->objectName(), a);
    };
    const Tool tools[] = {
        {"ToolOpen", ToolIcon::Open, "Open File: Dimensional Data", Do(C::OpenDimensions)},
        {"ToolSave", ToolIcon::Save, "Save As: Dimensional Data", Do(C::SaveAsDimensions)},
        {nullptr, {}, nullptr, {}},
        {"ToolFrame", ToolIcon::Frame, "Change Frame Dimensions", Open(&AppWindows::frameDi)},
        {"ToolCylinder", ToolIcon::Cylinder, "Change Cylinder Dimensions",
         Open(&AppWindows::cylDimen)},
        {nullptr, {}, nullptr, {}},
        {"ToolDriverAng", ToolIcon::DriverAngle, "Set Driver Angle to Desired Position",
         Open(&AppWindows::drivAng)},
        {"ToolStepAng", ToolIcon::StepAngle, "Set Step Angle to Desired Amount",
         Open(&AppWindows::stpAng)},
        {"ToolRevArmPos", ToolIcon::RevArm, "Set Reverse Arm to Desired Position",
         Open(&AppWindows::revPos)},
        {nullptr, {}, nullptr, {}},
        {"ToolButton9", ToolIcon::MidGear, "Calculate Mid Gear Position if Necessary",
         Do(C::FindRevArmCent)},
        {nullptr, {}, nullptr, {}},
        {"ToolSteam", ToolIcon::Steam, "Turn On Steam Display and Sound", Do(C::SetSteam)},
        {nullptr, {}, nullptr, {}},
        {"ToolRefPoints", ToolIcon::RefPoints, "Turn On Reference Points", Do(C::RefPoints)},
        {"ToolDrawLines", ToolIcon::Lines, "Draw Lines and Circles", Do(C::DrawLines)},
        {"ToolPivotData", ToolIcon::PivotData, "Turn On Pivot Data", Do(C::PivotData)},
        {"ToolDynVars", ToolIcon::DynVars, "Turn On Dynamic Variables", Do(C::DynamicVariables)},
        {"ToolUnDo", ToolIcon::Undo, "Turn On UnDo", Do(C::SetUnDo)},
        {nullptr, {}, nullptr, {}},
        {"ToolFit", ToolIcon::Fit, "Fit the Whole Mechanism in the Window (Ctrl+0)", Do(C::Fit)},
        {nullptr, {}, nullptr, {}},
    };
    for (const Tool& t : tools) {
        if (t.name)
            tool(t.name, MakeToolIcon(t.icon), t.hint, t.request);
        else
            toolBar_->addSeparator();
    }
    for (const DiagramKindInfo& k : DiagramKinds())
        tool(k.toolName, PaintedToolIcon(k.paintIcon), k.toolHint,
             MenuRequest{C::OpenGraph, nullptr, k.kind});
    tool("ToolDesignAssistant", MakeToolIcon(ToolIcon::DesignAssistant),
         "Design Assistant: Tune Dimensions to Balance the Valve Events",
         Open(&AppWindows::designAssistant));
    Action("ToolDrawLines")->setEnabled(false);

    // The usual keys of a desktop program; Ctrl+Z and F5 act on the picture's own buttons.
    Action("OpenDimensions")->setShortcut(QKeySequence::Open);
    Action("SaveAsDimensions")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Action("FitView")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    Action("UserGuide")->setShortcut(QKeySequence::HelpContents);

    ShowToggles({});
}

QAction* MainMenus::Add(QWidget* menu, const char* name, const char* caption,
                        const MenuRequest& r) {
    auto* a = new QAction(QString::fromUtf8(caption), &window_);
    a->setObjectName(QString::fromLatin1(name));
    if (menu) menu->addAction(a);
    QObject::connect(a, &QAction::triggered, &window_, [this, r] { run_(r); });
    actions_.insert(a->objectName(), a);
    return a;
}

QAction* MainMenus::Action(const char* name) const {
    return actions_.value(QString::fromLatin1(name), nullptr);
}

void MainMenus::ShowComparison(bool loaded) {
    if (QAction* a = Action("CompareOff"); a && a->isEnabled() != loaded) a->setEnabled(loaded);
}

void MainMenus::ShowToggles(const ToggleCaptions& s) {
    auto show = [this](const char* name, const char* caption) {
        QAction* a = Action(name);
        const QString text = QString::fromLatin1(caption);
        if (a && a->text() != text) a->setText(text);
    };
    show("SetSteam", s.steam ? "SetS&teamDisp Off" : "SetS&teamDisp On");
    show("SetBeepOnError", s.errorBeep ? "Set&ErrorBeep Off" : "Set&ErrorBeep On");
    show("SetLineWidth", s.lineWidth == 2 ? "Set&LineWidth 1" : "Set&LineWidth 2");
    show("SetScreenData", s.screenData ? "SetScree&nData Off" : "SetScree&nData On");
    show("LargeFont", s.largeFont ? "SetSmall&Font" : "SetLarge&Font");
    switch (s.panZoom) {
        case PanZoomItem::BarsHidden: show("SetPanZoom", "SetP&anZoom On"); break;
        case PanZoomItem::BarsShown: show("SetPanZoom", "SetP&anZoom Off"); break;
        case PanZoomItem::Restored: show("SetPanZoom", "Set&PanZoom On"); break;
    }
}

}  // namespace mv
