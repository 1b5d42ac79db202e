#include "design/design_assistant_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <span>
#include <utility>

#include "analysis/cutoff_rows.hpp"
#include "analysis/sensitivity.hpp"
#include "analysis/study.hpp"
#include "design/design_assistant_tables.hpp"
#include "design/search_worker.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

enum DimColumn { kDimName, kDimValue, kDimLower, kDimUpper, kDimColumns };

// As many as the preset list offers.
constexpr int kRankedDimensions = 8;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool ParseFloat(const QString& text, float& out) {
    double v = 0;
    if (!ParseStrict(text.trimmed().toStdString(), v) ||
        std::fabs(v) > std::numeric_limits<float>::max())
        return false;
    out = static_cast<float>(v);
    return true;
}

// Every dimension a search can vary, the preset list first.
std::vector<DimensionId> TableOrder() {
    std::vector<DimensionId> ids = DesignPresetDimensions();
    auto add = [&ids](std::span<const DimensionInfo> infos) {
        for (const DimensionInfo& d : infos)
            if (IsVariableDimension(d.id) && std::find(ids.begin(), ids.end(), d.id) == ids.end())
                ids.push_back(d.id);
    };
    add(FrameDimensionInfo());
    add(CylinderDimensionInfo());
    return ids;
}

}  // namespace

