#include "design/sensitivity_window.hpp"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <limits>
#include <optional>

#include "analysis/parallel.hpp"
#include "design/sensitivity_charts.hpp"
#include "model/dimensions.hpp"
#include "model/text.hpp"

namespace mv {

namespace {

constexpr int kBars = 12;  // dimensions in the bar chart
constexpr int kCut = static_cast<int>(StudyEvent::Cutoff);
constexpr int kLead = static_cast<int>(StudyEvent::Lead);

enum RankColumn { RcRank, RcId, RcName, RcValue, RcScore, RcFront, RcRear, RcCount };
enum TolInputColumn { TiId, TiName, TiValue, TiTol, TiCount };

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString Significant(const std::optional<double>& v, int digits = 4) {
    return v ? Q(FormatSignificant(*v, digits)) : QString::fromUtf8(kAbsentText);
}

// Sorts by a number kept beside the shown text, so "10" follows "9" and absent values (key
// below every real one) go to the end of a descending sort.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double key) : QTableWidgetItem(text) {
        setData(Qt::UserRole, key);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QTableWidgetItem* TextItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setSelectionMode(QAbstractItemView::ContiguousSelection);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

// Largest |d(event)| over the cells of one end.
std::optional<double> LargestAbs(const DimensionSensitivity& s, bool front, int event) {
    std::optional<double> out;
    for (const DerivativeCell& c : s.cells) {
        const auto& d = (front ? c.front : c.rear).d[event];
        if (d && (!out || std::fabs(*d) > *out)) out = std::fabs(*d);
    }
    return out;
}

}  // namespace

struct TSensitivity::Job {
    enum class Kind { Ranking, Tolerance };
    Kind kind = Kind::Ranking;
    Gear gear;
    std::vector<float> notches;
    Directions dirs = Directions::Both;
    ToleranceOptions tol;
    int generation = 0;
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{0};
    SensitivityResult ranking;
    ToleranceResult tolerance;
};

TSensitivity::TSensitivity(Model& m, QWidget* parent) : QDialog(parent), m_(m) {
    setWindowTitle("Sensitivity");
    setObjectName("TSensitivity");

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Notches:", this));
    notches_ = new QLineEdit("0.25, 0.5, 0.75, 1", this);
    notches_->setObjectName("EditNotches");
    notches_->setToolTip(
        "Fractions of \"Rev Arm to Cent Max\" from mid gear, 0 to 1, separated by commas");
    top->addWidget(notches_, 1);
    top->addWidget(new QLabel("Direction:", this));
    direction_ = new QComboBox(this);
    direction_->setObjectName("ComboDirection");
    direction_->addItems({"Both", "Forward", "Reverse"});
    top->addWidget(direction_);
    layout->addLayout(top);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("Tabs");
    auto* rankTab = new QWidget(tabs_);
    auto* tolTab = new QWidget(tabs_);
    BuildRankingTab(rankTab);
    BuildToleranceTab(tolTab);
    tabs_->addTab(rankTab, "Ranking");
    tabs_->addTab(tolTab, "Tolerance");
    layout->addWidget(tabs_, 1);

    auto* bottom = new QHBoxLayout;
    progress_ = new QProgressBar(this);
    progress_->setObjectName("Progress");
    progress_->setRange(0, 1);
    progress_->setValue(0);
    btnCancel_ = new QPushButton("Cancel", this);
    btnCancel_->setObjectName("BtnCancel");
    btnCancel_->setEnabled(false);
    btnCopy_ = new QPushButton("Copy", this);
    btnCopy_->setObjectName("BtnCopy");
    btnCopy_->setToolTip("Copy the results of this tab to the clipboard as CSV");
    auto* btnClose = new QPushButton("Close", this);
    btnClose->setObjectName("BtnClose");
    bottom->addWidget(progress_, 1);
    bottom->addWidget(btnCancel_);
    bottom->addWidget(btnCopy_);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);
    status_ = new QLabel(this);
    status_->setObjectName("LblStatus");
    status_->setWordWrap(true);
    layout->addWidget(status_);

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] { UpdateProgress(); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { CancelWork(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCopy_, &QPushButton::clicked, this, [this] {
        const bool rank = tabs_->currentIndex() == 0;
        const std::string text = rank ? SensitivityCsv(ranking_) : ToleranceCsv(tolerance_);
        QGuiApplication::clipboard()->setText(Q(text));
    });

    // The window lives as long as the program; the model must not call into one that has gone.
    QPointer<TSensitivity> self(this);
    m_.AddListener([self](ModelEvent e) {
        if (self && e == ModelEvent::DimensionsChanged) {
            self->stale_ = true;
            ++self->generation_;
        }
    });
    resize(1100, 720);
}

TSensitivity::~TSensitivity() {
    if (thread_) {
        job_->cancel = true;
        thread_->wait();
        delete thread_;
    }
}

void TSensitivity::BuildRankingTab(QWidget* tab) {
    auto* layout = new QVBoxLayout(tab);
    auto* about = new QLabel(
        "Effect of each dimension on the front/rear cut-off imbalance: the largest |d(front "
        "cut-off \u2212 rear cut-off)/d(dimension)| over the notches, in per cent of the stroke "
        "per unit (per degree for the offset angle). Central differences with a step of 0.1 % of "
        "the dimension (at least 0.01 % of the stroke; 0.001\u00b0 for the offset angle); after "
        "each change mid gear is recomputed, and the events are taken at mid gear \u00b1 notch "
        "\u00d7 \"Rev Arm to Cent Max\".",
        tab);
    about->setWordWrap(true);
    layout->addWidget(about);

    auto* split = new QSplitter(Qt::Horizontal, tab);
    rankTable_ =
        MakeTable(split, "TableRanking",
                  {"Rank", "Id", "Dimension", "Value", "Score", "Front cut-off", "Rear cut-off"});
    rankTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const char* tips[RcCount] = {
        "Place by score, largest first",
        "Dimension id",
        "Dimension",
        "Current value",
        "Largest |d(front cut-off - rear cut-off)| over the notches, % of stroke per unit",
        "Largest |d(front cut-off)| over the notches, % of stroke per unit",
        "Largest |d(rear cut-off)| over the notches, % of stroke per unit"};
    for (int c = 0; c < RcCount; ++c) rankTable_->horizontalHeaderItem(c)->setToolTip(tips[c]);
    rankTable_->setSortingEnabled(true);
    rankChart_ = MakeStudyChartView(split, "ChartRanking",
                                    "|d(front \u2212 rear cut-off)/d(dimension)|, largest first");
    rankChart_->chart()->legend()->hide();
    split->addWidget(rankTable_);
    split->addWidget(rankChart_);
    rankTable_->horizontalHeader()->setStretchLastSection(false);
    split->setSizes({660, 420});
    layout->addWidget(split, 1);

    auto* buttons = new QHBoxLayout;
    btnRank_ = new QPushButton("Compute", tab);
    btnRank_->setObjectName("BtnRank");
    btnRank_->setToolTip("Compute the derivatives and the ranking for the current dimensions");
    buttons->addWidget(btnRank_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(btnRank_, &QPushButton::clicked, this, [this] { StartRanking(); });
}

void TSensitivity::BuildToleranceTab(QWidget* tab) {
    auto* layout = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;
    auto* explain = new QLabel(
        "Tolerances: each dimension varies uniformly in value \u00b1 T (leave empty for an "
        "exact part).",
        tab);
    explain->setWordWrap(true);
    left->addWidget(explain);
    tolInput_ = MakeTable(tab, "TableTolerances", {"Id", "Dimension", "Value", "\u00b1 T"});
    tolInput_->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::SelectedClicked |
                               QAbstractItemView::AnyKeyPressed);
    tolInput_->setSelectionMode(QAbstractItemView::SingleSelection);
    const std::vector<DimensionId> ids = AllDimensionIds();
    tolInput_->setRowCount(static_cast<int>(ids.size()));
    for (int r = 0; r < static_cast<int>(ids.size()); ++r) {
        tolInput_->setItem(r, TiId, new NumberItem(QString::number(ids[r]), ids[r]));
        tolInput_->setItem(r, TiName, TextItem(FindDimension(ids[r])->shortName));
        tolInput_->setItem(r, TiValue, new NumberItem(QString(), 0));
        auto* t = new QTableWidgetItem;
        t->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tolInput_->setItem(r, TiTol, t);
    }
    left->addWidget(tolInput_, 1);

    auto* form = new QGridLayout;
    pinClearance_ = new QLineEdit(tab);
    pinClearance_->setObjectName("EditPinClearance");
    pinClearance_->setToolTip(
        "Worn pins, clearance C: the main rod, both parts of the eccentric rod, the radius hanger, "
        "guide link, transmission yoke, valve connecting rod and the auxiliary reach rod (rods "
        "with a pin at each end) vary by \u00b12C in length");
    samples_ = new QSpinBox(tab);
    samples_->setObjectName("SpinSamples");
    samples_->setRange(1, kMaxToleranceSamples);
    samples_->setValue(1000);
    seed_ = new QDoubleSpinBox(tab);
    seed_->setObjectName("SpinSeed");
    seed_->setDecimals(0);
    seed_->setRange(0, static_cast<double>(kMaxStudySeed));
    seed_->setValue(1);
    seed_->setToolTip("The same seed gives the same samples (0 to 4294967295)");
    lever_ = new QComboBox(tab);
    lever_->setObjectName("ComboLever");
    lever_->addItems({"Reset mid gear for each sample", "Keep the gear's settings"});
    lever_->setToolTip(
        "Reset: each sample finds its own mid gear and takes the notches from it, as a fitter "
        "sets up the gear he has made. Keep: every sample runs at the reverse-arm settings of "
        "the gear as drawn, so a part error that moves mid gear shows in the events.");
    form->addWidget(new QLabel("Pin clearance:", tab), 0, 0);
    form->addWidget(pinClearance_, 0, 1);
    form->addWidget(new QLabel("Samples:", tab), 1, 0);
    form->addWidget(samples_, 1, 1);
    form->addWidget(new QLabel("Seed:", tab), 2, 0);
    form->addWidget(seed_, 2, 1);
    form->addWidget(new QLabel("Reverse arm:", tab), 3, 0);
    form->addWidget(lever_, 3, 1);
    left->addLayout(form);
    btnTolerance_ = new QPushButton("Run", tab);
    btnTolerance_->setObjectName("BtnTolerance");
    btnTolerance_->setToolTip("Run the Monte Carlo with these tolerances");
    left->addWidget(btnTolerance_);
    connect(btnTolerance_, &QPushButton::clicked, this, [this] { StartTolerance(); });

    auto* right = new QSplitter(Qt::Vertical, tab);
    auto* chartBox = new QWidget(right);
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    relative_ = new QCheckBox("Show the change from the gear's own cut-off", chartBox);
    relative_->setObjectName("CheckRelative");
    relative_->setChecked(true);
    relative_->setToolTip(
        "On: each box is the samples' cut-off minus that of the gear as drawn, so the spread "
        "is easy to read. Off: the cut-off itself, so front and rear can be compared.");
    chartLayout->addWidget(relative_);
    tolChart_ = MakeStudyChartView(chartBox, "ChartTolerance", "Spread of cut-off per notch");
    chartLayout->addWidget(tolChart_, 1);
    connect(relative_, &QCheckBox::toggled, this, [this] { DrawToleranceChart(); });
    tolTable_ = MakeTable(right, "TableSpread",
                          {"Dir", "Notch", "End", "Failed", "n", "Cut-off min", "mean", "max",
                           "std", "Lead min", "Lead max"});
    tolTable_->horizontalHeaderItem(4)->setToolTip(
        "Samples in the cut-off figures: those that did not fail in the row and have a cut-off");
    tolTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    right->addWidget(chartBox);
    right->addWidget(tolTable_);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);

    auto* leftBox = new QWidget(tab);
    leftBox->setLayout(left);
    auto* split = new QSplitter(Qt::Horizontal, tab);
    split->addWidget(leftBox);
    split->addWidget(right);
    split->setSizes({400, 680});
    layout->addWidget(split);
}

