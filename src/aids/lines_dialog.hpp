// "Draw Lines": the table of up to 20 construction lines and circles drawn over the mechanism,
// and the picking of their pivots with the mouse on the main picture.
#pragma once

#include <QDialog>
#include <array>

#include "mainwin/main_controls.hpp"
#include "model/model.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace mv {

// What the entry's numbers mean, for the dialog's hint line.
QString DescribeLine(const LineEntry& e);

class TDrawLines : public QDialog {
    Q_OBJECT
public:
    enum Column { kType, kColour, kReference, kP, kQ, kH1, kV1, kH2, kV2, kColumns };

    TDrawLines(Model& m, MainControls& controls, QWidget* parent = nullptr);

    void FormActivate();
    void SelectEntry(int n);  // 1..20
    void ClearLineClick();
    void PickClick();

    QTableWidget* Table() const { return table_; }
    QComboBox* Combo(int row, Column c) const;       // row 0..19; type, colour, reference
    QLineEdit* NumberCell(int row, Column c) const;  // row 0..19; p .. v2
    QPushButton* ClearButton() const { return clear_; }
    QPushButton* PickButton() const { return pick_; }
    QPushButton* CloseButton() const { return close_; }
    QLabel* Hint() const { return hint_; }

    // Whether entry n (1..20) is complete enough to have its pivots picked.
    bool CanPick(int n) const;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void LoadRow(int row, bool force = false);
    void UpdateRow(int row);
    void UpdateCount();
    void UpdateHint();
    void StoreNumber(int row, Column c, const QString& text);
    void TakePick();

    Model& m_;
    MainControls& c_;
    QTableWidget* table_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* pick_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* hint_ = nullptr;
    // The pick under way: which entry and where the reference points were when it began.
    int pickEntry_ = 0;
    std::array<float, 4> pickStart_{};
    QString pickResult_;
};

}  // namespace mv
