#include "design/new_gear_dialog.hpp"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "analysis/design_objective.hpp"
#include "analysis/study.hpp"
#include "design/design_assistant_tables.hpp"
#include "design/search_worker.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

enum TargetColumn { kTargetName, kTargetWanted, kTargetReached, kTargetMet, kTargetColumns };

QString Shown(double v) {
    return QString::fromStdString(FormatSignificant(v, 6));
}

// The typed number; nothing for an empty field; false for text that is not a number.
bool Typed(const QLineEdit* e, std::optional<double>& out) {
    const std::string text = e->text().trimmed().toStdString();
    out.reset();
    if (text.empty()) return true;
    double v = 0;
    if (!ParseStrict(text, v)) return false;
    out = v;
    return true;
}

QString TargetValue(const std::optional<double>& v, bool percent) {
    if (!v || !std::isfinite(*v)) return QStringLiteral("\u2014");
    const double x = std::fabs(*v) < (percent ? 0.005 : 0.000005) ? 0.0 : *v;
    return QString::fromStdString(FormatFixed(x, 0, percent ? 2 : 5)) +
           (percent ? QStringLiteral(" %") : QString());
}

}  // namespace

TNewGear::TNewGear(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("New Gear"));
    setObjectName(QStringLiteral("TNewGear"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral(
            "From a locomotive's basic data: the built-in gear scaled to the stroke, the "
            "cylinder placed, the valve cut to the laps, then the linkage tuned toward "
            "the travel, the lead and equal front and rear cut-offs. An empty field "
            "takes the value shown in grey."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* boxes = new QHBoxLayout;
    auto* engine = new QGroupBox(QStringLiteral("Engine"), this);
    auto* eg = new QGridLayout(engine);
    stroke_ = AddField(eg, 0, "EditStroke", "Stroke", "Piston stroke");
    driver_ = AddField(eg, 1, "EditDriverDia", "Driver diameter", "Driving wheel diameter");
    mainRod_ = AddField(eg, 2, "EditMainRod", "Main rod",
                        "Main rod, crank pin to crosshead; longer than half the stroke");
    centre_ = AddField(eg, 3, "EditCylinderCtr", "Cylinder centre",
                       "Cylinder centre to driver centre; empty: the built-in gear's, scaled and "
                       "moved by the main rod's difference");
    height_ = AddField(eg, 4, "EditCylinderHeight", "Cylinder height",
                       "Cylinder centre line above the driver centre");
    bore_ = AddField(eg, 5, "EditBore", "Bore", "Cylinder bore");
    eg->setRowStretch(6, 1);
    boxes->addWidget(engine);

    auto* valve = new QGroupBox(QStringLiteral("Valve"), this);
    auto* vg = new QGridLayout(valve);
    travel_ = AddField(vg, 0, "EditTravel", "Travel, full gear", "Full-gear valve travel");
    lap_ = AddField(vg, 1, "EditLap", "Steam lap", "Steam lap at both ends, below half the travel");
    exhaustLap_ = AddField(vg, 2, "EditExhaustLap", "Exhaust lap",
                           "Exhaust lap at both ends; negative for exhaust clearance");
    lead_ = AddField(vg, 3, "EditLead", "Lead, full gear", "Full-gear lead at both ends, forward");
    port_ = AddField(vg, 4, "EditPortWidth", "Steam port width", "Steam port width, both ends");
    bridge_ = AddField(vg, 5, "EditBridgeWidth", "Bridge width", "Bridge width, both ends");
    exhaustPort_ =
        AddField(vg, 6, "EditExhaustPortWidth", "Exhaust port width", "Exhaust port width");
    cutoff_ = AddField(vg, 7, "EditFullGearCutoff", "Full-gear cut-off %",
                       "Full-gear cut-off in per cent of the stroke; empty: no target");
    boxes->addWidget(valve);

    auto* search = new QGroupBox(QStringLiteral("Search"), this);
    auto* sg = new QGridLayout(search);
    evaluations_ = new QSpinBox(search);
    evaluations_->setObjectName(QStringLiteral("SpinEvaluations"));
    evaluations_->setRange(1, kMaxEvaluationsLimit);
    evaluations_->setValue(kDefaultNewGearEvaluations);
    // A whole-number QDoubleSpinBox: QSpinBox stops at 2^31 - 1, the seeds go to 2^32 - 1.
    seed_ = new QDoubleSpinBox(search);
    seed_->setObjectName(QStringLiteral("SpinSeed"));
    seed_->setDecimals(0);
    seed_->setRange(0, static_cast<double>(kMaxStudySeed));
    seed_->setValue(1);
    seed_->setToolTip(
        QStringLiteral("Seed of the restarts, 0 to 4294967295: the same seed gives the same gear"));
    sg->addWidget(new QLabel(QStringLiteral("Evaluations at most"), search), 0, 0);
    sg->addWidget(evaluations_, 0, 1);
    sg->addWidget(new QLabel(QStringLiteral("Seed"), search), 1, 0);
    sg->addWidget(seed_, 1, 1);
    sg->setRowStretch(2, 1);
    boxes->addWidget(search);
    layout->addLayout(boxes);

    auto* run = new QHBoxLayout;
    make_ = new QPushButton(QStringLiteral("Make"), this);
    make_->setObjectName(QStringLiteral("BtnMake"));
    make_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("BtnCancel"));
    cancel_->setToolTip(QStringLiteral("Stop the tuning and keep the best gear so far"));
    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("LblProgress"));
    run->addWidget(make_);
    run->addWidget(cancel_);
    run->addWidget(progress_, 1);
    layout->addLayout(run);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("LblStatus"));
    status_->setWordWrap(true);
    layout->addWidget(status_);

    targets_ = MakeTable(this, "TableTargets",
                         {QStringLiteral("Target"), QStringLiteral("Wanted"),
                          QStringLiteral("Reached"), QStringLiteral("Met")});
    targets_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    targets_->horizontalHeader()->setSectionResizeMode(kTargetName, QHeaderView::Stretch);
    targets_->setMinimumHeight(targets_->verticalHeader()->defaultSectionSize() * 11);
    layout->addWidget(targets_, 1);
    differences_ = new QLabel(this);
    differences_->setObjectName(QStringLiteral("LblDifferences"));
    layout->addWidget(differences_);
    reasons_ = new QLabel(this);
    reasons_->setObjectName(QStringLiteral("LblReasons"));
    reasons_->setWordWrap(true);
    reasons_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(reasons_);

    auto* buttons = new QHBoxLayout;
    open_ = new QPushButton(QStringLiteral("Open"), this);
    open_->setObjectName(QStringLiteral("BtnOpen"));
    open_->setToolTip(QStringLiteral("Make the new gear the working gear (untitled)"));
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("BtnClose"));
    buttons->addWidget(open_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(this, &TNewGear::WorkerProgress, this, &TNewGear::OnProgress, Qt::QueuedConnection);
    connect(this, &TNewGear::WorkerFinished, this, &TNewGear::OnFinished, Qt::QueuedConnection);
    connect(make_, &QPushButton::clicked, this, [this] { MakeClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelClick(); });
    connect(open_, &QPushButton::clicked, this, [this] { OpenClick(); });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });
    for (QLineEdit* e : {stroke_, mainRod_})
        connect(e, &QLineEdit::textEdited, this, [this] { ShowDefaults(); });

    // The required fields start at the built-in gear's own data.
    const BasicData b = BuiltInBasicData();
    for (const auto& [edit, v] : {std::pair{stroke_, b.stroke}, std::pair{driver_, b.driverDia},
                                  std::pair{mainRod_, b.mainRod}, std::pair{travel_, b.travel},
                                  std::pair{lap_, b.lap}, std::pair{lead_, b.lead}})
        edit->setText(Shown(v));
    ShowDefaults();
    UpdateButtons();
    resize(900, 640);
}