QChart* TSensitivity::rankingChart() const {
    return rankChart_->chart();
}

QChart* TSensitivity::toleranceChart() const {
    return tolChart_->chart();
}

bool TSensitivity::Running() const {
    return thread_ != nullptr;
}

void TSensitivity::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    for (int r = 0; r < tolInput_->rowCount(); ++r) {
        const auto id =
            static_cast<DimensionId>(tolInput_->item(r, TiId)->data(Qt::UserRole).toUInt());
        const float v = GetDimension(m_, id);
        tolInput_->item(r, TiValue)->setText(Q(FormatFixed(v, 0, 4)));
        tolInput_->item(r, TiValue)->setData(Qt::UserRole, static_cast<double>(v));
    }
    // Show the window first, then start: the ranking of the current gear is what it opens on.
    if (stale_ && !Running())
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && stale_ && !Running()) StartRanking();
        });
}

void TSensitivity::reject() {
    CancelWork();
    QDialog::reject();
}

void TSensitivity::SetStatus(const QString& text, bool error) {
    status_->setText(text);
    status_->setStyleSheet(error ? "color: #c00000" : "");
}

bool TSensitivity::ReadNotches(std::vector<float>& notches, Directions& dirs) {
    std::string error;
    if (!ParseNotchList(notches_->text().toStdString(), notches, error)) {
        SetStatus("Notches: " + Q(error), true);
        notches_->setFocus();
        return false;
    }
    const int d = direction_->currentIndex();
    dirs = d == 1 ? Directions::Forward : d == 2 ? Directions::Reverse : Directions::Both;
    return true;
}

