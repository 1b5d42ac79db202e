#include "diagrams/valve_events_window.hpp"

#include <QBrush>
#include <QClipboard>
#include <QColor>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <tuple>

#include "analysis/compare.hpp"
#include "analysis/cutoff_rows.hpp"
#include "mainwin/look.hpp"
#include "model/text.hpp"

namespace {

// The ends' headings in the port diagram's colours of their events.
const QColor kFrontHeader(mv::kTeal);
const QColor kRearHeader(mv::kRed);

// The columns of numbers: each table holds one direction, and a row the solver had to clamp
// shows in red instead of a column of its own.
std::vector<const mv::EventColumn*> ShownColumns() {
    std::vector<const mv::EventColumn*> shown;
    for (const mv::EventColumn& c : mv::EventColumns())
        if (c.value) shown.push_back(&c);
    return shown;
}

// Rows at cut-offs have a first column of their own: the cut-off asked for.
void SetHeaders(QTableWidget* t, bool atCutoffs = false) {
    const std::vector<const mv::EventColumn*> shown = ShownColumns();
    const int first = atCutoffs ? 1 : 0;
    t->setColumnCount(static_cast<int>(shown.size()) + first);
    if (atCutoffs) {
        auto* h = new QTableWidgetItem(QStringLiteral("Cut-off\n%"));
        h->setToolTip(QStringLiteral("The mean of the front and rear cut-off the row is taken at"));
        t->setHorizontalHeaderItem(0, h);
    }
    for (std::size_t k = 0; k < shown.size(); ++k) {
        const mv::EventColumn& col = *shown[k];
        QString label = QString::fromUtf8(col.label);
        if (col.end == mv::EventEnd::Front) label = QStringLiteral("Front\n") + label;
        if (col.end == mv::EventEnd::Rear) label = QStringLiteral("Rear\n") + label;
        auto* h = new QTableWidgetItem(label);
        h->setToolTip(QString::fromUtf8(col.tip));
        if (col.end != mv::EventEnd::None)
            h->setForeground(QBrush(col.end == mv::EventEnd::Front ? kFrontHeader : kRearHeader));
        t->setHorizontalHeaderItem(static_cast<int>(k) + first, h);
    }
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidget* MakeTable(QWidget* parent, const char* name) {
    auto* t = new QTableWidget(0, static_cast<int>(ShownColumns().size()), parent);
    t->setObjectName(name);
    SetHeaders(t);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::ContiguousSelection);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return t;
}

}  // namespace