TDesignAssistant::TDesignAssistant(Model& m, QWidget* parent) : QDialog(parent), m_(m) {
    setWindowTitle(QStringLiteral("Design Assistant"));
    setObjectName(QStringLiteral("TDesignAssistant"));
    auto* layout = new QVBoxLayout(this);

    // What to vary, and toward what.
    auto* setup = new QHBoxLayout;
    auto* dimBox = new QGroupBox(QStringLiteral("Dimensions to vary"), this);
    auto* dimLayout = new QVBoxLayout(dimBox);
    dims_ = MakeTable(dimBox, "TableDimensions",
                      {QStringLiteral("Dimension"), QStringLiteral("Value"),
                       QStringLiteral("Lower"), QStringLiteral("Upper")});
    dims_->horizontalHeader()->setSectionResizeMode(kDimName, QHeaderView::ResizeToContents);
    dims_->setToolTip(
        QStringLiteral("Tick the dimensions the search may change; type their limits"));
    dimLayout->addWidget(dims_);
    ranked_ = new QPushButton(QStringLiteral("Tick the %1 that matter most").arg(kRankedDimensions),
                              dimBox);
    ranked_->setObjectName(QStringLiteral("BtnRanked"));
    ranked_->setToolTip(QStringLiteral(
        "Tick the dimensions whose change moves the front/rear cut-off balance most (the "
        "Sensitivity window's ranking) and untick the rest"));
    dimLayout->addWidget(ranked_, 0, Qt::AlignLeft);
    connect(ranked_, &QPushButton::clicked, this, [this] { TickRankedClick(); });
    setup->addWidget(dimBox, 3);

    auto* right = new QVBoxLayout;
    auto* goalBox = new QGroupBox(QStringLiteral("Goals"), this);
    auto* goalGrid = new QGridLayout(goalBox);
    goalGrid->addWidget(new QLabel(QStringLiteral("Target"), goalBox), 0, 1);
    goalGrid->addWidget(new QLabel(QStringLiteral("Weight"), goalBox), 0, 2);
    static const char* const kGoalTips[kGoalKinds] = {
        "(front cut-off - rear cut-off)^2, per cent of stroke",
        "((front lead - rear lead) / stroke x 100)^2",
        "(front release - rear release)^2, per cent of stroke",
        "(front compression - rear compression)^2, per cent of stroke",
        "both ends' ((lead - target) / stroke x 100)^2; target in dimension units",
        "(mean cut-off at full gear, or the largest notch - target)^2; target in per cent",
        "((full-gear valve travel - target) / stroke x 100)^2; target in dimension units",
        "(front/rear work imbalance of the indicator cards, per cent)^2; steam below",
    };
    static const char* const kTargets[kGoalKinds] = {"", "", "", "", "0.03", "75", "0.8", ""};
    for (int k = 0; k < kGoalKinds; ++k) {
        const auto kind = static_cast<GoalKind>(k);
        GoalRow& g = goals_[static_cast<std::size_t>(k)];
        g.use = new QCheckBox(QString::fromLatin1(GoalName(kind)), goalBox);
        g.use->setObjectName(QStringLiteral("Goal_") + QString::fromLatin1(GoalName(kind)));
        g.use->setToolTip(QString::fromLatin1(kGoalTips[k]) +
                          QStringLiteral(", mean over the rows (reverse rows weighted)"));
        g.use->setChecked(kind == GoalKind::CutoffBalance);
        goalGrid->addWidget(g.use, k + 1, 0);
        if (GoalHasTarget(kind)) {
            g.target = new QLineEdit(QString::fromLatin1(kTargets[k]), goalBox);
            g.target->setObjectName(QStringLiteral("Target_") +
                                    QString::fromLatin1(GoalName(kind)));
            g.target->setMaximumWidth(70);
            goalGrid->addWidget(g.target, k + 1, 1);
        }
        g.weight = new QLineEdit(QStringLiteral("1"), goalBox);
        g.weight->setObjectName(QStringLiteral("Weight_") + QString::fromLatin1(GoalName(kind)));
        g.weight->setMaximumWidth(70);
        goalGrid->addWidget(g.weight, k + 1, 2);
    }
    // The steam of the work-balance goal's cards, in its own row under it.
    auto* steam = new QHBoxLayout;
    const auto steamField = [goalBox](const char* name, const QString& text, const char* tip) {
        auto* e = new QLineEdit(text, goalBox);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(QString::fromLatin1(tip));
        e->setMaximumWidth(60);
        return e;
    };
    const SteamConditions defaults;
    pressure_ = steamField("EditPressure", Q(FloatText(defaults.pressure)),
                           "Steam-chest pressure, absolute");
    backPressure_ = steamField("EditBackPressure", Q(FloatText(defaults.backPressure)),
                               "Exhaust back pressure, absolute, above 0 and below the pressure");
    clearance_ = steamField("EditClearance", Q(FloatText(defaults.clearance)),
                            "Clearance volume, per cent of the swept volume");
    steam->addWidget(new QLabel(QStringLiteral("   steam"), goalBox));
    for (auto [label, field] : {std::pair{"P", pressure_}, std::pair{"B", backPressure_},
                                std::pair{"clearance %", clearance_}}) {
        steam->addWidget(new QLabel(QString::fromLatin1(label), goalBox));
        steam->addWidget(field);
    }
    steam->addStretch(1);
    goalGrid->addLayout(steam, kGoalKinds + 1, 0, 1, 3);
    right->addWidget(goalBox);

    auto* rowBox = new QGroupBox(QStringLiteral("Rows and search"), this);
    auto* rowGrid = new QGridLayout(rowBox);
    rowKind_ = new QComboBox(rowBox);
    rowKind_->setObjectName(QStringLiteral("ComboRows"));
    rowKind_->addItems({QStringLiteral("At cut-offs"), QStringLiteral("At notches")});
    rowKind_->setToolTip(QStringLiteral(
        "Compare the ends where the mean cut-off has chosen values (found again for every gear "
        "tried), or at fixed fractions of the lever's travel"));
    cutoffs_ = new QLineEdit(QStringLiteral("15, 25, 40, 60"), rowBox);
    cutoffs_->setObjectName(QStringLiteral("EditCutoffs"));
    cutoffs_->setToolTip(QStringLiteral(
        "Mean cut-offs in per cent, above 0 and below 100. Of these defaults, those the gear "
        "does not reach in a direction are left out"));
    notches_ = new QLineEdit(QStringLiteral("0.25, 0.5, 0.75, 1"), rowBox);
    notches_->setObjectName(QStringLiteral("EditNotches"));
    notches_->setToolTip(QStringLiteral("Fractions of \"Rev Arm to Cent Max\", 0 to 1"));
    direction_ = new QComboBox(rowBox);
    direction_->setObjectName(QStringLiteral("ComboDirection"));
    direction_->addItems(
        {QStringLiteral("Both"), QStringLiteral("Forward"), QStringLiteral("Reverse")});
    reverseWeight_ =
        new QLineEdit(QString::fromStdString(FloatText(kDefaultReverseWeight)), rowBox);
    reverseWeight_->setObjectName(QStringLiteral("EditReverseWeight"));
    reverseWeight_->setToolTip(
        QStringLiteral("What a reverse row counts in each goal's mean, a forward row 1"));
    evaluations_ = new QSpinBox(rowBox);
    evaluations_->setObjectName(QStringLiteral("SpinEvaluations"));
    evaluations_->setRange(1, kMaxEvaluationsLimit);
    evaluations_->setValue(kDefaultMaxEvaluations);
    seed_ = new QLineEdit(QStringLiteral("1"), rowBox);
    seed_->setObjectName(QStringLiteral("EditSeed"));
    seed_->setToolTip(QStringLiteral(
        "Seed of the restarts, 0 to 4294967295: the same seed gives the same result"));
    auto* rowFields = new QStackedWidget(rowBox);
    rowFields->addWidget(cutoffs_);
    rowFields->addWidget(notches_);
    rowGrid->addWidget(rowKind_, 0, 0);
    rowGrid->addWidget(rowFields, 0, 1);
    rowGrid->addWidget(new QLabel(QStringLiteral("Direction"), rowBox), 1, 0);
    rowGrid->addWidget(direction_, 1, 1);
    rowGrid->addWidget(new QLabel(QStringLiteral("Reverse weight"), rowBox), 2, 0);
    rowGrid->addWidget(reverseWeight_, 2, 1);
    rowGrid->addWidget(new QLabel(QStringLiteral("Evaluations at most"), rowBox), 3, 0);
    rowGrid->addWidget(evaluations_, 3, 1);
    rowGrid->addWidget(new QLabel(QStringLiteral("Seed"), rowBox), 4, 0);
    rowGrid->addWidget(seed_, 4, 1);
    connect(rowKind_, &QComboBox::currentIndexChanged, rowFields, &QStackedWidget::setCurrentIndex);
    right->addWidget(rowBox);

    // What every gear tried must keep. An empty field is the default.
    auto* limitBox = new QGroupBox(QStringLiteral("Limits"), this);
    auto* limitGrid = new QGridLayout(limitBox);
    const auto field = [limitBox](const char* name, const QString& text, const char* tip) {
        auto* e = new QLineEdit(text, limitBox);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(QString::fromUtf8(tip));
        e->setMaximumWidth(90);
        return e;
    };
    minLead_ = field("EditMinLead", QString(),
                     "Every row's lead at both ends at least this (dimension units). Empty: 0, "
                     "or the gear's smallest lead where that is lower");
    minLead_->setPlaceholderText(QStringLiteral("0"));
    fullGearDrop_ = field("EditFullGearDrop", QStringLiteral("2"),
                          "In each direction the mean cut-off at full gear at most this many "
                          "points below the gear's");
    travelLow_ = field("EditTravelLow", QString(),
                       "Full-gear valve travel at least this (dimension units); empty: none");
    travelHigh_ = field("EditTravelHigh", QString(),
                        "Full-gear valve travel at most this (dimension units); empty: none");
    limitGrid->addWidget(new QLabel(QStringLiteral("Lead at least"), limitBox), 0, 0);
    limitGrid->addWidget(minLead_, 0, 1, 1, 3);
    limitGrid->addWidget(new QLabel(QStringLiteral("Full-gear drop at most"), limitBox), 1, 0);
    limitGrid->addWidget(fullGearDrop_, 1, 1, 1, 3);
    limitGrid->addWidget(new QLabel(QStringLiteral("Full-gear travel"), limitBox), 2, 0);
    limitGrid->addWidget(travelLow_, 2, 1);
    limitGrid->addWidget(new QLabel(QStringLiteral("to"), limitBox), 2, 2);
    limitGrid->addWidget(travelHigh_, 2, 3);
    right->addWidget(limitBox);
    right->addStretch(1);
    setup->addLayout(right, 2);
    layout->addLayout(setup, 5);

    auto* run = new QHBoxLayout;
    start_ = new QPushButton(QStringLiteral("Start"), this);
    start_->setObjectName(QStringLiteral("BtnStart"));
    start_->setDefault(true);  // Enter in a field starts the search
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("BtnCancel"));
    cancel_->setToolTip(QStringLiteral("Stop the search and keep the best gear so far"));
    progress_ = new QLabel(QStringLiteral("Start searches a copy of the gear; the animation keeps "
                                          "running and Cancel keeps the best so far."),
                           this);
    progress_->setObjectName(QStringLiteral("LblProgress"));
    run->addWidget(start_);
    run->addWidget(cancel_);
    run->addWidget(progress_, 1);
    layout->addLayout(run);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("LblStatus"));
    status_->setWordWrap(true);
    layout->addWidget(status_);

    // Before and after, side by side.
    auto* summary = new QHBoxLayout;
    goalTable_ = MakeTable(this, "TableGoals",
                           {QStringLiteral("Goal"), QStringLiteral("Weight"),
                            QStringLiteral("Before"), QStringLiteral("After")});
    goalTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    changes_ =
        MakeTable(this, "TableChanges",
                  {QStringLiteral("Dimension"), QStringLiteral("Before"), QStringLiteral("After")});
    changes_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    changes_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    limitTable_ = MakeTable(this, "TableLimits",
                            {QStringLiteral("Limit"), QStringLiteral("Before"),
                             QStringLiteral("After"), QStringLiteral("Kept")});
    limitTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    limitTable_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    goalTable_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    summary->addWidget(goalTable_, 2);
    summary->addWidget(limitTable_, 3);
    summary->addWidget(changes_, 2);
    layout->addLayout(summary, 4);

    auto* events = new QHBoxLayout;
    auto* beforeBox = new QGroupBox(QStringLiteral("Before"), this);
    auto* beforeLayout = new QVBoxLayout(beforeBox);
    before_ = MakeEventTable(beforeBox, "TableBefore");
    beforeLayout->addWidget(before_);
    auto* afterBox = new QGroupBox(QStringLiteral("After"), this);
    auto* afterLayout = new QVBoxLayout(afterBox);
    after_ = MakeEventTable(afterBox, "TableAfter");
    afterLayout->addWidget(after_);
    // Room for the eight rows of the default notches without scrolling.
    const int row = before_->verticalHeader()->defaultSectionSize();
    for (QTableWidget* t : {before_, after_}) t->setMinimumHeight(row * 9 + row / 2 + 4);
    goalTable_->setMinimumHeight(row * 9 + row / 2);
    limitTable_->setMinimumHeight(row * 9 + row / 2);
    changes_->setMinimumHeight(row * 9 + row / 2);
    events->addWidget(beforeBox, 1);
    events->addWidget(afterBox, 1);
    layout->addLayout(events, 4);

    auto* buttons = new QHBoxLayout;
    apply_ = new QPushButton(QStringLiteral("Apply"), this);
    apply_->setObjectName(QStringLiteral("BtnApply"));
    apply_->setToolTip(QStringLiteral("Commit each changed dimension; UnDo takes each back"));
    discard_ = new QPushButton(QStringLiteral("Discard"), this);
    discard_->setObjectName(QStringLiteral("BtnDiscard"));
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("BtnClose"));
    buttons->addWidget(apply_);
    buttons->addWidget(discard_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(this, &TDesignAssistant::WorkerProgress, this, &TDesignAssistant::OnProgress,
            Qt::QueuedConnection);
    connect(this, &TDesignAssistant::WorkerFinished, this, &TDesignAssistant::OnFinished,
            Qt::QueuedConnection);
    connect(start_, &QPushButton::clicked, this, [this] { StartClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelClick(); });
    connect(apply_, &QPushButton::clicked, this, [this] { ApplyClick(); });
    connect(discard_, &QPushButton::clicked, this, [this] { DiscardClick(); });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });
    for (GoalRow& g : goals_) {
        auto enable = [g] {
            if (g.target) g.target->setEnabled(g.use->isChecked());
            g.weight->setEnabled(g.use->isChecked());
        };
        connect(g.use, &QCheckBox::toggled, this, enable);
        enable();
    }
    QCheckBox* work = goals_[static_cast<std::size_t>(GoalKind::WorkBalance)].use;
    auto enableSteam = [this, work] {
        for (QLineEdit* e : {pressure_, backPressure_, clearance_})
            e->setEnabled(work->isChecked());
    };
    connect(work, &QCheckBox::toggled, this, enableSteam);
    enableSteam();

    BuildDimensionTable();
    UpdateButtons();
    resize(1240, 900);
}

