// "New Gear": the designer types a locomotive's basic data (stroke, wheel, main rod, cylinder,
// valve); Make runs the procedure of analysis/new_gear.hpp on a worker thread with progress and
// Cancel, and shows each target with the value reached. Open makes the new gear the working gear
// (untitled) through the main window, which first offers to save changed dimensions. Nothing
// else touches the model.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <stop_token>
#include <thread>

#include "analysis/new_gear.hpp"
#include "model/model.hpp"

class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace mv {

class TNewGear : public QDialog {
    Q_OBJECT
public:
    explicit TNewGear(QWidget* parent = nullptr);
    ~TNewGear() override;

    // Makes the gear the working gear; false when the user cancelled (at the save prompt).
    std::function<bool(const Gear&)> openGear;

    // The basic data the fields describe; nothing, with the reason in `error`, when a field is
    // not valid.
    std::optional<BasicData> Data(QString& error) const;

    void MakeClick();
    void CancelClick();
    void OpenClick();

    bool Running() const { return running_; }
    const NewGearResult* Result() const { return result_ ? &*result_ : nullptr; }

Q_SIGNALS:
    void Finished();
    // Sent by the worker thread only.
    void WorkerProgress(int evaluations, int maxEvaluations);
    void WorkerFinished();

protected:
    void reject() override;

private:
    QLineEdit* AddField(QGridLayout* grid, int row, const char* name, const char* label,
                        const char* tip);
    void ShowDefaults();
    void OnProgress(int evaluations, int maxEvaluations);
    void OnFinished();
    void ShowResult();
    void UpdateButtons();

    QLineEdit *stroke_ = nullptr, *driver_ = nullptr, *mainRod_ = nullptr;
    QLineEdit *centre_ = nullptr, *height_ = nullptr, *bore_ = nullptr;
    QLineEdit *travel_ = nullptr, *lap_ = nullptr, *exhaustLap_ = nullptr, *lead_ = nullptr;
    QLineEdit *port_ = nullptr, *bridge_ = nullptr, *exhaustPort_ = nullptr, *cutoff_ = nullptr;
    QSpinBox* evaluations_ = nullptr;
    QDoubleSpinBox* seed_ = nullptr;
    QPushButton *make_ = nullptr, *cancel_ = nullptr, *open_ = nullptr, *close_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* targets_ = nullptr;
    QLabel* differences_ = nullptr;
    QLabel* reasons_ = nullptr;

    bool running_ = false;
    std::jthread worker_;
    std::optional<NewGearResult> result_;
    std::optional<NewGearResult> workerResult_;  // written by the worker, read after the join
};

}  // namespace mv