TValveEvents::TValveEvents(mv::Model& m, QWidget* parent) : QDialog(parent), m_(m) {
    setWindowTitle("Valve Events");
    setObjectName("TValveEvents");

    auto* layout = new QVBoxLayout(this);
    info_ = new QLabel(this);
    info_->setObjectName("LblInfo");
    info_->setWordWrap(true);
    layout->addWidget(info_);

    auto* choice = new QHBoxLayout;
    rowKind_ = new QComboBox(this);
    rowKind_->setObjectName("ComboRows");
    rowKind_->addItems({"At notches", "At cut-offs"});
    rowKind_->setToolTip(
        "Rows from mid gear to \"Rev Arm to Cent Max\", or where the mean of the front and rear "
        "cut-off has the values listed");
    cutoffs_ = new QLineEdit("10, 15, 20, 25, 30, 40, 50, 60, 70, 75", this);
    cutoffs_->setObjectName("EditCutoffs");
    cutoffs_->setToolTip("Mean cut-offs in per cent, above 0 and below 100, separated by commas");
    cutoffs_->setEnabled(false);
    choice->addWidget(new QLabel("Rows", this));
    choice->addWidget(rowKind_);
    choice->addWidget(cutoffs_, 1);
    layout->addLayout(choice);

    auto* fwdLabel = new QLabel("Forward", this);
    fwdLabel->setStyleSheet("font-weight: bold");
    layout->addWidget(fwdLabel);
    fwdTable_ = MakeTable(this, "TableForward");
    layout->addWidget(fwdTable_, 1);

    auto* revLabel = new QLabel("Reverse", this);
    revLabel->setStyleSheet("font-weight: bold");
    layout->addWidget(revLabel);
    revTable_ = MakeTable(this, "TableReverse");
    layout->addWidget(revTable_, 1);

    // The comparison gear's rows, below the working gear's.
    cmpBox_ = new QGroupBox(this);
    cmpBox_->setObjectName("BoxComparison");
    auto* cmpLayout = new QVBoxLayout(cmpBox_);
    cmpLabel_ = new QLabel(cmpBox_);
    cmpLabel_->setObjectName("LblComparison");
    cmpLabel_->setWordWrap(true);
    cmpLayout->addWidget(cmpLabel_);
    // Each cell holds the value and, on a second line, its difference.
    for (const auto& [name, caption, table] :
         {std::tuple{"TableComparisonForward", "Forward", &cmpFwdTable_},
          std::tuple{"TableComparisonReverse", "Reverse", &cmpRevTable_}}) {
        auto* label = new QLabel(caption, cmpBox_);
        label->setStyleSheet("font-weight: bold");
        cmpLayout->addWidget(label);
        *table = MakeTable(cmpBox_, name);
        (*table)->verticalHeader()->setDefaultSectionSize(2 * (*table)->fontMetrics().height() + 6);
        cmpLayout->addWidget(*table, 1);
    }
    cmpBox_->setVisible(false);
    layout->addWidget(cmpBox_, 2);

    auto* buttons = new QHBoxLayout;
    btnCopy_ = new QPushButton("Copy", this);
    btnCopy_->setObjectName("BtnCopy");
    btnCopy_->setToolTip("Copy the table to the clipboard, tab separated");
    btnSaveCsv_ = new QPushButton(QString::fromUtf8("Save as CSV\u2026"), this);
    btnSaveCsv_->setObjectName("BtnSaveCsv");
    btnClose_ = new QPushButton("Close", this);
    btnClose_->setObjectName("BtnClose");
    buttons->addWidget(btnCopy_);
    buttons->addWidget(btnSaveCsv_);
    buttons->addStretch(1);
    buttons->addWidget(btnClose_);
    layout->addLayout(buttons);

    connect(btnCopy_, &QPushButton::clicked, this, [this] { BtnCopyClick(); });
    connect(btnSaveCsv_, &QPushButton::clicked, this, [this] { BtnSaveCsvClick(); });
    connect(btnClose_, &QPushButton::clicked, this, &QDialog::accept);
    connect(rowKind_, &QComboBox::currentIndexChanged, this, [this] {
        cutoffs_->setEnabled(AtCutoffs());
        Refresh();
    });
    connect(cutoffs_, &QLineEdit::editingFinished, this, [this] {
        if (AtCutoffs()) Refresh();
    });

    // The window lives as long as the program, but the model must not call into a window that
    // has gone (tests create and drop windows freely).
    QPointer<TValveEvents> self(this);
    m_.AddListener([self](mv::ModelEvent e) {
        const bool relevant =
            e == mv::ModelEvent::DimensionsChanged || e == mv::ModelEvent::ComparisonChanged;
        if (self && relevant && self->isVisible()) self->ScheduleRefresh();
    });

    resize(1200, 900);
}

void TValveEvents::showEvent(QShowEvent* e) {
    Refresh();
    QDialog::showEvent(e);
}

void TValveEvents::ScheduleRefresh() {
    // A dynamic-variable bar sends a burst of changes; sweep once, after the edit has finished,
    // rather than inside the model's notification.
    if (refreshPending_) return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        if (isVisible()) Refresh();
    });
}

bool TValveEvents::AtCutoffs() const {
    return rowKind_->currentIndex() == 1;
}