TDesignAssistant::~TDesignAssistant() {
    // The worker reads only its own copies; it ends at its next evaluation.
    worker_.request_stop();
    if (worker_.joinable()) worker_.join();
    // The ranking is a fraction of a second of work on a copy: wait for it.
    if (rankWorker_.joinable()) rankWorker_.join();
}

void TDesignAssistant::TickRankedClick() {
    if (ranking_ || running_) return;
    // Ranked at the rows and in the direction the search will use.
    QString error;
    const std::optional<RowChoice> rows = Rows(error);
    if (!rows) {
        status_->setText(error);
        return;
    }
    ranking_ = true;
    UpdateButtons();
    status_->setText(QStringLiteral("Ranking the dimensions by their effect on the cut-offs..."));
    if (rankWorker_.joinable()) rankWorker_.join();
    auto ids = std::make_shared<std::vector<DimensionId>>();
    connect(
        this, &TDesignAssistant::RankingFinished, this,
        [this, ids] {
            if (rankWorker_.joinable()) rankWorker_.join();
            ranking_ = false;
            if (ids->empty()) {
                status_->setText(
                    QStringLiteral("No dimension moves the cut-off balance at these "
                                   "rows; nothing was ticked."));
            } else {
                TickDimensions(*ids);
                status_->setText(QStringLiteral("Ticked the %1 dimensions that matter most.")
                                     .arg(static_cast<int>(ids->size())));
            }
            UpdateButtons();
        },
        Qt::SingleShotConnection);
    rankWorker_ = std::jthread([this, ids, rows = *rows, gear = static_cast<const Gear&>(m_)] {
        try {
            // The ranking also holds dimensions a search does not vary; skip those.
            for (const DimensionId id :
                 TopCutoffImbalanceIds(gear, AllDimensionIds().size(), rows)) {
                if (!IsVariableDimension(id)) continue;
                ids->push_back(id);
                if (ids->size() == static_cast<std::size_t>(kRankedDimensions)) break;
            }
        } catch (const std::exception&) {
            ids->clear();  // out of memory: nothing ticked, said below
        }
        Q_EMIT RankingFinished();
    });
}

