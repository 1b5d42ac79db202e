// The "Sensitivity" window: which dimensions must be made accurately (a ranking by their effect
// on the front/rear cut-off imbalance, as a sortable table and a bar chart) and what parts made
// to a tolerance or worn pins do to the cut-off (a Monte Carlo shown as a box plot per notch).
// Both studies run on a worker thread over a copy of the gear, with progress and Cancel; the
// window never writes the model.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

#include "analysis/sensitivity.hpp"
#include "analysis/tolerance.hpp"
#include "model/model.hpp"

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QThread;
class QTimer;

namespace mv {

class TSensitivity : public QDialog {
    Q_OBJECT

public:
    explicit TSensitivity(Model& m, QWidget* parent = nullptr);
    ~TSensitivity() override;

    // Start a study with the inputs shown; false (and the reason in the status line) when an
    // input is bad or a study is already running.
    bool StartRanking();
    bool StartTolerance();
    void CancelWork();
    bool Running() const;

    const SensitivityResult& rankingResult() const { return ranking_; }
    const ToleranceResult& toleranceResult() const { return tolerance_; }
    QChart* rankingChart() const;
    QChart* toleranceChart() const;

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;  // Escape and the close box cancel a running study first

private:
    struct Job;
    void BuildRankingTab(QWidget* tab);
    void BuildToleranceTab(QWidget* tab);
    bool ReadNotches(std::vector<float>& notches, Directions& dirs);
    static void Compute(Job& job);
    void Launch(const std::shared_ptr<Job>& job, const QString& what);
    void Finished(const std::shared_ptr<Job>& job);
    void ShowRanking();
    void ShowTolerance();
    int DrawToleranceChart();  // returns the rows left out
    void SetStatus(const QString& text, bool error = false);
    void UpdateProgress();

    Model& m_;
    SensitivityResult ranking_;
    ToleranceResult tolerance_;
    bool stale_ = true;   // the dimensions changed since the ranking was computed
    int generation_ = 0;  // counts dimension changes

    std::shared_ptr<Job> job_;
    QThread* thread_ = nullptr;
    QTimer* progressTimer_ = nullptr;

    QLineEdit* notches_ = nullptr;
    QComboBox* direction_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTableWidget* rankTable_ = nullptr;
    QChartView* rankChart_ = nullptr;
    QPushButton* btnRank_ = nullptr;
    QTableWidget* tolInput_ = nullptr;
    QLineEdit* pinClearance_ = nullptr;
    QSpinBox* samples_ = nullptr;
    QDoubleSpinBox* seed_ = nullptr;  // 0 .. 2^32 - 1: more than a QSpinBox holds
    QComboBox* lever_ = nullptr;
    QPushButton* btnTolerance_ = nullptr;
    QCheckBox* relative_ = nullptr;
    QChartView* tolChart_ = nullptr;
    QTableWidget* tolTable_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QPushButton* btnCopy_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace mv