void TValveEvents::Refresh() {
    QString text = QString(
                       "Mid gear %1, \"Rev Arm to Cent Max\" %2.  Events in per cent of the stroke "
                       "from each end's dead centre; lead, openings and travel in dimension units.")
                       .arg(Q(mv::FormatFixed(m_.revArmPositions[0], 0, 4)),
                            Q(mv::FormatFixed(m_.frame.revArmMax, 0, 4)));
    std::vector<float> cutoffs;
    if (AtCutoffs()) {
        std::string error;
        if (!mv::ParseCutoffList(cutoffs_->text().toStdString(), cutoffs, error)) {
            // The rows shown stay those of the last list that could be read.
            info_->setText(QString("Cut-offs: %1").arg(Q(error)));
            return;
        }
        cutoffRows_ = mv::CutoffRows(m_, cutoffs, mv::Directions::Both);
        rows_.clear();
        for (const mv::NotchRow& r : cutoffRows_) rows_.push_back(r.events);
        text += "  Each row where the mean cut-off is as listed; a dash row is out of reach.";
    } else {
        cutoffRows_.clear();
        rows_ = mv::ComputeDefaultEventTable(m_);
    }
    info_->setText(text);
    Fill(fwdTable_, mv::SweepDirection::Forward);
    Fill(revTable_, mv::SweepDirection::Reverse);

    cmpRows_.clear();
    cmpUnreachable_.clear();
    if (m_.comparison) {
        // The same rows of the comparison gear's own travel, so row k faces row k: the same
        // notches, or its own settings for the same cut-offs.
        if (AtCutoffs()) {
            for (const mv::NotchRow& r :
                 mv::CutoffRows(m_.comparison->gear, cutoffs, mv::Directions::Both)) {
                cmpRows_.push_back(r.events);
                cmpUnreachable_.push_back(r.Reachable() ? std::string() : r.unreachable);
            }
        } else {
            cmpRows_ = mv::ComputeDefaultEventTable(m_.comparison->gear);
        }
        cmpBox_->setTitle(QString("Compared with %1").arg(Q(m_.comparison->name)));
        cmpLabel_->setText(
            QString("%1 at the same %2 (mid gear %3): each value, and below it its difference "
                    "from %4's (comparison minus working gear; blue where they differ).")
                .arg(Q(m_.comparison->name),
                     AtCutoffs() ? QStringLiteral("cut-offs") : QStringLiteral("notches"),
                     Q(mv::FormatFixed(m_.comparison->gear.revArmPositions[0], 0, 4)),
                     Q(m_.dataSetName)));
    }
    FillComparison(cmpFwdTable_, mv::SweepDirection::Forward);
    FillComparison(cmpRevTable_, mv::SweepDirection::Reverse);
    cmpBox_->setVisible(m_.comparison.has_value());
}

void TValveEvents::FillComparison(QTableWidget* t, mv::SweepDirection dir) {
    const std::vector<const mv::EventColumn*> columns = ShownColumns();
    std::vector<std::size_t> mine, theirs;
    for (std::size_t k = 0; k < rows_.size(); ++k)
        if (rows_[k].direction == dir) mine.push_back(k);
    for (std::size_t k = 0; k < cmpRows_.size(); ++k)
        if (cmpRows_[k].direction == dir) theirs.push_back(k);
    const std::size_t n = std::min(mine.size(), theirs.size());
    const bool atCutoffs = !cutoffRows_.empty();
    SetHeaders(t, atCutoffs);
    t->setRowCount(static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const mv::EventRow& b = cmpRows_[theirs[i]];
        const mv::EventRow d = mv::RowDifference(rows_[mine[i]], b);
        int c = 0;
        // A cut-off either gear does not reach has no row to compare: the comparison gear's
        // reason on a dash row, or its values without differences when only the working gear
        // lacks the row.
        const std::string theirReason =
            theirs[i] < cmpUnreachable_.size() ? cmpUnreachable_[theirs[i]] : std::string();
        const bool mineMissing = atCutoffs && !cutoffRows_[mine[i]].Reachable();
        if (atCutoffs)
            t->setItem(static_cast<int>(i), c++,
                       Cell(Q(mv::CutoffText(*cutoffRows_[mine[i]].cutoff))));
        for (const mv::EventColumn* col : columns) {
            if (!theirReason.empty()) {
                QTableWidgetItem* item = Cell(QString::fromUtf8(mv::kAbsentText));
                item->setToolTip(Q(theirReason));
                t->setItem(static_cast<int>(i), c++, item);
                continue;
            }
            QString text = Q(mv::EventCellText(*col, b));
            const std::optional<float> delta = mineMissing ? std::optional<float>() : col->value(d);
            // The difference as shown, signed; one that rounds to nothing shows no sign.
            QString dt = delta ? Q(mv::EventCellText(*col, d)) : QString();
            static const QRegularExpression kNonZero(QStringLiteral("[1-9]"));
            const bool differs = delta && dt.contains(kNonZero);
            if (delta && !differs && dt.startsWith(QLatin1Char('-'))) dt.remove(0, 1);
            if (differs && *delta > 0) dt.prepend(QLatin1Char('+'));
            if (delta) text += QLatin1Char('\n') + dt;
            QTableWidgetItem* item = Cell(text);
            if (mineMissing)
                item->setToolTip(QStringLiteral("The working gear does not reach this cut-off"));
            if (differs) item->setForeground(QBrush(QColor(0x00, 0x00, 0xC0)));
            if (b.geometryError) {
                item->setForeground(QBrush(Qt::red));
                item->setToolTip(
                    "Geometry error: the comparison gear could not be solved "
                    "exactly at this setting");
            }
            t->setItem(static_cast<int>(i), c++, item);
        }
    }
}

