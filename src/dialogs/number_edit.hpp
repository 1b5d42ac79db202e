// Numeric edit boxes with a per-character key filter. Text never reaches the box other than by
// accepted keys: paste, drop and the context menu are off, so the filter cannot be bypassed.
#pragma once

#include <QLineEdit>

namespace mv {

// A number field takes digits, at most one point and a minus sign only as its first
// character (leading blanks of a filled-in value aside). Any other key is refused with a tip that
// says what the field takes, so "1e30" never quietly turns into "130".
struct KeyFilterRules {
    bool allowMinus = true;  // a leading "-" accepted at all
    bool allowPoint = true;  // one "." accepted
};

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(KeyFilterRules rules, QWidget* parent = nullptr);

    // Decides what a key does to the edit's text at its cursor (a selection is replaced by
    // what is typed); shared with DimensionField.
    enum class KeyVerdict { Accept, Discard, Enter, PassOn };
    static KeyVerdict Classify(const QKeyEvent* e, const QLineEdit& edit, KeyFilterRules rules);
    // Whether a text is one a user may be typing towards a number under the rules.
    static bool IsNumberPrefix(const QString& text, KeyFilterRules rules);

    KeyFilterRules Rules() const { return rules_; }
    // What the field takes, as the refusal tip says it.
    QString RefusalTip() const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    // Shows the refusal tip beside the field.
    void Refuse();
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    KeyFilterRules rules_;
};

// Turns off paste routes that would bypass a key filter (context menu, drop, middle click).
void SealAgainstPaste(QLineEdit* edit);

}  // namespace mv