bool TSensitivity::StartRanking() {
    if (Running()) {
        SetStatus("A study is running; cancel it first.", true);
        return false;
    }
    auto job = std::make_shared<Job>();
    job->kind = Job::Kind::Ranking;
    if (!ReadNotches(job->notches, job->dirs)) return false;
    Launch(job, "Computing the sensitivity of every dimension\u2026");
    return true;
}

bool TSensitivity::StartTolerance() {
    if (Running()) {
        SetStatus("A study is running; cancel it first.", true);
        return false;
    }
    auto job = std::make_shared<Job>();
    job->kind = Job::Kind::Tolerance;
    if (!ReadNotches(job->tol.notches, job->tol.directions)) return false;
    for (int r = 0; r < tolInput_->rowCount(); ++r) {
        const QString text = tolInput_->item(r, TiTol)->text().trimmed();
        if (text.isEmpty()) continue;
        double t = 0;
        const QString problem = !ParseStrict(text.toStdString(), t) ? "is not a number"
                                : std::fabs(t) > std::numeric_limits<float>::max() ? "is too large"
                                : t < 0 ? "must be 0 or more"
                                        : QString();
        if (!problem.isEmpty()) {
            SetStatus(QString("Tolerance of %1: '%2' %3")
                          .arg(tolInput_->item(r, TiName)->text(), text, problem),
                      true);
            tolInput_->setCurrentCell(r, TiTol);
            tolInput_->setFocus();
            return false;
        }
        const auto id =
            static_cast<DimensionId>(tolInput_->item(r, TiId)->data(Qt::UserRole).toUInt());
        job->tol.tolerances.push_back({id, static_cast<float>(t)});
    }
    const QString clearance = pinClearance_->text().trimmed();
    if (!clearance.isEmpty()) {
        double c = 0;
        const QString problem = !ParseStrict(clearance.toStdString(), c) ? "is not a number"
                                : std::fabs(c) > std::numeric_limits<float>::max() ? "is too large"
                                : c < 0 ? "must be 0 or more"
                                        : QString();
        if (!problem.isEmpty()) {
            SetStatus(QString("Pin clearance: '%1' %2").arg(clearance, problem), true);
            pinClearance_->setFocus();
            return false;
        }
        job->tol.pinClearance = static_cast<float>(c);
    }
    if (job->tol.tolerances.empty() && clearance.isEmpty()) {
        SetStatus("Give a tolerance (\u00b1 T) for at least one dimension, or a pin clearance.",
                  true);
        return false;
    }
    job->tol.samples = samples_->value();
    job->tol.seed = static_cast<std::uint64_t>(seed_->value());
    job->tol.lever = lever_->currentIndex() == 1 ? ToleranceLever::Fixed : ToleranceLever::Reset;
    job->tol.keepCutoffs = true;
    // The same rules as the command line's (nothing that varies, id 26, the seed's range).
    if (const std::string why = CheckToleranceOptions(job->tol); !why.empty()) {
        std::string text = why;
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        SetStatus(Q(text + "."), true);
        return false;
    }
    Launch(job, QString("Running %1 samples\u2026").arg(job->tol.samples));
    return true;
}

