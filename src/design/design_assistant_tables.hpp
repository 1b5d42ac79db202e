// The tables of the "Design Assistant" window: how the goals, the changed dimensions and the
// valve events before and after a search are shown.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "analysis/design_assistant.hpp"

class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace mv {

// A table with the given headings, no row numbers, columns sharing the width.
QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& headers);
// A right-aligned cell, editable or not.
QTableWidgetItem* Cell(const QString& text, bool editable = false);
// Six significant digits; not finite as the absent sign.
QString Significant(double v);
// "5  Ecc Crank Length": the id and the short name.
QString DimensionCaption(DimensionId id);

// The valve events of the rows, in the columns of the valve-event table that the goals and
// limits read, the first naming the row ("fwd 25 %", "fwd 0.5"); a row with a geometry error in
// red, one that could not be placed as dashes with the reason as its tip.
QTableWidget* MakeEventTable(QWidget* parent, const char* name);
void FillEvents(QTableWidget* t, const std::vector<NotchRow>& rows);
// Each limit's value before and after and whether the result keeps it; empty without a result.
void FillLimits(QTableWidget* t, const DesignResult* r);
// Each goal's weight and value before and after, then the objective; empty without a result.
void FillGoals(QTableWidget* t, const DesignProblem& p, const DesignResult* r);
// The dimensions the result changes, with their values at the start and in the result.
void FillChanges(QTableWidget* t, const Gear& start, const DesignProblem& p, const DesignResult* r);

}  // namespace mv
