#include "design/scale_gear_dialog.hpp"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "analysis/scale_gear.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

std::optional<double> Typed(const QLineEdit* e) {
    double v = 0;
    if (!ParseStrict(e->text().trimmed().toStdString(), v)) return std::nullopt;
    return v;
}

QString Shown(double v) {
    return QString::fromStdString(FormatSignificant(v, 7));
}

}  // namespace

TScaleGear::TScaleGear(const Gear& g, QWidget* parent) : QDialog(parent), g_(g) {
    setWindowTitle(QStringLiteral("Scale Gear"));
    setObjectName(QStringLiteral("TScaleGear"));
    auto* layout = new QVBoxLayout(this);
    auto* about = new QLabel(
        QStringLiteral("Every length of the gear is multiplied by the factor; the offset angle "
                       "stays. The events in per cent of the stroke stay the same; leads, laps "
                       "and travel follow the factor. UnDo takes the whole step back."),
        this);
    about->setWordWrap(true);
    layout->addWidget(about);
    auto* form = new QFormLayout;
    factorEdit_ = new QLineEdit(QStringLiteral("1"), this);
    factorEdit_->setObjectName(QStringLiteral("EditFactor"));
    strokeEdit_ = new QLineEdit(Shown(g.frame.stroke), this);
    strokeEdit_->setObjectName(QStringLiteral("EditStroke"));
    strokeEdit_->setToolTip(QStringLiteral("The stroke the scaled gear is to have"));
    form->addRow(QStringLiteral("Factor"), factorEdit_);
    form->addRow(QStringLiteral("New stroke"), strokeEdit_);
    layout->addLayout(form);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("LblStatus"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(factorEdit_, &QLineEdit::textEdited, this, [this] { FactorEdited(); });
    connect(strokeEdit_, &QLineEdit::textEdited, this, [this] { StrokeEdited(); });
    factorEdit_->selectAll();
    setMinimumWidth(420);
    Check(1.0);
}

void TScaleGear::FactorEdited() {
    const std::optional<double> k = Typed(factorEdit_);
    if (k) strokeEdit_->setText(Shown(*k * g_.frame.stroke));
    Check(k);
}

void TScaleGear::StrokeEdited() {
    const std::optional<double> s = Typed(strokeEdit_);
    std::optional<double> k;
    if (s && g_.frame.stroke != 0) k = *s / g_.frame.stroke;
    if (k) factorEdit_->setText(Shown(*k));
    Check(k);
}

void TScaleGear::Check(const std::optional<double>& k) {
    std::string problem = k ? ScaleFactorProblem(g_, *k) : "type a number";
    if (problem.empty() && g_.frame.stroke == 0 && strokeEdit_->hasFocus())
        problem = "the stroke is 0: give the factor";
    factor_ = problem.empty() ? k : std::nullopt;
    QString text = QString::fromStdString(problem);
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    status_->setText(text);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(factor_.has_value());
}

std::optional<double> AskScaleFactor(QWidget* parent, const Gear& g) {
    TScaleGear d(g, parent);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.Factor();
}

}  // namespace mv
