#include "dialogs/dimension_dialogs.hpp"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "mainwin/look.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"

namespace mv {
namespace {

constexpr int kClientW = 386;
constexpr int kClientH = 230;

int Scaled(int v, float s) {
    return RoundToScreen(static_cast<long double>(v) * s);
}

float SaneScale(float s) {
    return (s > 0.1f && s < 10.0f) ? s : 1.0f;
}

const DimensionInfo& Info(DimensionId id) {
    return *FindDimension(id);
}

}  // namespace

DimensionDialog::DimensionDialog(Model& m, const QString& caption, QWidget* parent)
    : QDialog(parent), m_(m) {
    setWindowTitle(caption);
    setFont(DialogFont(font()));
    setFixedSize(kClientW, kClientH);
}

DimensionField* DimensionDialog::Field(int n) const {
    return n >= 1 && n <= FieldCount() ? fields_[n - 1] : nullptr;
}

QPushButton* DimensionDialog::GraphicButton(int n) const {
    return n >= 1 && n <= static_cast<int>(buttons_.size()) ? buttons_[n - 1] : nullptr;
}

void DimensionDialog::AddRow(DimensionId id, QRect field, QRect button) {
    auto* f = new DimensionField(m_, id, this);
    fields_.push_back(f);
    design_.emplace_back(f, field);

    auto* b = new QPushButton(this);
    const int n = static_cast<int>(buttons_.size()) + 1;
    b->setObjectName(QStringLiteral("Button%1").arg(n));
    b->setAutoDefault(false);
    b->setStyleSheet(GraphicButtonStyle());
    b->setToolTip(QString::fromLatin1(Info(id).shortName));
    connect(b, &QPushButton::clicked, this,
            [this, id] { m_.dimensionGraphicId = static_cast<int>(id); });
    buttons_.push_back(b);
    design_.emplace_back(b, button);
}

void DimensionDialog::FitLabelFont() {
    // Each label must end before the field beside it; a face wider than the one the layout was
    // made for is condensed until the widest label fits.
    QFont f = font();
    const QFontMetrics fm(f);
    double worst = 1.0;
    for (const Label& l : labels_) {
        int limit = kClientW;
        for (const auto& [w, r] : design_)
            if (r.x() > l.x && r.y() < l.y + 12 && r.bottom() > l.y) limit = std::min(limit, r.x());
        const int avail = limit - l.x - 2;
        const int width = fm.horizontalAdvance(l.text);
        if (avail > 0 && width > avail) worst = std::max(worst, double(width) / avail);
    }
    if (worst > 1.0) f.setStretch(std::max(50, static_cast<int>(100.0 / worst)));
    labelFont_ = f;
}

void DimensionDialog::PlaceButtons(QRect reset, const QString& resetCaption, QRect close) {
    reset_ = new QPushButton(resetCaption, this);
    reset_->setObjectName(QStringLiteral("Reset"));
    reset_->setAutoDefault(false);
    reset_->installEventFilter(this);
    connect(reset_, &QPushButton::clicked, this, [this] { ResetClick(); });
    design_.emplace_back(reset_, reset);

    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("Close1"));
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, [this] { Close1Click(); });
    design_.emplace_back(close_, close);

    for (DimensionField* f : fields_) f->SetEnterTarget(close_);
}

void DimensionDialog::ApplyScale() {
    // With the large-font setting every position grows by the text factors, controls as well
    // as labels, so the labels stay beside their fields.
    scaleX_ = SaneScale(m_.display.textScaleX);
    scaleY_ = SaneScale(m_.display.textScaleY);
    for (auto& [w, r] : design_)
        w->setGeometry(Scaled(r.x(), scaleX_), Scaled(r.y(), scaleY_), Scaled(r.width(), scaleX_),
                       Scaled(r.height(), scaleY_));
    setFixedSize(Scaled(kClientW, scaleX_), Scaled(kClientH, scaleY_));
}

void DimensionDialog::FormActivate() {
    ApplyScale();
    for (DimensionField* f : fields_) f->Fill();
    update();
}

void DimensionDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;  // de-iconified: not a new opening
    FormActivate();
    close_->setFocus(Qt::OtherFocusReason);
}

void DimensionDialog::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(labelFont_);
    const QFontMetrics fm(labelFont_);
    for (const Label& l : labels_) {
        const int x = Scaled(l.x, scaleX_);
        const int y = Scaled(l.y, scaleY_);
        p.drawText(QPoint(x, y + fm.ascent()), l.text);
    }
}

void DimensionDialog::Close1Click() {
    ComputeMidGear(m_);
    RequestRevArmBarPosition(m_, 0);
    accept();
}

// Esc and the window's close box leave the dialog like Close does, so mid gear always follows
// the dimensions just typed.
void DimensionDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close_->setFocus(Qt::OtherFocusReason);
        Close1Click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void DimensionDialog::closeEvent(QCloseEvent* e) {
    if (isVisible()) {
        if (QWidget* w = focusWidget(); w && w != close_) close_->setFocus(Qt::OtherFocusReason);
        ComputeMidGear(m_);
        RequestRevArmBarPosition(m_, 0);
    }
    QDialog::closeEvent(e);
}

bool DimensionDialog::eventFilter(QObject* watched, QEvent* e) {
    // Any mouse button pressed on the reset button resets; only a full left click also clears
    // the undo stack.
    if (watched == reset_ && e->type() == QEvent::MouseButtonPress) ResetMouseDown();
    return QDialog::eventFilter(watched, e);
}

