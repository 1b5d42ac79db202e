// The handlers of the main window's floating controls: the drive block, the view block, the
// reference points and pivot picking under the mouse, and the dynamic-variable bars.
#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include "mainwin/main_form.hpp"
#include "model/edits.hpp"
#include "model/screen_math.hpp"
#include "model/view.hpp"

namespace mv {

using LD = long double;

// --- Drive block -------------------------------------------------------------------------

void TMainForm::RunClick() {
    SetRunning(!running_);
}

void TMainForm::SBDrvAngChange(int position) {
    m_.gear.driverAngle = static_cast<float>(static_cast<LD>(position) / 100);
    ui_.Deg180->setEnabled(true);
    ui_.Deg00->setEnabled(true);
}

void TMainForm::DegreeClick(float angle, int position, QPushButton* pressed, QPushButton* other) {
    m_.gear.driverAngle = angle;
    ui_.SBDrvAng->setValue(position);
    m_.gear.currentStep = 0;
    ui_.SBDrvAng->setEnabled(true);
    running_ = false;
    ui_.Run->setText(QStringLiteral("Run"));
    pressed->setEnabled(false);
    other->setEnabled(true);
}

void TMainForm::SBStepAngChange(int position) {
    if (!stepBarSeen_) {
        stepBarSeen_ = true;
    } else {
        const StepChoice c = StepForPosition(position);
        m_.gear.chosenStep = c.step;
        ui_.SBDrvAng->setSingleStep(c.smallChange);
        ui_.SBDrvAng->setPageStep(c.largeChange);
        if (Running()) m_.gear.currentStep = m_.gear.chosenStep;
    }
    ui_.Step10->setEnabled(m_.gear.chosenStep != 10.0f);
    ui_.Step45->setEnabled(m_.gear.chosenStep != 45.0f);
    ui_.Step1->setEnabled(m_.gear.chosenStep != 1.0f);
}

void TMainForm::StepClick(QPushButton* pressed, float step, int barPosition) {
    pressed->setEnabled(false);
    m_.gear.chosenStep = step;
    if (Running()) m_.gear.currentStep = m_.gear.chosenStep;
    ui_.SBStepAng->setValue(barPosition);
}

void TMainForm::SBRevArmChange(int position) {
    const LD mid = m_.revArmPositions[0];
    const LD norm = m_.frame.revArmNorm;
    m_.gear.revArmSetting = static_cast<float>(mid + static_cast<LD>(position) / 1000);
    m_.gear.direction =
        m_.gear.revArmSetting >= m_.revArmPositions[0] ? RunDirection::Fwd : RunDirection::Rev;
    ui_.Center->setEnabled(position != 0);
    ui_.Fwd->setEnabled(m_.gear.revArmSetting != static_cast<float>(mid + norm));
    ui_.Rev->setEnabled(m_.gear.revArmSetting != static_cast<float>(mid - norm));
    ClearCutoffTexts(m_);
}

void TMainForm::CenterClick() {
    ui_.SBRevArm->setValue(0);
    m_.gear.revArmSetting = m_.revArmPositions[0];
    ui_.Fwd->setEnabled(true);
    ui_.Rev->setEnabled(true);
    ui_.Center->setEnabled(false);
    ClearCutoffTexts(m_);
}

// Fwd (sign 1) and Rev (sign -1): the arm to mid gear +- "Rev Arm to Cent Norm".
void TMainForm::NormClick(float sign) {
    const bool forward = sign > 0;
    const LD norm = m_.frame.revArmNorm;
    m_.gear.revArmSetting =
        static_cast<float>(static_cast<LD>(m_.revArmPositions[0]) + (forward ? norm : -norm));
    // A Max of 0 gives an infinite or undefined ratio; the rounding saturates and the bar clamps.
    const int end = forward ? ui_.SBRevArm->maximum() : ui_.SBRevArm->minimum();
    ui_.SBRevArm->setValue(RoundToScreen(norm * end / static_cast<LD>(m_.frame.revArmMax)));
    (forward ? ui_.Fwd : ui_.Rev)->setEnabled(false);
    (forward ? ui_.Rev : ui_.Fwd)->setEnabled(true);
    ui_.Center->setEnabled(true);
    ClearCutoffTexts(m_);
}

// --- View block --------------------------------------------------------------------------

void TMainForm::SBPanChange(int position, bool vertical) {
    ui_.NormVHZ->setEnabled(true);
    const float d = JogIncrement(vertical ? panVertMem_ : panHorzMem_, position, 10.0f, 10);
    if (vertical)
        m_.view.oy -= d;
    else
        m_.view.ox += d;
    m_.zoomAnchor = m_.view;
    (vertical ? ui_.SBPanVert : ui_.SBPanHorz)->setValue(0);
}

void TMainForm::SBZoomChange(int position) {
    ui_.NormVHZ->setEnabled(true);
    m_.zoomAnchor = m_.view;
    const float d = JogIncrement(zoomMem_, position, 10.0f, 10);
    m_.view = ZoomedView(m_.zoomAnchor, d);
    ui_.SBZoom->setValue(0);
}

void TMainForm::NormVHZClick() {
    m_.previousView = m_.view;
    ui_.SBPanVert->setValue(0);
    m_.view.oy = m_.homeView.oy;
    ui_.SBPanHorz->setValue(0);
    m_.view.ox = m_.homeView.ox;
    ui_.SBZoom->setValue(0);
    m_.view.scale = m_.homeView.scale;
    ui_.NormVHZ->setEnabled(false);
    ui_.Preset[0]->setEnabled(true);
}

void TMainForm::Preset0Click() {
    m_.presets[0] = m_.view;
    ui_.Preset[0]->setEnabled(false);
    ui_.NormVHZ->setEnabled(true);
}

void TMainForm::PresetClick(int k) {
    if (k < 1 || k > 6) return;
    if (!ui_.Preset[0]->isEnabled()) m_.presets[k] = m_.presets[0];
    m_.view = m_.presets[k];
    ui_.NormVHZ->setEnabled(true);
    ui_.Preset[0]->setEnabled(true);
}

// --- Reference points, pivot data, lines --------------------------------------------------

void TMainForm::RefPointsClick() {
    const bool on = !m_.display.referencePoints;
    m_.display.referencePoints = on;
    if (!on) {
        m_.display.pivotData = false;
        ui_.DataTableBut->hide();
    }
    for (QScrollBar* b : ui_.SBRef) b->setVisible(on);
    ui_.RefPt1Zero->setVisible(on);
    ui_.RefPt2Zero->setVisible(on);
    for (int k : {5, 6, 11}) ui_.Panel[k]->setVisible(on);
    ui_.RefPt1->setEnabled(on);
    ui_.RefPt2->setEnabled(on);
    menus_->Action("DrawLines1")->setEnabled(on);
    menus_->Action("ToolDrawLines")->setEnabled(on);
    if (!on) {
        for (QScrollBar* b : ui_.SBRef) b->setEnabled(false);
        ui_.RefPt1Zero->setEnabled(false);
        ui_.RefPt2Zero->setEnabled(false);
    } else {
        for (QScrollBar* b : ui_.SBRef) b->setEnabled(true);
        const auto nonZero = [](const Pivot& p) { return p.x != 0 || p.y != 0; };
        ui_.RefPt1Zero->setEnabled(nonZero(m_.pivots[pv::Ref1]));
        ui_.RefPt2Zero->setEnabled(nonZero(m_.pivots[pv::Ref2]));
    }
}

void TMainForm::SetPivotDataClick() {
    if (m_.display.pivotData) {
        m_.display.pivotData = false;
        ui_.DataTableBut->hide();
    } else {
        m_.display.pivotData = true;
        ui_.DataTableBut->show();
        if (!m_.display.referencePoints) RefPointsClick();
    }
}

void TMainForm::SBRefChange(int bar, int position) {
    if (bar < 0 || bar > 3) return;
    (bar < 2 ? ui_.RefPt1Zero : ui_.RefPt2Zero)->setEnabled(true);
    const int page = 25;
    const float d = JogIncrement(refMem_[bar], position, 1000.0f, page);
    Pivot& p = m_.pivots[bar < 2 ? pv::Ref1 : pv::Ref2];
    if (bar % 2 == 0)
        p.y += d;
    else
        p.x += d;
    ui_.SBRef[bar]->setValue(0);
}

void TMainForm::RefPtZeroClick(int point) {
    Pivot& p = m_.pivots[point == 1 ? pv::Ref1 : pv::Ref2];
    p.x = p.y = 0;
    // Its bars: vertical, then horizontal.
    const std::size_t first = point == 1 ? 0 : 2;
    ui_.SBRef[first]->setValue(0);
    ui_.SBRef[first + 1]->setValue(0);
    (point == 1 ? ui_.RefPt1Zero : ui_.RefPt2Zero)->setEnabled(false);
}

void TMainForm::DrawLines1Click() {
    const Pivot& a = m_.pivots[pv::Ref1];
    const Pivot& b = m_.pivots[pv::Ref2];
    if (a.x == 0 && a.y == 0 && b.x == 0 && b.y == 0) Beep();
    OpenWindow(windows_.drawLines);
}

void TMainForm::FormMouseDown(Qt::MouseButton button, int x, int y) {
    const bool left = button == Qt::LeftButton;
    const bool right = button == Qt::RightButton;
    const bool inPicture = InPicture(x, y);
    const bool refOn = m_.display.referencePoints;
    auto world = [&](Pivot& p) {
        const WorldPoint w = ScreenToWorld(m_.view, x, y);
        p.x = w.h;
        p.y = w.v;
    };
    // The selected line may come from a file; anything outside 1..20 counts as no choice.
    const LineEntry* line = m_.lines.selected >= 1 && m_.lines.selected <= kLineEntries
                                ? &m_.lines.entries[m_.lines.selected - 1]
                                : nullptr;
    const bool typed = line && line->kind >= 0 && line->colour >= 0;

    if (refOn && inPicture && left) {
        world(m_.pivots[pv::Ref1]);
        ui_.RefPt1Zero->setEnabled(true);
    }
    if (refOn && inPicture && right) {
        world(m_.pivots[pv::Ref2]);
        ui_.RefPt2Zero->setEnabled(true);
    }
    if (refOn && left && typed && line->reference >= 0 && line->reference <= 2) DrawLines1Click();
    if (left) m_.leftButtonSeen = true;
    if (refOn && right && typed && line->reference == 3 && m_.leftButtonSeen) {
        m_.leftButtonSeen = false;
        DrawLines1Click();
    }
    if (m_.display.pivotData && m_.pickArmed && refOn && left) {
        Pivot& r = m_.pivots[pv::Ref1];
        world(r);
        const int found = NearestPivot(m_, WorldPoint{r.x, r.y});
        if (found > 0 && m_.pickingSlot >= 1 && m_.pickingSlot <= 6)
            m_.picks[m_.pickingSlot].pivot = static_cast<float>(found);
        m_.pickArmed = false;
    }
    if (m_.display.pivotData && !m_.pickArmed && refOn && left) {
        if (const int k = PickRowAt(x, y, m_.display.textScaleX, m_.display.textScaleY)) {
            m_.pickingSlot = k;
            m_.picks[k].assigned = true;
            m_.pickArmed = true;
        }
    }
    if (m_.dimensionGraphicId != 0) m_.graphicFrameCounter = 1005;
}

// --- Dynamic variables and undo -----------------------------------------------------------

void TMainForm::SBDynVarChange(int k, int position) {
    DynamicBarChanged(m_, k, position);
    ui_.SBDynVar[k]->setValue(0);
}

void TMainForm::SBDynVarScrollEnded(int k) {
    ui_.UnDoDn->setEnabled(true);
    DynamicBarScrollEnded(m_, k);
    ui_.SBRevArm->setFocus();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    for (int k = 1; k <= 4; ++k) {
        if (watched != ui_.SBDynVar[k]) continue;
        switch (event->type()) {
            case QEvent::FocusIn: DynamicBarEntered(m_, k); break;
            case QEvent::MouseButtonRelease:
                // Arrow, page and thumb actions all end when the button comes up.
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                    SBDynVarScrollEnded(k);
                break;
            case QEvent::KeyRelease: {
                auto* ke = static_cast<QKeyEvent*>(event);
                const int key = ke->key();
                if (!ke->isAutoRepeat() &&
                    (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                     key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
                     key == Qt::Key_Home || key == Qt::Key_End))
                    SBDynVarScrollEnded(k);
                break;
            }
            default: break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::UnDoDnClick() {
    if (m_.undo[1].id > 0)
        UndoLastChange(m_);
    else
        ui_.UnDoDn->setEnabled(false);
}

}  // namespace mv