void TDesignAssistant::TickDimensions(const std::vector<DimensionId>& ids) {
    for (int i = 0; i < dims_->rowCount(); ++i) {
        QTableWidgetItem* name = dims_->item(i, kDimName);
        const auto id = static_cast<DimensionId>(name->data(Qt::UserRole).toUInt());
        const bool tick = std::find(ids.begin(), ids.end(), id) != ids.end();
        name->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
    }
}

void TDesignAssistant::BuildDimensionTable() {
    const std::vector<DimensionId> ids = TableOrder();
    const std::vector<DimensionId> preset = DesignPresetDimensions();
    dims_->setRowCount(static_cast<int>(ids.size()));
    shownValues_.assign(ids.size(), std::numeric_limits<float>::quiet_NaN());
    for (int i = 0; i < static_cast<int>(ids.size()); ++i) {
        const DimensionId id = ids[static_cast<std::size_t>(i)];
        auto* name = new QTableWidgetItem(DimensionCaption(id));
        name->setData(Qt::UserRole, static_cast<uint>(id));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool inPreset = std::find(preset.begin(), preset.end(), id) != preset.end();
        name->setCheckState(inPreset ? Qt::Checked : Qt::Unchecked);
        dims_->setItem(i, kDimName, name);
        dims_->setItem(i, kDimValue, Cell(QString()));
        dims_->setItem(i, kDimLower, Cell(QString(), true));
        dims_->setItem(i, kDimUpper, Cell(QString(), true));
    }
    RefreshValues();
}