void DimensionDialog::Reset() {
    ApplyDefaults();
    ClearDynamicVariables(m_);
    m_.gear.scrollIncrement = 0;
    for (int k = 1; k <= 4; ++k) {
        m_.currentSlot = k;
        ApplyDynamicVariable(m_);
    }
    m_.Notify(ModelEvent::DimensionsChanged);
    FormActivate();
}

void DimensionDialog::ResetMouseDown() {
    Reset();
}

void DimensionDialog::ResetClick() {
    Reset();
    ClearUndo(m_);
}

// --- Frame ---------------------------------------------------------------------------------

TFrameDi::TFrameDi(Model& m, QWidget* parent)
    : DimensionDialog(m, QStringLiteral("Frame Dimensions"), parent) {
    for (int n = 1; n <= 27; ++n) {
        const int row = n <= 14 ? n - 1 : n - 15;
        const int x = n <= 14 ? 146 : 342;
        const int bx = n <= 14 ? 0 : 194;
        AddRow(static_cast<DimensionId>(n), QRect(x, 13 * row, 40, 13), QRect(bx, 13 * row, 8, 13));
    }
    PlaceButtons(QRect(288, 176, 89, 25), QStringLiteral("ResetFrameDim"), QRect(288, 200, 89, 25));
    reset_->setObjectName(QStringLiteral("ResetFrame"));

    for (int n = 1; n <= 27; ++n) {
        const QString label = QString::fromLatin1(Info(static_cast<DimensionId>(n)).label);
        if (n <= 14)
            AddLabel(label, 10, 13 * (n - 1));
        else if (n <= 26)
            AddLabel(label, 204, 13 * (n - 15));
        else
            AddLabel(label, 234, 156);
    }
    AddLabel(QStringLiteral("To Show Graphic Position of Variable, Click Small Button"), 1, 190);
    AddLabel(QStringLiteral("To Select Dynamic Variable, Click Dimension in Gray Area"), 1, 203);
    FitLabelFont();

    // Edit1, Edit2, Edit3, Close, Reset, Edit4 .. Edit27, Button1 .. Button27.
    std::vector<QWidget*> order{Field(1), Field(2), Field(3), close_, reset_};
    for (int n = 4; n <= 27; ++n) order.push_back(Field(n));
    for (int n = 1; n <= 27; ++n) order.push_back(GraphicButton(n));
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    FormActivate();
}

void TFrameDi::ApplyDefaults() {
    ApplyFrameDefaults(m_);
    SetRevArmBarLimits(m_);
}

// --- Cylinder ------------------------------------------------------------------------------

TCylDimen::TCylDimen(Model& m, QWidget* parent)
    : DimensionDialog(m, QStringLiteral("Cylinder Dimensions"), parent) {
    for (int n = 1; n <= 22; ++n) {
        QRect field, button;
        if (n <= 5) {
            field = QRect(146, 13 * (n - 1), 40, 13);
            button = QRect(0, 13 * (n - 1), 8, 13);
        } else if (n == 6) {
            field = QRect(146, 78, 40, 13);
            button = QRect(0, 65, 8, 26);
        } else if (n <= 12) {
            field = QRect(146, 91 + 13 * (n - 7), 40, 13);
            button = QRect(0, 91 + 13 * (n - 7), 8, 13);
        } else if (n <= 21) {
            field = QRect(342, 13 * (n - 13), 40, 13);
            button = QRect(194, 13 * (n - 13), 8, 13);
        } else {
            field = QRect(342, 130, 40, 13);
            button = QRect(194, 117, 8, 26);
        }
        AddRow(static_cast<DimensionId>(100 + n), field, button);
    }
    PlaceButtons(QRect(294, 168, 90, 25), QStringLiteral("ResetCylDim"), QRect(294, 192, 90, 25));
    reset_->setObjectName(QStringLiteral("Reset1"));

    auto label = [](int n) {
        return QString::fromLatin1(Info(static_cast<DimensionId>(100 + n)).label);
    };
    for (int n = 1; n <= 6; ++n) AddLabel(label(n), 10, 13 * (n - 1));
    AddLabel(QStringLiteral("(Piston Rod)"), 82, 13 * 6);
    for (int n = 7; n <= 12; ++n) AddLabel(label(n), 10, 13 * n);
    for (int n = 13; n <= 22; ++n) AddLabel(label(n), 204, 13 * (n - 13));
    AddLabel(QStringLiteral("  (Valve Stem)"), 266, 13 * 10);
    AddLabel(QStringLiteral("To Show Graphic Position of Variable, Click Small Button"), 1, 190);
    AddLabel(QStringLiteral("To Select a Dynamic Variable, Click Dimension in Gray Area"), 1, 203);
    FitLabelFont();

    // Edit1..Edit17, Close, Reset, Button1..Button17, Edit18..Edit22, Button18..Button22.
    std::vector<QWidget*> order;
    for (int n = 1; n <= 17; ++n) order.push_back(Field(n));
    order.push_back(close_);
    order.push_back(reset_);
    for (int n = 1; n <= 17; ++n) order.push_back(GraphicButton(n));
    for (int n = 18; n <= 22; ++n) order.push_back(Field(n));
    for (int n = 18; n <= 22; ++n) order.push_back(GraphicButton(n));
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    FormActivate();
}

void TCylDimen::ApplyDefaults() {
    ApplyCylinderDefaults(m_);
}

}  // namespace mv
