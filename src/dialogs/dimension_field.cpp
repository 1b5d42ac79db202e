#include "dialogs/dimension_field.hpp"

#include <QKeyEvent>
#include <QPalette>

#include "dialogs/dimension_tips.hpp"
#include "mainwin/look.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/text.hpp"

namespace mv {

DimensionField::DimensionField(Model& m, DimensionId id, QWidget* parent)
    : NumberEdit(KeyFilterRules{}, parent), m_(m), id_(id) {
    setFrame(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, IsPlainSetting() ? QColor(Qt::white) : QColor(kSilver));
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    setObjectName(QStringLiteral("Edit%1").arg(id > 100 ? id - 100 : id));
    setToolTip(DimensionTip(id));
    Fill();
}

void DimensionField::Fill() {
    filled_ = QString::fromStdString(FormatFieldFit(GetDimension(m_, id_), 5, 3));
    setText(filled_);
    setCursorPosition(0);
}

void DimensionField::Commit() {
    // A field left as it was filled keeps the dimension's exact value: the text shows only three
    // decimals and at most ten characters, and merely passing through a field must not round
    // or truncate what a file or the dynamic-variable bars put there.
    const QString t = text();
    const float value = t == filled_ ? GetDimension(m_, id_) : ParseLenient(t.toStdString());
    CommitAnyDimension(m_, id_, value);
}

void DimensionField::keyPressEvent(QKeyEvent* e) {
    const KeyVerdict v = Classify(e, *this, Rules());
    if ((v == KeyVerdict::Accept || v == KeyVerdict::Enter) && !IsPlainSetting())
        m_.pendingEdit = true;
    if (v == KeyVerdict::Enter) {
        e->accept();
        if (enterTarget_) enterTarget_->setFocus(Qt::OtherFocusReason);
        return;
    }
    NumberEdit::keyPressEvent(e);
}

void DimensionField::focusOutEvent(QFocusEvent* e) {
    NumberEdit::focusOutEvent(e);
    Commit();
    // Show what is used now: the committed value in the field's format, after any clamping.
    Fill();
}

}  // namespace mv
