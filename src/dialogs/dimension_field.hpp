// One dimension of the gear in a dimension dialog: a small borderless numeric box that filters
// keys as they are typed and commits the dimension to the model whenever it loses the focus.
#pragma once

#include <QString>

#include "dialogs/number_edit.hpp"
#include "model/model.hpp"

namespace mv {

class DimensionField : public NumberEdit {
    Q_OBJECT
public:
    DimensionField(Model& m, DimensionId id, QWidget* parent = nullptr);

    DimensionId Id() const { return id_; }
    // Enter moves the focus here (the dialog's Close button), which commits the field.
    void SetEnterTarget(QWidget* target) { enterTarget_ = target; }

    // Shows the model's value ("5:3", at most 10 characters).
    void Fill();
    // Stores the field into the model through the dimension commit path.
    void Commit();

    // Offset angle and the two reverse-arm limits are plain settings: typing in them never
    // opens an undo entry.
    bool IsPlainSetting() const { return id_ == 25 || id_ == 26 || id_ == 27; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    Model& m_;
    DimensionId id_;
    QWidget* enterTarget_ = nullptr;
    QString filled_;  // text as last filled from the model
};

}  // namespace mv
