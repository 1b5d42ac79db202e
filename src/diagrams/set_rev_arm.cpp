#include "diagrams/set_rev_arm.hpp"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "diagrams/rev_arm_positions.hpp"
#include "mainwin/look.hpp"
#include "model/screen_math.hpp"
#include "model/text.hpp"

namespace mv {

namespace {

// The form is laid out at 120 pixels per inch; painted text positions are given at 96.
constexpr double kFormScale = 120.0 / 96.0;

QString Shown(float v) {
    return QString::fromStdString(FormatFixed(v, 5, 3));
}

struct RowPlace {
    int x, y;
};
// Label places of rows 1..9.
constexpr RowPlace kRowLabel[kRevArmPositions] = {{0, 0},    {13, 38},  {13, 51},  {13, 64},
                                                  {13, 77},  {165, 25}, {165, 38}, {165, 51},
                                                  {165, 64}, {165, 77}};

}  // namespace

TSetRevArm::TSetRevArm(Model& m, MainControls& controls, QWidget* parent)
    : QDialog(parent), m_(m), controls_(controls) {
    setObjectName(QStringLiteral("SetRevArm"));
    setWindowTitle(QStringLiteral("Set Reverse Arm Positions"));
    setFixedSize(409, 154);
    setFont(PositionsDialogFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    static constexpr QPoint kEditAt[11] = {{0, 0},    {138, 47}, {138, 63}, {138, 79},
                                           {138, 95}, {333, 31}, {333, 47}, {333, 63},
                                           {333, 79}, {333, 95}, {138, 31}};
    for (int k = 1; k <= 10; ++k) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QStringLiteral("Edit%1").arg(k));
        e->setFrame(false);
        e->setGeometry(kEditAt[k].x(), kEditAt[k].y(), 49, 16);
        e->setTextMargins(0, 0, 0, 0);
        QPalette ep = e->palette();
        ep.setColor(QPalette::Base, QColor(kSilver));
        e->setPalette(ep);
        e->installEventFilter(this);
        edits_[k] = e;
    }
    close1_ = new QPushButton(QStringLiteral("Close"), this);
    close1_->setObjectName(QStringLiteral("Close1"));
    close1_->setGeometry(158, 114, 92, 31);
    close1_->setAutoDefault(false);
    connect(close1_, &QPushButton::clicked, this, [this] {
        PaintDialog();
        accept();
    });
    rowShown_[1] = true;
}

QPoint TSetRevArm::TextAt(double x, double y) const {
    return {RoundToScreen(kFormScale * m_.display.textScaleX * x),
            RoundToScreen(kFormScale * m_.display.textScaleY * y)};
}

int TSetRevArm::EditIndex(QObject* o) const {
    for (int k = 1; k <= 10; ++k)
        if (edits_[k] == o) return k;
    return 0;
}

void TSetRevArm::PaintDialog() {
    painting_ = true;
    edits_[1]->setText(Shown(m_.revArmPositions[1]));
    const auto shown = NormalizeRevArmPositions(m_);
    for (int k = 2; k <= 9; ++k) {
        rowShown_[k] = shown[k];
        edits_[k]->setVisible(shown[k]);
        edits_[k]->setText(Shown(m_.revArmPositions[k]));
    }
    edits_[10]->setText(Shown(m_.diagramVerticalScale));
    close1_->setFocus();
    painting_ = false;
    update();
}

void TSetRevArm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous()) return;
    PaintDialog();
    PaintDialog();
}

void TSetRevArm::done(int r) {
    // A value still being typed counts as entered.
    if (const int k = EditIndex(focusWidget())) Commit(k);
    m_.diagramRedrawPending = true;
    QDialog::done(r);
}

void TSetRevArm::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    QPainter p(this);
    p.setFont(font());
    p.setPen(Qt::black);
    const int ascent = p.fontMetrics().ascent();
    auto text = [&](QPoint at, const QString& s) { p.drawText(at.x(), at.y() + ascent, s); };

    const float mid = m_.revArmPositions[0];
    const float max = m_.frame.revArmMax, norm = m_.frame.revArmNorm;
    const int headY = RoundToScreen(kFormScale * 4);
    auto head = [&](double x, const char* prefix, float v) {
        text(QPoint(TextAt(x, 0).x(), headY), QString::fromLatin1(prefix) + Shown(v));
    };
    head(10, "Min ", mid - max);
    head(75, "Rev ", mid - norm);
    head(140, "Cent ", mid);
    head(205, "Fwd ", mid + norm);
    head(270, "Max ", mid + max);

    text(TextAt(13, 98), QStringLiteral("Max of 9 Positions"));
    text(TextAt(13, 25), QStringLiteral("Vertical Scale"));
    for (int k = 1; k <= 9; ++k) {
        if (!rowShown_[k]) continue;
        text(TextAt(kRowLabel[k].x, kRowLabel[k].y), QStringLiteral("Rev Arm Position  %1").arg(k));
    }
}

void TSetRevArm::RevealRow(int k) {
    if (k < 2 || k > 9) return;
    rowShown_[k] = true;
    edits_[k]->show();
    update();
}

void TSetRevArm::Commit(int k) {
    const float v = ParseLenient(edits_[k]->text().toStdString());
    if (k == 10)
        CommitVerticalScale(m_, v);
    else
        CommitRevArmPosition(m_, k, v);
}

bool TSetRevArm::eventFilter(QObject* watched, QEvent* e) {
    const int k = EditIndex(watched);
    if (k == 0) return QDialog::eventFilter(watched, e);
    if (e->type() == QEvent::FocusOut) {
        if (!painting_) Commit(k);
        return false;
    }
    if (e->type() != QEvent::KeyPress) return false;
    auto* ke = static_cast<QKeyEvent*>(e);
    const QString t = ke->text();
    // Keys that type no character (arrows, Delete, Tab, Escape) keep their usual meaning.
    const int key = ke->key();
    if (t.isEmpty() || key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab ||
        key == Qt::Key_Delete)
        return false;
    QLineEdit* edit = edits_[k];
    const QChar ch = t.at(0);
    bool accept = ch == QLatin1Char('\b') || (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) ||
                  ch == QLatin1Char('-') || ch == QLatin1Char('.');
    // A second minus or point is refused; one inside the selection is about to be replaced.
    if (ch == QLatin1Char('-') || ch == QLatin1Char('.')) {
        QString rest = edit->text();
        if (edit->hasSelectedText())
            rest.remove(edit->selectionStart(), edit->selectedText().size());
        if (rest.contains(ch)) accept = false;
    }
    // Selecting, copying and undoing by keyboard stay available; pasting would bypass the filter.
    const bool shortcut = (ke->modifiers() & Qt::ControlModifier) && key != Qt::Key_V;
    // Any key in a row opens the next one, so positions can be typed one after another.
    if (k <= 8) RevealRow(k + 1);
    if (shortcut) return false;
    return !accept;
}

}  // namespace mv