void TDesignAssistant::RefreshValues() {
    // Limits typed for a value stay while the value does; a changed value gets fresh defaults.
    for (int i = 0; i < dims_->rowCount(); ++i) {
        const auto id =
            static_cast<DimensionId>(dims_->item(i, kDimName)->data(Qt::UserRole).toUInt());
        const float v = GetDimension(m_, id);
        dims_->item(i, kDimValue)->setText(Q(FloatText(v)));
        float& shown = shownValues_[static_cast<std::size_t>(i)];
        if (std::bit_cast<std::uint32_t>(shown) == std::bit_cast<std::uint32_t>(v)) continue;
        shown = v;
        const VaryDimension d = DefaultLimits(m_, id);
        dims_->item(i, kDimLower)->setText(Q(FloatText(d.lower)));
        dims_->item(i, kDimUpper)->setText(Q(FloatText(d.upper)));
    }
}

std::optional<DesignProblem> TDesignAssistant::Problem(QString& error) const {
    DesignProblem p;
    for (int i = 0; i < dims_->rowCount(); ++i) {
        const QTableWidgetItem* name = dims_->item(i, kDimName);
        if (name->checkState() != Qt::Checked) continue;
        VaryDimension v{static_cast<DimensionId>(name->data(Qt::UserRole).toUInt()), 0, 0};
        if (!ParseFloat(dims_->item(i, kDimLower)->text(), v.lower) ||
            !ParseFloat(dims_->item(i, kDimUpper)->text(), v.upper)) {
            error = QStringLiteral("%1: the limits must be numbers").arg(name->text());
            return std::nullopt;
        }
        p.vary.push_back(v);
    }
    for (int k = 0; k < kGoalKinds; ++k) {
        const GoalRow& g = goals_[static_cast<std::size_t>(k)];
        if (!g.use->isChecked()) continue;
        DesignGoal goal{static_cast<GoalKind>(k), 0, 1};
        float number = 0;
        if (g.target) {
            if (!ParseFloat(g.target->text(), number)) {
                error = QStringLiteral("Goal %1: the target must be a number")
                            .arg(QString::fromLatin1(GoalName(goal.kind)));
                return std::nullopt;
            }
            goal.target = number;
        }
        if (!ParseFloat(g.weight->text(), number)) {
            error = QStringLiteral("Goal %1: the weight must be a number")
                        .arg(QString::fromLatin1(GoalName(goal.kind)));
            return std::nullopt;
        }
        goal.weight = number;
        p.goals.push_back(goal);
    }
    if (p.goals.empty()) {
        error = QStringLiteral("Tick at least one goal");
        return std::nullopt;
    }
    const std::optional<RowChoice> rows = Rows(error);
    if (!rows) return std::nullopt;
    p.rows = *rows;
    // An empty limit field is its default.
    const auto optional = [&](QLineEdit* e, const char* what, std::optional<double>& out) {
        if (e->text().trimmed().isEmpty()) return true;
        float v = 0;
        if (!ParseFloat(e->text(), v)) {
            error = QStringLiteral("%1 must be a number").arg(QString::fromLatin1(what));
            return false;
        }
        out = v;
        return true;
    };
    std::optional<double> weight, drop, low, high;
    if (!optional(reverseWeight_, "The reverse weight", weight) ||
        !optional(minLead_, "The least lead", p.limits.minLead) ||
        !optional(fullGearDrop_, "The full-gear drop", drop) ||
        !optional(travelLow_, "The least travel", low) ||
        !optional(travelHigh_, "The largest travel", high))
        return std::nullopt;
    if (weight) p.reverseWeight = *weight;
    if (goals_[static_cast<std::size_t>(GoalKind::WorkBalance)].use->isChecked()) {
        std::optional<double> pressure, back, clearance;
        if (!optional(pressure_, "The steam pressure", pressure) ||
            !optional(backPressure_, "The back pressure", back) ||
            !optional(clearance_, "The clearance", clearance))
            return std::nullopt;
        if (pressure) p.steam.pressure = static_cast<float>(*pressure);
        if (back) p.steam.backPressure = static_cast<float>(*back);
        if (clearance) p.steam.clearance = static_cast<float>(*clearance);
    }
    if (drop) p.limits.fullGearDrop = *drop;
    if (low.has_value() != high.has_value()) {
        error = QStringLiteral("Full-gear travel: give both ends, or neither");
        return std::nullopt;
    }
    if (low) p.limits.travel = std::pair{*low, *high};
    p.maxEvaluations = evaluations_->value();
    std::uint64_t seed = 0;
    const std::string seedText = seed_->text().trimmed().toStdString();
    const char* end = seedText.data() + seedText.size();
    const auto parsed = std::from_chars(seedText.data(), end, seed);
    if (seedText.empty() || parsed.ec != std::errc() || parsed.ptr != end || seed > UINT32_MAX) {
        error = QStringLiteral("The seed must be a whole number from 0 to %1").arg(UINT32_MAX);
        return std::nullopt;
    }
    p.seed = seed;
    if (const std::string e = ValidateProblem(m_, p); !e.empty()) {
        error = Q(e);
        error[0] = error[0].toUpper();
        return std::nullopt;
    }
    return p;
}

