// "Scale Gear": asks for the factor by which every length of the gear is multiplied, or for the
// stroke the scaled gear is to have; the two fields follow each other.
#pragma once

#include <QDialog>
#include <optional>

#include "model/model.hpp"

class QDialogButtonBox;
class QLabel;
class QLineEdit;

namespace mv {

class TScaleGear : public QDialog {
    Q_OBJECT
public:
    TScaleGear(const Gear& g, QWidget* parent = nullptr);

    // The factor typed (or worked out from the stroke typed); nothing while it is not one the
    // gear can be scaled by.
    std::optional<double> Factor() const { return factor_; }

private:
    void FactorEdited();
    void StrokeEdited();
    void Check(const std::optional<double>& k);

    const Gear& g_;
    QLineEdit* factorEdit_ = nullptr;
    QLineEdit* strokeEdit_ = nullptr;
    QLabel* status_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::optional<double> factor_;
};

// Runs the dialog; the factor when the user pressed OK.
std::optional<double> AskScaleFactor(QWidget* parent, const Gear& g);

}  // namespace mv
