// The frame and cylinder dimension dialogs. Both hold no data of their own: the fields read the
// model when the dialog is shown and write it back when they lose the focus.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

#include "dialogs/dimension_field.hpp"
#include "model/model.hpp"

class QPushButton;

namespace mv {

class DimensionDialog : public QDialog {
    Q_OBJECT
public:
    DimensionField* Field(int n) const;       // 1-based field number
    QPushButton* GraphicButton(int n) const;  // 1-based
    QPushButton* CloseButton() const { return close_; }
    QPushButton* ResetButton() const { return reset_; }
    int FieldCount() const { return static_cast<int>(fields_.size()); }

    // Labels drawn on the dialog surface, with their design positions.
    struct Label {
        QString text;
        int x, y;
    };
    const std::vector<Label>& Labels() const { return labels_; }

    void FormActivate();
    void Close1Click();

protected:
    DimensionDialog(Model& m, const QString& caption, QWidget* parent);

    // Builds field n (dimension id) with its small button; rects in design pixels.
    void AddRow(DimensionId id, QRect field, QRect button);
    void AddLabel(const QString& text, int x, int y) { labels_.push_back({text, x, y}); }
    void PlaceButtons(QRect reset, const QString& resetCaption, QRect close);
    void FitLabelFont();

    // Dialog-specific reset: the defaults of the dialog's record.
    virtual void ApplyDefaults() = 0;
    void ResetMouseDown();
    void ResetClick();

    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

    Model& m_;
    std::vector<DimensionField*> fields_;
    std::vector<QPushButton*> buttons_;
    QPushButton* reset_ = nullptr;
    QPushButton* close_ = nullptr;

private:
    void ApplyScale();
    void Reset();
    std::vector<Label> labels_;
    std::vector<std::pair<QWidget*, QRect>> design_;
    float scaleX_ = 1, scaleY_ = 1;
    QFont labelFont_;
};

// "Frame Dimensions": the 27 frame and linkage dimensions.
class TFrameDi : public DimensionDialog {
    Q_OBJECT
public:
    explicit TFrameDi(Model& m, QWidget* parent = nullptr);
    void ResetFrameMouseDown() { ResetMouseDown(); }
    void ResetFrameClick() { ResetClick(); }

protected:
    void ApplyDefaults() override;
};

// "Cylinder Dimensions": the 22 cylinder and valve dimensions.
class TCylDimen : public DimensionDialog {
    Q_OBJECT
public:
    explicit TCylDimen(Model& m, QWidget* parent = nullptr);
    void Reset1MouseDown() { ResetMouseDown(); }
    void ResetCylClick() { ResetClick(); }

protected:
    void ApplyDefaults() override;
};

}  // namespace mv
