#include "design/sensitivity_charts.hpp"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QChart>
#include <QChartView>
#include <QHorizontalBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <vector>

#include "mainwin/look.hpp"
#include "model/dimensions.hpp"

namespace mv {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Linear-interpolated quantile of sorted values.
double Quantile(const std::vector<float>& sorted, double q) {
    const double pos = q * static_cast<double>(sorted.size() - 1);
    const auto lo = static_cast<std::size_t>(std::floor(pos));
    const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (pos - static_cast<double>(lo)) * (sorted[hi] - sorted[lo]);
}

QBoxSet* Box(std::vector<float> values, const QString& label) {
    std::sort(values.begin(), values.end());
    return new QBoxSet(values.front(), Quantile(values, 0.25), Quantile(values, 0.5),
                       Quantile(values, 0.75), values.back(), label);
}

void ClearChart(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* a : chart->axes()) {
        chart->removeAxis(a);
        delete a;
    }
}

}  // namespace

QChartView* MakeStudyChartView(QWidget* parent, const char* name, const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(360, 300);
    return view;
}

void PlotRanking(QChart* chart, const SensitivityResult& r, int bars) {
    ClearChart(chart);
    auto* set = new QBarSet("score");
    QStringList names;
    std::vector<const RankEntry*> top;
    for (const RankEntry& e : r.ranking) {
        if (static_cast<int>(top.size()) >= bars || !e.score || !(*e.score > 0)) break;
        top.push_back(&e);
    }
    // Bars are drawn bottom up: the largest last, so it stands at the top.
    double largest = 0;
    std::reverse(top.begin(), top.end());
    for (const RankEntry* e : top) {
        set->append(*e->score);
        largest = std::max(largest, *e->score);
        names << QString("%1  %2").arg(e->id).arg(FindDimension(e->id)->shortName);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(names);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    auto* values = new QValueAxis;
    values->setTitleText("% of stroke per unit");
    values->setRange(0, largest > 0 ? largest * 1.05 : 1);
    values->applyNiceNumbers();
    values->setLabelFormat("%g");
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
}

int PlotCutoffSpread(QChart* chart, const ToleranceResult& t, bool relative) {
    ClearChart(chart);
    auto* frontSeries = new QBoxPlotSeries;
    frontSeries->setName("front");
    auto* rearSeries = new QBoxPlotSeries;
    rearSeries->setName("rear");
    QStringList categories;
    int skipped = 0;
    double lo = 0, hi = 0;
    bool any = false;
    for (const ToleranceRow& row : t.rows) {
        if (row.frontCutoffs.empty() || row.rearCutoffs.empty() ||
            (relative && (!row.nominal.front.cutoff || !row.nominal.rear.cutoff))) {
            ++skipped;
            continue;
        }
        const QString label =
            QString("%1 %2").arg(SweepDirectionText(row.direction), Q(NotchText(row.notch)));
        categories << label;
        for (bool front : {true, false}) {
            std::vector<float> v = front ? row.frontCutoffs : row.rearCutoffs;
            if (relative) {
                const float nominal = front ? *row.nominal.front.cutoff : *row.nominal.rear.cutoff;
                for (float& x : v) x -= nominal;
            }
            const auto [mn, mx] = std::minmax_element(v.begin(), v.end());
            lo = any ? std::min<double>(lo, *mn) : *mn;
            hi = any ? std::max<double>(hi, *mx) : *mx;
            any = true;
            (front ? frontSeries : rearSeries)->append(Box(std::move(v), label));
        }
    }
    chart->addSeries(frontSeries);
    chart->addSeries(rearSeries);
    // After addSeries, which applies the theme: teal and red, as in the valve-event table.
    auto translucent = [](QRgb c) { return QColor(qRed(c), qGreen(c), qBlue(c), 0xB0); };
    frontSeries->setBrush(translucent(kTeal));
    rearSeries->setBrush(translucent(kRed));
    auto* axisX = new QBarCategoryAxis;
    axisX->append(categories);
    QFont small = axisX->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);  // "fwd 0.75" fits under its two boxes
    axisX->setLabelsFont(small);
    chart->addAxis(axisX, Qt::AlignBottom);
    frontSeries->attachAxis(axisX);
    rearSeries->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setTitleText(relative ? "cut-off \u2212 nominal, % of stroke" : "cut-off, % of stroke");
    const double pad = std::max(relative ? 0.05 : 0.5, 0.05 * (hi - lo));
    if (any) {
        axisY->setRange(lo - pad, hi + pad);
    } else {
        axisY->setRange(relative ? -1 : 0, relative ? 1 : 100);
    }
    axisY->applyNiceNumbers();
    chart->addAxis(axisY, Qt::AlignLeft);
    frontSeries->attachAxis(axisY);
    rearSeries->attachAxis(axisY);
    return skipped;
}

}  // namespace mv
