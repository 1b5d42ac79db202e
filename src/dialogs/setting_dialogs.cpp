#include "dialogs/setting_dialogs.hpp"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <cmath>

#include "mainwin/look.hpp"
#include "model/screen_math.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

QString Fmt(double v, int w, int d) {
    return QString::fromStdString(FormatFieldFit(v, w, d));
}

float Typed(const QLineEdit* e) {
    return ParseLenient(e->text().toStdString());
}

// Scroll-bar positions: saturating, so a huge value can never overflow the integer.
int BarPosition(long double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2.0e9L) return 2000000000;
    if (v <= -2.0e9L) return -2000000000;
    return static_cast<int>(std::nearbyint(v));
}

QPushButton* MakeButton(const QString& caption, QWidget* parent, QRect r) {
    auto* b = new QPushButton(caption, parent);
    b->setAutoDefault(false);
    b->setGeometry(r);
    return b;
}

}  // namespace

float ClampSetting(float v, float lo, float hi) {
    if (std::isnan(v) || v < lo) return lo;
    if (v > hi) return hi;
    return v;
}

// --- Common frame --------------------------------------------------------------------------

SettingDialog::SettingDialog(const QString& caption, QSize client, KeyFilterRules rules,
                             bool okIsDefault, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    setFont(DialogFont(font()));
    setFixedSize(client);
    edit_ = new NumberEdit(rules, this);
    edit_->setObjectName(QStringLiteral("Edit1"));
    ok_ = MakeButton(QStringLiteral("OK"), this, QRect());
    cancel_ = MakeButton(QStringLiteral("Cancel"), this, QRect());
    ok_->setDefault(okIsDefault);
    connect(ok_, &QPushButton::clicked, this, [this] {
        OKClick();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel* SettingDialog::AddLabel(const QString& text, int x, int y) {
    auto* l = new QLabel(text, this);
    l->move(x, y);
    l->adjustSize();
    return l;
}

void SettingDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    FormActivate();
}

// --- Reverse-arm position ------------------------------------------------------------------

TRevPos::TRevPos(Model& m, QWidget* parent)
    : SettingDialog(QStringLiteral("Reverse Arm Position"), QSize(208, 64), KeyFilterRules{}, false,
                    parent),
      m_(m) {
    const QPoint at[7] = {{}, {}, {2, 15}, {71, 0}, {141, 15}, {2, 0}, {141, 0}};
    for (int k = 2; k <= 6; ++k) {
        labels_[k] = AddLabel(QString(), at[k].x(), at[k].y());
        labels_[k]->setObjectName(QStringLiteral("Label%1").arg(k));
    }
    labels_[1] = AddLabel(QStringLiteral("Enter"), 2, 36);
    edit_->setGeometry(34, 32, 50, 21);
    ok_->setGeometry(92, 32, 54, 25);
    cancel_->setGeometry(150, 32, 54, 25);
    FormActivate();
}

void TRevPos::FormActivate() {
    const float mid = m_.revArmPositions[0];
    const float mx = m_.frame.revArmMax;
    const float norm = m_.frame.revArmNorm;
    auto set = [this](int k, const char* prefix, double v) {
        labels_[k]->setText(QString::fromLatin1(prefix) + Fmt(v, 5, 3));
        labels_[k]->adjustSize();
    };
    set(2, "Min = ", mid - mx);
    set(3, "Cen = ", mid);
    set(4, "Max = ", mid + mx);
    set(5, "Rev = ", mid - norm);
    set(6, "Fwd = ", mid + norm);
    edit_->setText(Fmt(m_.gear.revArmSetting, 7, 3));
    edit_->setToolTip(
        QStringLiteral(
            "Reverse arm setting: the horizontal position of the reverse arm's top end.\n"
            "Limits: mid gear \u00b1 Max, %1 to %2; a value outside becomes the limit.")
            .arg(Fmt(mid - std::fabs(mx), 1, 3), Fmt(mid + std::fabs(mx), 1, 3)));
    cancel_->setFocus(Qt::OtherFocusReason);
}

void TRevPos::OKClick() {
    const float mid = m_.revArmPositions[0];
    const float mx = std::fabs(m_.frame.revArmMax);
    const float setting = ClampSetting(Typed(edit_), mid - mx, mid + mx);
    m_.gear.revArmSetting = setting;
    const long double off = static_cast<long double>(setting) - mid;
    RequestRevArmBarPosition(m_, BarPosition(off * 1000.0L));
}

// --- Driver angle --------------------------------------------------------------------------

TDrivAng::TDrivAng(Model& m, MainControls& controls, QWidget* parent)
    : SettingDialog(QStringLiteral("Driver Angle"), QSize(208, 47),
                    KeyFilterRules{.allowMinus = false}, true, parent),
      m_(m),
      c_(controls) {
    AddLabel(QStringLiteral("Min = 0.00"), 2, 0);
    AddLabel(QStringLiteral("Max = 360.00"), 104, 0);
    AddLabel(QStringLiteral("Enter"), 2, 21);
    edit_->setGeometry(34, 18, 50, 21);
    edit_->setToolTip(QStringLiteral(
        "Driver angle in degrees; OK stops the gear there.\nLimits: 0 to 360; a value outside "
        "becomes the limit."));
    ok_->setGeometry(92, 17, 54, 25);
    cancel_->setGeometry(150, 17, 54, 25);
    FormActivate();
}

void TDrivAng::FormActivate() {
    edit_->setText(m_.gear.currentStep != 0 ? QStringLiteral("0.00")
                                            : Fmt(m_.gear.driverAngle, 4, 2));
    cancel_->setFocus(Qt::OtherFocusReason);
}

void TDrivAng::OKClick() {
    c_.SetRunning(false);
    m_.gear.driverAngle = ClampSetting(Typed(edit_), 0.0f, 360.0f);
    c_.SetDriverAngleBar(BarPosition(static_cast<long double>(m_.gear.driverAngle) * 100.0L));
    m_.gear.currentStep = 0;
    c_.SetDriverAngleBarEnabled(true);
}

// --- Step angle ----------------------------------------------------------------------------

TStpAng::TStpAng(Model& m, MainControls& controls, QWidget* parent)
    : SettingDialog(QStringLiteral("Step Angle"), QSize(208, 47),
                    KeyFilterRules{.allowMinus = false}, true, parent),
      m_(m),
      c_(controls) {
    AddLabel(QStringLiteral("Min = 0.01"), 2, 0);
    AddLabel(QStringLiteral("Max = 45.00"), 104, 0);
    AddLabel(QStringLiteral("Enter"), 2, 21);
    edit_->setGeometry(34, 18, 50, 21);
    edit_->setText(QStringLiteral("5.0"));
    edit_->setToolTip(QStringLiteral(
        "Step angle: degrees the driver turns per frame.\nLimits: 0.01 to 45; a value outside "
        "becomes the limit."));
    ok_->setGeometry(92, 17, 54, 25);
    cancel_->setGeometry(150, 17, 54, 25);
}

void TStpAng::FormActivate() {
    edit_->setText(Fmt(m_.gear.currentStep, 4, 2));
}

void TStpAng::OKClick() {
    const float step = ClampSetting(Typed(edit_), 0.01f, 45.0f);
    m_.gear.chosenStep = step;
    // The run state stays, its steps taken again: a running gear goes on with the new step, a
    // stopped one stays stopped with the driver bar at its angle.
    c_.SetRunning(c_.Running());
    c_.SetStepAngleBar(BarPosition(std::log10(static_cast<long double>(step) * 100.0L) * 4000.0L));
    c_.SetDriverAngleBarSteps(BarPosition(static_cast<long double>(step) * 100.0L),
                              BarPosition(static_cast<long double>(step) * 500.0L));
}

// --- Graphic zoom --------------------------------------------------------------------------

TGraphZoom::TGraphZoom(Model& m, QWidget* parent)
    : SettingDialog(QStringLiteral("Set Zoom of Dimensional Graphic Position"), QSize(270, 68),
                    KeyFilterRules{.allowMinus = false}, false, parent),
      m_(m) {
    AddLabel(QStringLiteral("Min = 0.5"), 2, 0);
    AddLabel(QStringLiteral("Max = 2000.0"), 140, 0);
    AddLabel(QStringLiteral("Approximate Factor = Locomotive Gauge in Units Used"), 2, 15);
    AddLabel(QStringLiteral("Enter"), 2, 41);
    edit_->setGeometry(34, 38, 60, 21);
    edit_->setToolTip(QStringLiteral(
        "Zoom of the dimensional graphic: about the locomotive's gauge in the units used.\n"
        "Limits: 0.5 to 2000; a value outside becomes the limit."));
    ok_->setGeometry(140, 37, 60, 25);
    cancel_->setGeometry(204, 37, 60, 25);
    FormActivate();
}

void TGraphZoom::FormActivate() {
    edit_->setText(Fmt(m_.graphicZoomFactor, 4, 2));
}

void TGraphZoom::OKClick() {
    m_.graphicZoomFactor = ClampSetting(Typed(edit_), 0.5f, 2000.0f);
}

// --- Reference points ----------------------------------------------------------------------

TRefPnts::TRefPnts(Model& m, MainControls& controls, QWidget* parent)
    : QDialog(parent), m_(m), c_(controls) {
    setWindowTitle(QStringLiteral("Reference Points"));
    setFont(DialogFont(font()));
    setFixedSize(208, 76);
    const char* names[4] = {"RefPt V1", "RefPt H1", "RefPt V2", "RefPt H2"};
    for (int k = 0; k < 4; ++k) {
        const int x = (k % 2) * 104;
        const int y = 2 + (k / 2) * 24;
        auto* l = new QLabel(QString::fromLatin1(names[k]), this);
        l->move(x + 2, y + 4);
        l->adjustSize();
        edits_[k] = new NumberEdit(KeyFilterRules{}, this);
        edits_[k]->setObjectName(QStringLiteral("Edit%1").arg(k + 1));
        edits_[k]->setGeometry(x + 50, y, 50, 21);
        edits_[k]->setToolTip(QStringLiteral("Reference point %1, %2 in world units")
                                  .arg(k / 2 + 1)
                                  .arg(k % 2 == 0
                                           ? QStringLiteral("vertical (height above the axle)")
                                           : QStringLiteral("horizontal (from the axle)")));
    }
    ok_ = MakeButton(QStringLiteral("OK"), this, QRect(22, 52, 52, 22));
    zero_ = MakeButton(QStringLiteral("Zero"), this, QRect(80, 52, 52, 22));
    cancel_ = MakeButton(QStringLiteral("Cancel"), this, QRect(138, 52, 52, 22));
    connect(ok_, &QPushButton::clicked, this, [this] {
        OKClick();
        accept();
    });
    connect(zero_, &QPushButton::clicked, this, [this] {
        ZeroClick();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        CancelClick();
        reject();
    });
    FormActivate();
}

void TRefPnts::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    FormActivate();
}

void TRefPnts::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        cancel_->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TRefPnts::FormActivate() {
    edits_[0]->setText(Fmt(m_.pivots[pv::Ref1].y, 5, 3));
    edits_[1]->setText(Fmt(m_.pivots[pv::Ref1].x, 5, 3));
    edits_[2]->setText(Fmt(m_.pivots[pv::Ref2].y, 5, 3));
    edits_[3]->setText(Fmt(m_.pivots[pv::Ref2].x, 5, 3));
    cancel_->setFocus(Qt::OtherFocusReason);
}

void TRefPnts::OKClick() {
    m_.pivots[pv::Ref1].y = Typed(edits_[0]);
    m_.pivots[pv::Ref1].x = Typed(edits_[1]);
    m_.pivots[pv::Ref2].y = Typed(edits_[2]);
    m_.pivots[pv::Ref2].x = Typed(edits_[3]);
    if (m_.pivots[pv::Ref1].y != 0 || m_.pivots[pv::Ref1].x != 0)
        c_.SetRefPointZeroEnabled(1, true);
    if (m_.pivots[pv::Ref2].y != 0 || m_.pivots[pv::Ref2].x != 0)
        c_.SetRefPointZeroEnabled(2, true);
    c_.SetReferencePoints(true);
}

void TRefPnts::ZeroClick() {
    m_.pivots[pv::Ref1].x = m_.pivots[pv::Ref1].y = 0;
    m_.pivots[pv::Ref2].x = m_.pivots[pv::Ref2].y = 0;
    c_.SetRefPointZeroEnabled(1, false);
    c_.SetRefPointZeroEnabled(2, false);
    c_.SetReferencePoints(false);
}

void TRefPnts::CancelClick() {
    c_.SetReferencePoints(false);
}

}  // namespace mv