// The study of a job, on the worker thread.
void TSensitivity::Compute(Job& job) {
    StudyControl control;
    control.cancel = &job.cancel;
    control.progress = [&job](std::size_t done, std::size_t total) {
        job.total.store(total, std::memory_order_relaxed);
        std::size_t seen = job.done.load(std::memory_order_relaxed);
        while (done > seen && !job.done.compare_exchange_weak(seen, done)) {
        }
    };
    if (job.kind == Job::Kind::Ranking) {
        const std::vector<DimensionId> ids = AllDimensionIds();
        job.ranking = ComputeSensitivity(job.gear, ids, job.notches, job.dirs, control);
    } else {
        job.tolerance = ComputeTolerance(job.gear, job.tol, control);
    }
}

void TSensitivity::Launch(const std::shared_ptr<Job>& job, const QString& what) {
    job->gear = static_cast<const Gear&>(m_);
    job->generation = generation_;
    job_ = job;
    thread_ = QThread::create([job] {
        // The studies report their own failures; what is left (memory for the ids) must not
        // leave the thread either.
        try {
            Compute(*job);
        } catch (...) {
            (job->kind == Job::Kind::Ranking ? job->ranking.error : job->tolerance.error) =
                ExceptionText(std::current_exception());
        }
    });
    connect(thread_, &QThread::finished, this, [this, job] { Finished(job); });
    progress_->setRange(0, 0);  // busy until the first unit is done
    btnCancel_->setEnabled(true);
    btnRank_->setEnabled(false);
    btnTolerance_->setEnabled(false);
    SetStatus(what);
    progressTimer_->start();
    thread_->start();
}

