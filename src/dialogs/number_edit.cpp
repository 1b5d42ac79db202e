#include "dialogs/number_edit.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace mv {

NumberEdit::NumberEdit(KeyFilterRules rules, QWidget* parent) : QLineEdit(parent), rules_(rules) {
    SealAgainstPaste(this);
}

void SealAgainstPaste(QLineEdit* edit) {
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setAcceptDrops(false);
    edit->setDragEnabled(false);
}

bool NumberEdit::IsNumberPrefix(const QString& text, KeyFilterRules rules) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    // Filled-in values are right-aligned in their width.
    while (i < n && text[i] == QLatin1Char(' ')) ++i;
    if (i < n && text[i] == QLatin1Char('-')) {
        if (!rules.allowMinus) return false;
        ++i;
    }
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) continue;
        if (c == QLatin1Char('.') && rules.allowPoint && !point) {
            point = true;
            continue;
        }
        return false;
    }
    return true;
}

NumberEdit::KeyVerdict NumberEdit::Classify(const QKeyEvent* e, const QLineEdit& edit,
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
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!digit && c != QLatin1Char('.') && c != QLatin1Char('-')) return KeyVerdict::Discard;
    // The text as it would be with the character typed in.
    QString after = edit.text();
    const int at = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
    after.replace(at, edit.hasSelectedText() ? edit.selectedText().size() : 0, c);
    if (IsNumberPrefix(after, rules)) return KeyVerdict::Accept;
    // A text that is no number already (put there by a program, not by keys) still takes
    // digits, so the field never locks up.
    if (digit && !IsNumberPrefix(edit.text(), rules)) return KeyVerdict::Accept;
    return KeyVerdict::Discard;
}

QString NumberEdit::RefusalTip() const {
    if (!rules_.allowPoint && !rules_.allowMinus) return QStringLiteral("Digits only");
    if (!rules_.allowMinus) return QStringLiteral("Digits and one point only");
    if (!rules_.allowPoint) return QStringLiteral("Digits and a leading minus sign only");
    return QStringLiteral("Digits, one point and a leading minus sign only");
}

void NumberEdit::Refuse() {
    QToolTip::showText(mapToGlobal(QPoint(0, height())), RefusalTip(), this);
}

void NumberEdit::keyPressEvent(QKeyEvent* e) {
    switch (Classify(e, *this, rules_)) {
        case KeyVerdict::Accept: QLineEdit::keyPressEvent(e); return;
        case KeyVerdict::Discard:
            if (!e->text().isEmpty() && e->text().front().isPrint()) Refuse();
            e->accept();
            return;
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
