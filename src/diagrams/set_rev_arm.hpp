// "Set Reverse Arm Positions": the list of reverse-arm settings the sine, oval and steam
// diagrams draw, and their vertical scale. Every value lives in the model; the dialog only shows
// and commits them.
#pragma once

#include <QDialog>
#include <array>

#include "mainwin/main_controls.hpp"
#include "model/model.hpp"

class QLineEdit;
class QPushButton;

namespace mv {

class TSetRevArm : public QDialog {
    Q_OBJECT
public:
    TSetRevArm(Model& m, MainControls& controls, QWidget* parent = nullptr);

    // Edit1..Edit9 hold positions 1..9, Edit10 the vertical scale.
    QLineEdit* Edit(int k) const { return edits_[k]; }
    QPushButton* CloseButton() const { return close1_; }
    // Whether the "Rev Arm Position  k" label is drawn (k = 1..9).
    bool RowShown(int k) const { return rowShown_[k]; }

    // Brings the rows, the count and every shown number up to date with the model.
    void PaintDialog();

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    int EditIndex(QObject* o) const;
    void Commit(int k);
    void RevealRow(int k);
    QPoint TextAt(double x, double y) const;

    Model& m_;
    MainControls& controls_;
    std::array<QLineEdit*, 11> edits_{};  // 1..10
    std::array<bool, kRevArmPositions> rowShown_{};
    QPushButton* close1_ = nullptr;
    bool painting_ = false;
};

}  // namespace mv