std::optional<RowChoice> TDesignAssistant::Rows(QString& error) const {
    RowChoice rows;
    std::string e;
    if (rowKind_->currentIndex() == 0) {
        rows.basis = RowBasis::Cutoffs;
        if (!ParseCutoffList(cutoffs_->text().toStdString(), rows.values, e)) {
            error = QStringLiteral("Cut-offs: ") + Q(e);
            return std::nullopt;
        }
    } else {
        rows.basis = RowBasis::Notches;
        if (!ParseNotchList(notches_->text().toStdString(), rows.values, e)) {
            error = QStringLiteral("Notches: ") + Q(e);
            return std::nullopt;
        }
    }
    static constexpr Directions kDirections[] = {Directions::Both, Directions::Forward,
                                                 Directions::Reverse};
    rows.directions = kDirections[std::clamp(direction_->currentIndex(), 0, 2)];
    return rows;
}

void TDesignAssistant::StartClick() {
    if (running_) return;
    QString error;
    std::optional<DesignProblem> p = Problem(error);
    if (!p) {
        status_->setText(error);
        return;
    }
    ClearResult();
    problem_ = *p;
    startGear_ = static_cast<const Gear&>(m_);
    // The default cut-offs need not all be within the gear's range: those it does not reach are
    // left out, as the command line does.
    leftOut_.clear();
    const std::vector<float> defaults(kDefaultCutoffs.begin(), kDefaultCutoffs.end());
    if (problem_.rows.basis == RowBasis::Cutoffs && problem_.rows.values == defaults)
        leftOut_ = LeaveOutUnreachableRows(startGear_, problem_);
    running_ = true;
    progress_->setText(QStringLiteral("Starting\u2026"));
    status_->clear();
    UpdateButtons();

    // The worker has its own copies of the gear and the problem. It reaches the window only
    // through signals, queued to the UI thread; the result it leaves in workerResult_ is read
    // there after the thread has been joined.
    worker_ = std::jthread([this, gear = startGear_, problem = problem_](std::stop_token stop) {
        ProgressPace pace;
        auto progress = [&](const DesignProgress& d) {
            if (pace.Due(d.evaluations)) Q_EMIT WorkerProgress(d.evaluations, d.bestObjective);
        };
        workerResult_ = RunCaught<DesignResult>(
            [&] { return RunDesignSearch(gear, problem, std::move(stop), progress); });
        Q_EMIT WorkerFinished();
    });
}