void TSensitivity::UpdateProgress() {
    if (!job_) return;
    const std::size_t total = job_->total.load(std::memory_order_relaxed);
    if (total == 0) return;
    const std::size_t done = job_->done.load(std::memory_order_relaxed);
    progress_->setRange(0, static_cast<int>(total));
    progress_->setValue(static_cast<int>(std::min(done, total)));
}

void TSensitivity::CancelWork() {
    if (job_) job_->cancel = true;
}

void TSensitivity::Finished(const std::shared_ptr<Job>& job) {
    if (job != job_) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    job_.reset();
    progressTimer_->stop();
    progress_->setRange(0, 1);
    progress_->setValue(job->cancel ? 0 : 1);
    btnCancel_->setEnabled(false);
    btnRank_->setEnabled(true);
    btnTolerance_->setEnabled(true);

    const bool cancelled =
        job->kind == Job::Kind::Ranking ? job->ranking.cancelled : job->tolerance.cancelled;
    if (cancelled) {
        SetStatus("Cancelled; the results shown are those of the last finished study.");
        return;
    }
    const std::string& error =
        job->kind == Job::Kind::Ranking ? job->ranking.error : job->tolerance.error;
    if (!error.empty()) {
        SetStatus("The study could not run: " + Q(error) +
                      ". The results shown are those of the last finished study.",
                  true);
        return;
    }
    if (job->kind == Job::Kind::Ranking) {
        ranking_ = std::move(job->ranking);
        stale_ = job->generation != generation_;
        ShowRanking();
    } else {
        tolerance_ = std::move(job->tolerance);
        ShowTolerance();
    }
}