TNewGear::~TNewGear() {
    // The worker has its own copies; it ends at its next evaluation.
    worker_.request_stop();
    if (worker_.joinable()) worker_.join();
}

QLineEdit* TNewGear::AddField(QGridLayout* grid, int row, const char* name, const char* label,
                              const char* tip) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setToolTip(QString::fromLatin1(tip));
    edit->setMaximumWidth(110);
    auto* text = new QLabel(QString::fromLatin1(label), this);
    text->setBuddy(edit);
    grid->addWidget(text, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

void TNewGear::ShowDefaults() {
    // The optional fields' defaults follow the stroke and the main rod typed.
    std::optional<double> stroke, rod;
    Typed(stroke_, stroke);
    Typed(mainRod_, rod);
    BasicData probe = BuiltInBasicData();
    if (stroke && *stroke > 0 && std::isfinite(*stroke)) probe.stroke = *stroke;
    if (rod && std::isfinite(*rod)) probe.mainRod = *rod;
    probe.cylinderCentre.reset();
    probe.bore.reset();
    probe.portWidth.reset();
    probe.bridgeWidth.reset();
    probe.exhaustPortWidth.reset();
    QString centre;
    if (BasicDataProblem(probe).empty()) {
        const Gear start = NewGearStart(probe);
        centre = Shown(start.cyl.cylCtr);
        bore_->setPlaceholderText(Shown(start.cyl.boreDia));
        port_->setPlaceholderText(Shown(start.cyl.steamPortFront));
        bridge_->setPlaceholderText(Shown(start.cyl.bridgeFront));
        exhaustPort_->setPlaceholderText(Shown(start.cyl.exhaustPort));
    }
    centre_->setPlaceholderText(centre);
    height_->setPlaceholderText(QStringLiteral("0"));
    exhaustLap_->setPlaceholderText(QStringLiteral("0"));
    cutoff_->setPlaceholderText(QStringLiteral("none"));
}

std::optional<BasicData> TNewGear::Data(QString& error) const {
    BasicData d;
    struct In {
        QLineEdit* edit;
        const char* name;
        std::optional<double>* slot;
    };
    std::optional<double> stroke, driver, rod, travel, lap, lead;
    const In in[] = {{stroke_, "stroke", &stroke},
                     {driver_, "driver diameter", &driver},
                     {mainRod_, "main rod", &rod},
                     {centre_, "cylinder centre", &d.cylinderCentre},
                     {height_, "cylinder height", &d.cylinderHeight},
                     {bore_, "bore", &d.bore},
                     {travel_, "travel", &travel},
                     {lap_, "steam lap", &lap},
                     {exhaustLap_, "exhaust lap", &d.exhaustLap},
                     {lead_, "lead", &lead},
                     {port_, "steam port width", &d.portWidth},
                     {bridge_, "bridge width", &d.bridgeWidth},
                     {exhaustPort_, "exhaust port width", &d.exhaustPortWidth},
                     {cutoff_, "full-gear cut-off", &d.fullGearCutoff}};
    for (const In& i : in) {
        if (!Typed(i.edit, *i.slot)) {
            error = QStringLiteral("The %1 is not a number").arg(QString::fromLatin1(i.name));
            return std::nullopt;
        }
    }
    for (const In& i : {in[0], in[1], in[2], in[6], in[7], in[9]}) {
        if (!i.slot->has_value()) {
            error = QStringLiteral("Give the %1").arg(QString::fromLatin1(i.name));
            return std::nullopt;
        }
    }
    d.stroke = *stroke;
    d.driverDia = *driver;
    d.mainRod = *rod;
    d.travel = *travel;
    d.lap = *lap;
    d.lead = *lead;
    d.maxEvaluations = evaluations_->value();
    d.seed = static_cast<std::uint64_t>(seed_->value());  // whole and in range: the box's own
    if (const std::string p = BasicDataProblem(d); !p.empty()) {
        error = QString::fromStdString(p);
        error[0] = error[0].toUpper();
        return std::nullopt;
    }
    return d;
}

void TNewGear::MakeClick() {
    if (running_) return;
    QString error;
    const std::optional<BasicData> d = Data(error);
    if (!d) {
        status_->setText(error);
        return;
    }
    result_.reset();
    ShowResult();
    running_ = true;
    progress_->setText(QStringLiteral("Starting\u2026"));
    status_->clear();
    UpdateButtons();
    // The worker has its own copy of the data and reaches the window only through queued
    // signals; the result it leaves in workerResult_ is read after the thread has been joined.
    worker_ = std::jthread([this, data = *d](std::stop_token stop) {
        ProgressPace pace;
        auto progress = [&](const NewGearProgress& p) {
            if (pace.Due(p.evaluations)) Q_EMIT WorkerProgress(p.evaluations, p.maxEvaluations);
        };
        workerResult_ =
            RunCaught<NewGearResult>([&] { return MakeNewGear(data, std::move(stop), progress); });
        Q_EMIT WorkerFinished();
    });
}

void TNewGear::CancelClick() {
    if (!running_) return;
    worker_.request_stop();
    progress_->setText(progress_->text() + QStringLiteral("  \u2014 stopping"));
    cancel_->setEnabled(false);
}

void TNewGear::OnProgress(int evaluations, int maxEvaluations) {
    if (!running_) return;
    progress_->setText(
        QStringLiteral("Tuning: evaluations %1 of %2").arg(evaluations).arg(maxEvaluations));
}

void TNewGear::OnFinished() {
    if (worker_.joinable()) worker_.join();
    running_ = false;
    result_ = std::move(workerResult_);
    workerResult_.reset();
    if (!result_->failure.empty()) {
        // No gear to open: say why and keep the fields for another try.
        status_->setText(QStringLiteral("The tuning ended without a result: ") +
                         QString::fromStdString(result_->failure));
        result_.reset();
        progress_->clear();
        ShowResult();
        UpdateButtons();
        Q_EMIT Finished();
        return;
    }
    const NewGearResult& r = *result_;
    progress_->setText(QStringLiteral("Evaluations %1").arg(r.evaluations));
    QString text = r.stopped ? QStringLiteral("Stopped; the best gear so far. ") : QString();
    text += r.allMet() ? QStringLiteral("Every target is met.")
                       : QStringLiteral("Not every target is met; see the reasons.");
    text += QStringLiteral(" Open makes it the working gear.");
    status_->setText(text);
    ShowResult();
    UpdateButtons();
    Q_EMIT Finished();
}

void TNewGear::ShowResult() {
    const NewGearResult* r = Result();
    const int rows = r ? static_cast<int>(r->targets.size()) + 1 : 0;
    targets_->setRowCount(rows);
    differences_->clear();
    reasons_->clear();
    if (!r) return;
    auto put = [this](int row, int col, const QString& text, const QString& tip = {}) {
        QTableWidgetItem* c = Cell(text);
        if (col == kTargetName) c->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (!tip.isEmpty()) c->setToolTip(tip);
        targets_->setItem(row, col, c);
    };
    int row = 0;
    QStringList why;
    for (const NewGearTarget& t : r->targets) {
        if (!t.met)
            why << QString::fromStdString(t.label) + QStringLiteral(": ") +
                       QString::fromStdString(t.reason);
        const QString why = QString::fromStdString(t.reason);
        put(row, kTargetName, QString::fromStdString(t.label), why);
        put(row, kTargetWanted, TargetValue(t.target, t.percent));
        put(row, kTargetReached, TargetValue(t.reached, t.percent), why);
        put(row, kTargetMet, t.met ? QStringLiteral("yes") : QStringLiteral("no"), why);
        if (!t.met)
            for (int c = 0; c < kTargetColumns; ++c) targets_->item(row, c)->setForeground(Qt::red);
        ++row;
    }
    put(row, kTargetName, QStringLiteral("No geometry error, mid to full gear"));
    put(row, kTargetWanted, QString());
    put(row, kTargetReached, r->geometryError ? QStringLiteral("error") : QStringLiteral("none"));
    put(row, kTargetMet, r->geometryError ? QStringLiteral("no") : QStringLiteral("yes"));
    QString diffs = QStringLiteral("Front \u2212 rear cut-off, forward:");
    for (std::size_t i = 0; i < kBalancedCutoffs.size(); ++i)
        diffs += QStringLiteral("   at %1 %: %2")
                     .arg(kBalancedCutoffs[i])
                     .arg(r->cutoffDifferences[i]
                              ? QString::fromStdString(FormatFixed(*r->cutoffDifferences[i], 0, 2))
                              : QStringLiteral("\u2014"));
    differences_->setText(diffs + QStringLiteral(" points"));
    reasons_->setText(why.join(QLatin1Char('\n')));
}

void TNewGear::OpenClick() {
    if (running_ || !result_ || !openGear) return;
    if (!openGear(result_->gear)) {
        status_->setText(QStringLiteral("Not opened; the working gear is unchanged."));
        return;
    }
    status_->setText(QStringLiteral("Opened as the working gear (untitled)."));
    accept();
}

void TNewGear::UpdateButtons() {
    make_->setEnabled(!running_);
    cancel_->setEnabled(running_);
    open_->setEnabled(!running_ && result_.has_value());
    for (QLineEdit* e : {stroke_, driver_, mainRod_, centre_, height_, bore_, travel_, lap_,
                         exhaustLap_, lead_, port_, bridge_, exhaustPort_, cutoff_})
        e->setEnabled(!running_);
}

void TNewGear::reject() {
    // Closing stops a running search; its best so far waits for the next opening.
    if (running_) CancelClick();
    QDialog::reject();
}

}  // namespace mv