void TValveEvents::Fill(QTableWidget* t, mv::SweepDirection dir) {
    const std::vector<const mv::EventColumn*> columns = ShownColumns();
    const bool atCutoffs = !cutoffRows_.empty();
    SetHeaders(t, atCutoffs);
    int n = 0;
    for (const mv::EventRow& r : rows_) n += r.direction == dir;
    t->setRowCount(n);
    int i = 0;
    for (std::size_t k = 0; k < rows_.size(); ++k) {
        const mv::EventRow& r = rows_[k];
        if (r.direction != dir) continue;
        int c = 0;
        const mv::NotchRow* at = atCutoffs ? &cutoffRows_[k] : nullptr;
        if (at) t->setItem(i, c++, Cell(Q(mv::CutoffText(*at->cutoff))));
        for (const mv::EventColumn* col : columns) {
            if (at && !at->Reachable()) {
                // Nothing to show but the reason, as a tip on every cell of the row.
                QTableWidgetItem* item = Cell(QString::fromUtf8(mv::kAbsentText));
                item->setToolTip(Q(at->unreachable));
                t->setItem(i, c++, item);
                continue;
            }
            QTableWidgetItem* item = Cell(Q(mv::EventCellText(*col, r)));
            if (r.geometryError) {
                item->setForeground(QBrush(Qt::red));
                item->setToolTip(
                    "Geometry error: the linkage could not be solved exactly at "
                    "this setting");
            }
            t->setItem(i, c++, item);
        }
        ++i;
    }
}

std::string TValveEvents::Delimited(char separator) const {
    return cutoffRows_.empty() ? mv::EventTableDelimited(rows_, separator)
                               : mv::CutoffRowsDelimited(cutoffRows_, separator);
}

void TValveEvents::BtnCopyClick() {
    QGuiApplication::clipboard()->setText(Q(Delimited('\t')));
}

bool TValveEvents::SaveCsv(const QString& path, QString* error) const {
    QSaveFile f(path);
    const QByteArray data = QByteArray::fromStdString(Delimited(','));
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        if (error) *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    return true;
}

void TValveEvents::BtnSaveCsvClick() {
    QFileDialog dlg(this, "Save as CSV");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({"CSV files (*.csv)", "All files (*)"});
    // The dialog adds the suffix before it asks about overwriting, so the question is about
    // the file that is really written.
    dlg.setDefaultSuffix("csv");
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    const QString path = dlg.selectedFiles().front();
    QString error;
    if (!SaveCsv(path, &error))
        QMessageBox::warning(this, "Valve Events",
                             QString("Could not save %1:\n%2").arg(path, error));
}