void TSensitivity::ShowRanking() {
    rankTable_->setSortingEnabled(false);
    rankTable_->setRowCount(static_cast<int>(ranking_.ranking.size()));
    for (int r = 0; r < static_cast<int>(ranking_.ranking.size()); ++r) {
        const RankEntry& e = ranking_.ranking[r];
        const auto it = std::find_if(ranking_.rows.begin(), ranking_.rows.end(),
                                     [&e](const DimensionSensitivity& s) { return s.id == e.id; });
        const DimensionSensitivity& s = *it;
        const auto front = LargestAbs(s, true, kCut);
        const auto rear = LargestAbs(s, false, kCut);
        rankTable_->setItem(r, RcRank, new NumberItem(QString::number(r + 1), r + 1));
        rankTable_->setItem(r, RcId, new NumberItem(QString::number(e.id), e.id));
        rankTable_->setItem(r, RcName, TextItem(FindDimension(e.id)->shortName));
        rankTable_->setItem(r, RcValue, new NumberItem(Q(FormatFixed(s.value, 0, 4)), s.value));
        rankTable_->setItem(r, RcScore, new NumberItem(Significant(e.score), e.score.value_or(-1)));
        rankTable_->setItem(r, RcFront, new NumberItem(Significant(front), front.value_or(-1)));
        rankTable_->setItem(r, RcRear, new NumberItem(Significant(rear), rear.value_or(-1)));
        if (!e.score) {
            for (int c = 0; c < RcCount; ++c) {
                rankTable_->item(r, c)->setToolTip(
                    "No score: a geometry error or a missing cut-off at every notch");
            }
        }
    }
    rankTable_->setSortingEnabled(true);
    rankTable_->sortByColumn(RcRank, Qt::AscendingOrder);

    PlotRanking(rankChart_->chart(), ranking_, kBars);

    int nulls = 0;
    for (const RankEntry& e : ranking_.ranking) nulls += !e.score;
    SetStatus(
        QString("Ranking of %1 dimensions from %2 event rows%3.")
            .arg(ranking_.rows.size())
            .arg(ranking_.eventRows)
            .arg(nulls ? QString("; %1 without a score (geometry error or no cut-off)").arg(nulls)
                       : QString()));
}

int TSensitivity::DrawToleranceChart() {
    return PlotCutoffSpread(tolChart_->chart(), tolerance_, relative_->isChecked());
}

void TSensitivity::ShowTolerance() {
    const ToleranceResult& t = tolerance_;
    tolTable_->setRowCount(static_cast<int>(2 * t.rows.size()));
    int r = 0;
    for (const ToleranceRow& row : t.rows) {
        for (bool front : {true, false}) {
            const EndStats& e = front ? row.front : row.rear;
            const auto& cut = e.events[kCut];
            const auto& lead = e.events[kLead];
            auto num = [](const std::optional<EventStats>& s, double EventStats::*f, int decimals) {
                return s ? Q(FormatFixed((*s).*f, 0, decimals)) : QString::fromUtf8(kAbsentText);
            };
            // n: the samples in the cut-off figures, which for a cut-off the gear itself lacks
            // are only those that have one.
            const QString cells[] = {SweepDirectionText(row.direction),
                                     Q(NotchText(row.notch)),
                                     front ? "front" : "rear",
                                     QString::number(row.failed),
                                     QString::number(cut ? cut->count : 0),
                                     num(cut, &EventStats::min, 2),
                                     num(cut, &EventStats::mean, 2),
                                     num(cut, &EventStats::max, 2),
                                     num(cut, &EventStats::std, 3),
                                     num(lead, &EventStats::min, 4),
                                     num(lead, &EventStats::max, 4)};
            for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) {
                QTableWidgetItem* item = c < 3 ? TextItem(cells[c]) : new NumberItem(cells[c], 0);
                tolTable_->setItem(r, c, item);
            }
            ++r;
        }
    }

    const int skipped = DrawToleranceChart();

    QString text = QString(
                       "%1 samples, seed %2, %3: %4 failed in at least one row (geometry error "
                       "or a lost event) and are left out of that row's figures.")
                       .arg(t.samples)
                       .arg(t.seed)
                       .arg(t.lever == ToleranceLever::Fixed ? "at the gear's reverse-arm settings"
                                                             : "mid gear reset for each")
                       .arg(t.failed);
    if (skipped) text += QString(" %1 rows without cut-offs are not plotted.").arg(skipped);
    bool figures = false;
    for (const ToleranceRow& row : t.rows)
        for (const EndStats* e : {&row.front, &row.rear})
            for (const auto& st : e->events) figures |= st.has_value();
    if (t.samples > 0 && !figures)
        text += " Every sample failed in every row: there are no figures to show.";
    SetStatus(text, t.failed > 0);
}

}  // namespace mv
