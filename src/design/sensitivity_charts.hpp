// The Qt Charts plots of the "Sensitivity" window, apart from its widgets: the ranking as
// horizontal bars and the spread of the cut-off as box plots.
#pragma once

#include <QString>

#include "analysis/sensitivity.hpp"
#include "analysis/tolerance.hpp"

class QChart;
class QChartView;
class QWidget;

namespace mv {

QChartView* MakeStudyChartView(QWidget* parent, const char* name, const QString& title);

// Replaces the chart's contents with bars of the `bars` largest non-zero scores, the largest at
// the top.
void PlotRanking(QChart* chart, const SensitivityResult& r, int bars);

// Replaces the chart's contents with a box (extremes, quartiles, median) of the kept cut-offs of
// each row, front and rear side by side; `relative` plots each minus the gear's own cut-off.
// Returns the rows left out for want of cut-offs.
int PlotCutoffSpread(QChart* chart, const ToleranceResult& t, bool relative);

}  // namespace mv
