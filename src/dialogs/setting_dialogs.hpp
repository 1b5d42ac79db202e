// The small setting dialogs: reverse-arm position, driver angle, step angle, reference points
// and the zoom of the dimension graphic. None of them reports an error; values are clamped.
#pragma once

#include <QDialog>

#include "dialogs/number_edit.hpp"
#include "mainwin/main_controls.hpp"
#include "model/model.hpp"

class QLabel;
class QPushButton;

namespace mv {

// Shared frame of the one-edit setting dialogs: fixed size, "Enter" label, edit, OK and Cancel.
class SettingDialog : public QDialog {
    Q_OBJECT
public:
    NumberEdit* Edit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    virtual void FormActivate() = 0;
    virtual void OKClick() = 0;

protected:
    SettingDialog(const QString& caption, QSize client, KeyFilterRules rules, bool okIsDefault,
                  QWidget* parent);
    QLabel* AddLabel(const QString& text, int x, int y);
    void showEvent(QShowEvent* e) override;

    NumberEdit* edit_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// "Reverse Arm Position"
class TRevPos : public SettingDialog {
    Q_OBJECT
public:
    explicit TRevPos(Model& m, QWidget* parent = nullptr);
    void FormActivate() override;
    void OKClick() override;
    // Label2 .. Label6 (index 2..6).
    QLabel* RangeLabel(int k) const { return labels_[k]; }

private:
    Model& m_;
    QLabel* labels_[7] = {};
};

// "Driver Angle"
class TDrivAng : public SettingDialog {
    Q_OBJECT
public:
    TDrivAng(Model& m, MainControls& controls, QWidget* parent = nullptr);
    void FormActivate() override;
    void OKClick() override;

private:
    Model& m_;
    MainControls& c_;
};

// "Step Angle"
class TStpAng : public SettingDialog {
    Q_OBJECT
public:
    TStpAng(Model& m, MainControls& controls, QWidget* parent = nullptr);
    void FormActivate() override;
    void OKClick() override;

private:
    Model& m_;
    MainControls& c_;
};

// "Set Zoom of Dimensional Graphic Position"
class TGraphZoom : public SettingDialog {
    Q_OBJECT
public:
    explicit TGraphZoom(Model& m, QWidget* parent = nullptr);
    void FormActivate() override;
    void OKClick() override;

private:
    Model& m_;
};

// "Reference Points": the two reference points typed as numbers.
class TRefPnts : public QDialog {
    Q_OBJECT
public:
    TRefPnts(Model& m, MainControls& controls, QWidget* parent = nullptr);
    NumberEdit* Edit(int k) const { return edits_[k - 1]; }  // 1 V1, 2 H1, 3 V2, 4 H2
    QPushButton* OkButton() const { return ok_; }
    QPushButton* ZeroButton() const { return zero_; }
    QPushButton* CancelButton() const { return cancel_; }

    void FormActivate();
    void OKClick();
    void ZeroClick();
    void CancelClick();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    Model& m_;
    MainControls& c_;
    NumberEdit* edits_[4] = {};
    QPushButton* ok_ = nullptr;
    QPushButton* zero_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Clamp that also sends a NaN to the lower limit.
float ClampSetting(float v, float lo, float hi);

}  // namespace mv
