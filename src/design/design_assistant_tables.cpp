#include "design/design_assistant_tables.hpp"

#include <QHeaderView>
#include <QTableWidget>
#include <cmath>
#include <string_view>

#include "analysis/study.hpp"
#include "mainwin/look.hpp"
#include "model/dimensions.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The before and after tables show these of the valve-event table's columns: what the goals
// measure, front beside rear.
constexpr const char* kEventKeys[] = {
    "direction", "notch",         "front_cutoff", "rear_cutoff",       "front_lead",
    "rear_lead", "front_release", "rear_release", "front_compression", "rear_compression",
};

std::vector<const EventColumn*> ShownEventColumns() {
    std::vector<const EventColumn*> out;
    for (const char* key : kEventKeys)
        for (const EventColumn& c : EventColumns())
            if (std::string_view(c.key) == key) out.push_back(&c);
    return out;
}

QTableWidgetItem* NameCell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

// Objectives span from thousands to thousandths: six significant digits.
QString Significant(double v) {
    return std::isfinite(v) ? Q(FormatSignificant(v, 6)) : QString::fromUtf8(kAbsentText);
}

QTableWidgetItem* Cell(const QString& text, bool editable) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setSelectionMode(QAbstractItemView::ContiguousSelection);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return t;
}

QTableWidget* MakeEventTable(QWidget* parent, const char* name) {
    const std::vector<const EventColumn*> columns = ShownEventColumns();
    QStringList headers;
    for (const EventColumn* c : columns) {
        const char* end = c->end == EventEnd::Front  ? "Front\n"
                          : c->end == EventEnd::Rear ? "Rear\n"
                                                     : "";
        // The short headings of the text table: ten columns share half the window.
        headers << QString::fromLatin1(end) + QString::fromUtf8(c->heading);
    }
    QTableWidget* t = MakeTable(parent, name, headers);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        t->horizontalHeaderItem(i)->setToolTip(
            QString::fromUtf8(columns[static_cast<std::size_t>(i)]->tip));
    // The direction's column names the whole row: its direction and where it is taken.
    t->horizontalHeaderItem(0)->setText(QStringLiteral("Row"));
    t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    t->horizontalHeaderItem(0)->setToolTip(
        QStringLiteral("Running direction, and the mean cut-off or the notch of the row"));
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return t;
}

void FillEvents(QTableWidget* t, const std::vector<NotchRow>& rows) {
    const std::vector<const EventColumn*> columns = ShownEventColumns();
    t->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const NotchRow& row = rows[static_cast<std::size_t>(i)];
        const EventRow& r = row.events;
        for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
            QString text = QString::fromUtf8(kAbsentText);
            if (c == 0)
                text = QString::fromLatin1(SweepDirectionText(row.direction)) + ' ' +
                       Q(row.cutoff ? CutoffText(*row.cutoff) + " %" : NotchText(row.notch));
            else if (row.Reachable())
                text = Q(EventCellText(*columns[static_cast<std::size_t>(c)], r));
            QTableWidgetItem* item = Cell(text);
            if (!row.Reachable()) {
                item->setForeground(QColor(kRed));
                item->setToolTip(Q(row.unreachable));
            } else if (r.geometryError) {
                item->setForeground(QColor(kRed));
                item->setToolTip(QStringLiteral("Geometry error in this sweep"));
            }
            t->setItem(i, c, item);
        }
    }
}

void FillLimits(QTableWidget* t, const DesignResult* r) {
    t->setRowCount(0);
    if (!r) return;
    const auto add = [&](LimitKind k, const QString& name, const QString& before,
                         const QString& after) {
        const int i = t->rowCount();
        t->insertRow(i);
        t->setItem(i, 0, NameCell(name));
        t->setItem(i, 1, Cell(before));
        t->setItem(i, 2, Cell(r->searched ? after : QString::fromUtf8(kAbsentText)));
        const bool kept = r->best.excess[static_cast<std::size_t>(k)] <= 0;
        QTableWidgetItem* item = Cell(kept ? QStringLiteral("yes") : QStringLiteral("no"));
        if (!kept) item->setForeground(QColor(kRed));
        t->setItem(i, 3, item);
    };
    const auto num = [](const std::optional<double>& v) {
        return v ? Significant(*v) : QString::fromUtf8(kAbsentText);
    };
    const DesignLimits& l = r->limits;
    add(LimitKind::MinLead, QStringLiteral("lead ≥ %1").arg(num(l.minLead)),
        num(r->start.values.minLead), num(r->best.values.minLead));
    add(LimitKind::FullGearDrop,
        QStringLiteral("full-gear drop ≤ %1").arg(Significant(l.fullGearDrop)),
        num(r->start.values.drop), num(r->best.values.drop));
    if (l.travel) {
        const auto range = [&](const DesignEvaluation& e) {
            return e.values.travelLow == e.values.travelHigh
                       ? num(e.values.travelLow)
                       : num(e.values.travelLow) + QStringLiteral("–") + num(e.values.travelHigh);
        };
        add(LimitKind::Travel,
            QStringLiteral("travel %1–%2")
                .arg(Significant(l.travel->first), Significant(l.travel->second)),
            range(r->start), range(r->best));
    }
    for (LimitKind k : {LimitKind::Geometry, LimitKind::Events, LimitKind::Reach})
        if (r->start.excess[static_cast<std::size_t>(k)] > 0 ||
            r->best.excess[static_cast<std::size_t>(k)] > 0)
            add(k, QString::fromLatin1(LimitName(k)), QString(), QString());
}

void FillGoals(QTableWidget* t, const DesignProblem& p, const DesignResult* r) {
    const std::vector<DesignGoal> goals = EffectiveGoals(p);
    t->setRowCount(r ? static_cast<int>(goals.size()) + 1 : 0);
    if (!r) return;
    const bool hasBest = r->searched;
    for (int k = 0; k <= static_cast<int>(goals.size()); ++k) {
        const bool total = k == static_cast<int>(goals.size());
        const auto uk = static_cast<std::size_t>(k);
        t->setItem(k, 0,
                   NameCell(total ? QStringLiteral("objective")
                                  : QString::fromLatin1(GoalName(goals[uk].kind))));
        t->setItem(k, 1, Cell(total ? QString() : Significant(goals[uk].weight)));
        t->setItem(k, 2, Cell(Significant(total ? r->start.objective : r->start.goalValues[uk])));
        t->setItem(k, 3,
                   Cell(hasBest ? Significant(total ? r->best.objective : r->best.goalValues[uk])
                                : QString::fromUtf8(kAbsentText)));
    }
}

void FillChanges(QTableWidget* t, const Gear& start, const DesignProblem& p,
                 const DesignResult* r) {
    const std::vector<DimensionValue> changed =
        r ? ChangedDimensions(p, *r) : std::vector<DimensionValue>{};
    t->setRowCount(static_cast<int>(changed.size()));
    for (int i = 0; i < static_cast<int>(changed.size()); ++i) {
        const DimensionValue& c = changed[static_cast<std::size_t>(i)];
        t->setItem(i, 0, NameCell(DimensionCaption(c.id)));
        t->setItem(i, 1, Cell(Q(FloatText(GetDimension(start, c.id)))));
        t->setItem(i, 2, Cell(Q(FloatText(c.value))));
    }
}

QString DimensionCaption(DimensionId id) {
    const DimensionInfo* info = FindDimension(id);
    return QStringLiteral("%1  %2").arg(id).arg(QString::fromLatin1(info ? info->shortName : ""));
}

}  // namespace mv