void TDesignAssistant::CancelClick() {
    if (!running_) return;
    worker_.request_stop();
    progress_->setText(progress_->text() + QStringLiteral("  \u2014 stopping"));
    cancel_->setEnabled(false);
}

void TDesignAssistant::OnProgress(int evaluations, double bestObjective) {
    if (!running_) return;
    progress_->setText(QStringLiteral("Evaluations %1 of %2, best objective %3")
                           .arg(evaluations)
                           .arg(problem_.maxEvaluations)
                           .arg(Significant(bestObjective)));
    Q_EMIT Progressed(evaluations);
}

void TDesignAssistant::OnFinished() {
    if (worker_.joinable()) worker_.join();
    running_ = false;
    result_ = std::move(workerResult_);
    workerResult_.reset();
    const DesignResult& r = *result_;
    progress_->setText(QStringLiteral("Evaluations %1, best objective %2")
                           .arg(r.evaluations)
                           .arg(Significant(r.searched ? r.best.objective : NAN)));
    QString text;
    for (const NotchRow& d : leftOut_)
        text += QStringLiteral("Left out: %1. ").arg(Q(d.unreachable));
    if (!r.failure.empty()) text += QStringLiteral("The search stopped: %1. ").arg(Q(r.failure));
    if (!r.searched && r.failure.empty()) {
        text += QStringLiteral("The present gear cannot be tuned: %1. Nothing was searched.")
                    .arg(Q(r.start.problem));
    } else if (r.improved) {
        if (!r.start.feasible)
            text += QStringLiteral(
                        "The present gear breaks a limit (%1); the result keeps every "
                        "limit. ")
                        .arg(Q(r.start.problem));
        text += QStringLiteral(
                    "%1 objective %2 \u2192 %3. Apply commits the changes; UnDo takes "
                    "each back.")
                    .arg(r.stopped || !r.failure.empty() ? QStringLiteral("Best so far:")
                                                         : QStringLiteral("Done:"))
                    .arg(Significant(r.start.objective), Significant(r.best.objective));
    } else if (!r.limitsNotMet.empty()) {
        QStringList missed;
        for (const LimitShortfall& l : r.limitsNotMet)
            missed << QStringLiteral("%1 by %2")
                          .arg(QString::fromLatin1(LimitName(l.kind)), Significant(l.by));
        text += QStringLiteral("No gear found that keeps every limit; the closest misses %1.")
                    .arg(missed.join(QStringLiteral(", ")));
    } else if (r.failure.empty()) {
        text += r.stopped ? QStringLiteral("Stopped before anything better was found.")
                          : QStringLiteral("No better gear within these limits.");
    }
    status_->setText(text.trimmed());
    ShowResult();
    UpdateButtons();
    Q_EMIT SearchFinished();
}

