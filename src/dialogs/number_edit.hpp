// Numeric edit boxes with a per-character key filter. Text never reaches the box other than by
// accepted keys: paste, drop and the context menu are off, so the filter cannot be bypassed.
#pragma once

#include <QLineEdit>

namespace mv {

struct KeyFilterRules {
    bool allowMinus = true;  // "-" accepted at all
    bool minusOnce = true;   // a second "-" is discarded
    bool allowPoint = true;  // "." accepted (always once only)
};

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(KeyFilterRules rules, QWidget* parent = nullptr);

    // Decides what a key does; shared with DimensionField.
    enum class KeyVerdict { Accept, Discard, Enter, PassOn };
    static KeyVerdict Classify(const QKeyEvent* e, const QString& text, KeyFilterRules rules);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    KeyFilterRules rules_;
};

// Turns off paste routes that would bypass a key filter (context menu, drop, middle click).
void SealAgainstPaste(QLineEdit* edit);

}  // namespace mv
