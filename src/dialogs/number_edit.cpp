#include "dialogs/number_edit.hpp"

#include <QKeyEvent>
#include <QMouseEvent>

namespace mv {

NumberEdit::NumberEdit(KeyFilterRules rules, QWidget* parent) : QLineEdit(parent), rules_(rules) {
    SealAgainstPaste(this);
}

void SealAgainstPaste(QLineEdit* edit) {
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setAcceptDrops(false);
    edit->setDragEnabled(false);
}

NumberEdit::KeyVerdict NumberEdit::Classify(const QKeyEvent* e, const QString& text,
                                            KeyFilterRules rules) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: return KeyVerdict::Enter;
        case Qt::Key_Backspace:
        case Qt::Key_Delete: return KeyVerdict::Accept;
        // Moving the cursor changes nothing; Escape and Tab belong to the dialog.
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return KeyVerdict::PassOn;
        default: break;
    }
    if (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::SelectAll))
        return KeyVerdict::PassOn;
    const QString t = e->text();
    if (t.size() != 1 || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return KeyVerdict::Discard;
    const QChar c = t.front();
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return KeyVerdict::Accept;
    if (c == QLatin1Char('.')) {
        if (!rules.allowPoint || text.contains(c)) return KeyVerdict::Discard;
        return KeyVerdict::Accept;
    }
    if (c == QLatin1Char('-')) {
        if (!rules.allowMinus || (rules.minusOnce && text.contains(c))) return KeyVerdict::Discard;
        return KeyVerdict::Accept;
    }
    return KeyVerdict::Discard;
}

void NumberEdit::keyPressEvent(QKeyEvent* e) {
    switch (Classify(e, text(), rules_)) {
        case KeyVerdict::Accept: QLineEdit::keyPressEvent(e); return;
        case KeyVerdict::Discard: e->accept(); return;
        case KeyVerdict::Enter:
            // Not typed into the box; the dialog decides (its default button, if any).
            e->ignore();
            return;
        case KeyVerdict::PassOn:
            if (e->key() == Qt::Key_Escape) {
                e->ignore();
                return;
            }
            QLineEdit::keyPressEvent(e);
            return;
    }
}

// Middle click would paste the X11 selection past the filter.
void NumberEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void NumberEdit::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton) {
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

}  // namespace mv