void TDesignAssistant::ShowResult() {
    const DesignResult* r = Result();
    FillGoals(goalTable_, problem_, r);
    FillLimits(limitTable_, r);
    FillChanges(changes_, startGear_, problem_, r);
    FillEvents(before_, r ? r->start.rows : std::vector<NotchRow>{});
    // A start that could not be judged was not searched: there is no after.
    FillEvents(after_, r && r->searched ? r->best.rows : std::vector<NotchRow>{});
}

void TDesignAssistant::ClearResult() {
    result_.reset();
    ShowResult();
}

void TDesignAssistant::UpdateButtons() {
    const bool canApply = result_ && result_->improved;
    start_->setEnabled(!running_ && !ranking_);
    ranked_->setEnabled(!running_ && !ranking_);
    cancel_->setEnabled(running_);
    apply_->setEnabled(!running_ && canApply);
    discard_->setEnabled(!running_ && result_.has_value());
    dims_->setEnabled(!running_);
}

bool TDesignAssistant::ModelChangedSinceStart() const {
    auto same = [](float a, float b) {
        return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
    };
    for (std::span<const DimensionInfo> infos : {FrameDimensionInfo(), CylinderDimensionInfo()})
        for (const DimensionInfo& d : infos)
            if (!same(GetDimension(m_, d.id), GetDimension(startGear_, d.id))) return true;
    return false;
}

void TDesignAssistant::ApplyClick() {
    if (running_ || !result_ || !result_->improved) return;
    if (ModelChangedSinceStart()) {
        // The result was found for other dimensions; applying it would mix two gears.
        ClearResult();
        UpdateButtons();
        status_->setText(
            QStringLiteral("The dimensions changed after the search started; start it again."));
        return;
    }
    const std::vector<DimensionValue> changed = ChangedDimensions(problem_, *result_);
    for (const DimensionValue& c : changed) {
        // As if typed: the key handler raised the pending flag, so each commit makes an entry.
        m_.pendingEdit = true;
        CommitDimension(m_, c.id, c.value);
    }
    // Mid gear follows the new dimensions, as when the frame dialog closes.
    ComputeMidGear(m_);
    RequestRevArmBarPosition(m_, 0);
    ClearResult();
    RefreshValues();
    UpdateButtons();
    status_->setText(QStringLiteral("Applied %1 changed dimension(s); UnDo takes each back.")
                         .arg(changed.size()));
}

void TDesignAssistant::DiscardClick() {
    if (running_) return;
    ClearResult();
    UpdateButtons();
    status_->setText(QStringLiteral("Discarded; the gear is unchanged."));
}

void TDesignAssistant::showEvent(QShowEvent* e) {
    if (!running_ && !e->spontaneous()) RefreshValues();
    QDialog::showEvent(e);
}

void TDesignAssistant::reject() {
    // Closing stops a running search; its best so far waits for the next opening.
    if (running_) CancelClick();
    QDialog::reject();
}

}  // namespace mv
