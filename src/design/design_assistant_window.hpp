// "Design Assistant": the user picks dimensions to vary within limits and goals with weights; the
// search runs on a worker thread over a copy of the gear while the animation goes on, and the
// result is shown beside the start. Apply commits each changed dimension as a typed change, so
// "UnDo" takes it back; Discard and Cancel leave the model alone.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "analysis/design_assistant.hpp"
#include "model/model.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace mv {

class TDesignAssistant : public QDialog {
    Q_OBJECT
public:
    explicit TDesignAssistant(Model& m, QWidget* parent = nullptr);
    ~TDesignAssistant() override;

    // The search the widgets describe for the model's present gear; nothing, with the reason in
    // `error`, when a field is not valid.
    std::optional<DesignProblem> Problem(QString& error) const;
    // The rows and direction the widgets describe; nothing, with the reason, when not valid.
    std::optional<RowChoice> Rows(QString& error) const;

    void StartClick();
    void CancelClick();
    void ApplyClick();
    void DiscardClick();
    // Ticks the dimensions the sensitivity ranking puts first (worked out on a thread of its
    // own) and unticks the rest.
    void TickRankedClick();

    bool Running() const { return running_; }
    bool Ranking() const { return ranking_; }
    // The finished search waiting for Apply or Discard.
    const DesignResult* Result() const { return result_ ? &*result_ : nullptr; }
    // The default cut-offs the start gear of that search did not reach, left out of it.
    const std::vector<NotchRow>& LeftOut() const { return leftOut_; }

Q_SIGNALS:
    void Progressed(int evaluations);
    void SearchFinished();
    // Sent by the worker thread only.
    void WorkerProgress(int evaluations, double bestObjective);
    void WorkerFinished();
    void RankingFinished();

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    struct GoalRow {
        QCheckBox* use = nullptr;
        QLineEdit* target = nullptr;  // lead and full-gear-cutoff only
        QLineEdit* weight = nullptr;
    };

    void BuildDimensionTable();
    void RefreshValues();
    void OnProgress(int evaluations, double bestObjective);
    void OnFinished();
    void ShowResult();
    void ClearResult();
    void UpdateButtons();
    bool ModelChangedSinceStart() const;
    void TickDimensions(const std::vector<DimensionId>& ids);

    Model& m_;
    QTableWidget* dims_ = nullptr;
    std::array<GoalRow, kGoalKinds> goals_{};
    QComboBox* rowKind_ = nullptr;  // at cut-offs, at notches
    QLineEdit* cutoffs_ = nullptr;
    QLineEdit* notches_ = nullptr;
    QComboBox* direction_ = nullptr;
    QLineEdit* reverseWeight_ = nullptr;
    QLineEdit* pressure_ = nullptr;  // the steam of the work-balance goal
    QLineEdit* backPressure_ = nullptr;
    QLineEdit* clearance_ = nullptr;
    QLineEdit* minLead_ = nullptr;
    QLineEdit* fullGearDrop_ = nullptr;
    QLineEdit* travelLow_ = nullptr;
    QLineEdit* travelHigh_ = nullptr;
    QSpinBox* evaluations_ = nullptr;
    QLineEdit* seed_ = nullptr;
    QPushButton *start_ = nullptr, *cancel_ = nullptr, *apply_ = nullptr, *discard_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* ranked_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* goalTable_ = nullptr;
    QTableWidget* limitTable_ = nullptr;
    QTableWidget* changes_ = nullptr;
    QTableWidget* before_ = nullptr;
    QTableWidget* after_ = nullptr;

    std::vector<float> shownValues_;  // per table row: the value the limits were made for
    bool running_ = false;
    std::jthread worker_;
    Gear startGear_;         // the gear the running or finished search started from
    DesignProblem problem_;  // and its problem
    std::optional<DesignResult> result_;
    std::vector<NotchRow> leftOut_;
    std::optional<DesignResult> workerResult_;  // written by the worker, read after the join
    bool ranking_ = false;
    std::jthread rankWorker_;
};

}  // namespace mv
