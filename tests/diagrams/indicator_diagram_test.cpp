// The indicator diagram on rendered images: the cards where the closed form puts them, the
// legend's figures, clipping, and what it draws without cards.
#include <gtest/gtest.h>

#include <cmath>

#include "diagram_support.hpp"
#include "model/screen_math.hpp"

namespace mv {
namespace {

using test::At;
using test::CountInRect;

constexpr QRgb kBlue = 0x0000FF;
const QRect kFrontPlot(44, 92, 257, 241), kRearPlot(358, 92, 257, 241);

// One position, 0.8 of the way to full forward gear.
Model OnePosition() {
    Model m = test::StartModel();
    m.revArmPositions[1] = m.revArmPositions[0] + 0.8f * m.frame.revArmMax;
    m.revArmPositionCount = 1;
    return m;
}

QImage Render(Model& m, const SteamConditions& s = {}) {
    test::EnsureGui();
    QImage img(DiagramClientSize(DiagramKind::Indicator), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    BeginDiagramPainting(p);
    DiagramOptions opt;
    opt.clearRect = img.rect();
    opt.steam = s;
    DrawDiagram(DiagramKind::Indicator, m, p, opt);
    return img;
}

// The card's colour within a pixel of (x, y).
bool NearCard(const QImage& img, int x, int y) {
    return CountInRect(img, QRect(x - 1, y - 1, 3, 3), kBlue) > 0;
}

TEST(IndicatorDiagram, CardsLieWhereTheClosedFormPutsThem) {
    Model m = OnePosition();
    const float angle = m.gear.driverAngle, setting = m.gear.revArmSetting;
    const QImage img = Render(m);
    EXPECT_EQ(img.size(), QSize(632, 496));
    EXPECT_EQ(m.gear.driverAngle, angle);
    EXPECT_EQ(m.gear.revArmSetting, setting);

    const EventRow row = ComputeEventRow(m, m.revArmPositions[1], SweepDirection::Forward);
    // 100 and 15 on a scale to 125 over 240 pixels; 108 per cent of volume over 256 pixels.
    auto X = [](int left, long double u) { return RoundToScreen(left + (u + 8) / 108 * 256); };
    auto Y = [](long double p) { return RoundToScreen(332 - p / 125 * 240); };
    for (const auto& [left, end] : {std::pair{44, row.front}, std::pair{358, row.rear}}) {
        const long double c = *end.cutoff, r = *end.release;
        // The admission line, the exhaust line and the expansion curve between cut-off and release.
        EXPECT_EQ(At(img, X(left, c / 2), Y(100)), kBlue) << left;
        EXPECT_EQ(At(img, X(left, (r + 100) / 2 + 2), Y(15)), kBlue) << left;
        const long double u = (c + r) / 2;
        EXPECT_TRUE(NearCard(img, X(left, u), Y(100 * (8 + c) / (8 + u)))) << left;
        // Nothing of the card right of the far dead centre.
        EXPECT_EQ(CountInRect(img, QRect(X(left, 100) + 2, 92, 10, 241), kBlue), 0);
    }
}

TEST(IndicatorDiagram, LegendGivesEachRowsFigures) {
    Model m = OnePosition();
    const QImage img = Render(m);
    const PerformanceRow r = RowPerformance(
        m, ComputeEventRow(m, m.revArmPositions[1], SweepDirection::Forward), SteamConditions{});
    const std::span<const PerformanceColumn> cols = PerformanceColumns();
    const std::pair<int, int> shown[] = {{248, 4}, {318, 6}, {388, 9}};  // x, column
    for (const auto& [x, col] : shown) {
        const QString text = QString::fromStdString(PerformanceCellText(cols[col], r));
        const QImage expected = test::TextImage(m, img.size(), x, 382, text);
        EXPECT_TRUE(test::SameRegion(img, expected, test::TextRect(x, 382, text)))
            << text.toStdString();
    }
    // The row's number in its cards' colour.
    EXPECT_GT(CountInRect(img, test::TextRect(13, 382, "1", true), kBlue), 3);
}

TEST(IndicatorDiagram, ConditionsMoveTheCards) {
    Model m = OnePosition();
    const QImage plain = Render(m);
    SteamConditions s;
    s.clearance = 20;
    const QImage more = Render(m, s);
    EXPECT_FALSE(test::SameRegion(plain, more, kFrontPlot));
    const QString label = QStringLiteral("Clearance 20 %");
    EXPECT_TRUE(test::SameRegion(more, test::TextImage(m, more.size(), 9, 46, label),
                                 test::TextRect(9, 46, label)));
}

TEST(IndicatorDiagram, AHighCompressionPeakStaysInsideThePlot) {
    Model m = OnePosition();
    SteamConditions s;
    s.clearance = 0.05f;  // compression far above the steam-chest pressure
    const QImage img = Render(m, s);
    EXPECT_GT(CountInRect(img, kFrontPlot, kBlue), 300);
    // Above the plots, and between them, no card.
    EXPECT_EQ(CountInRect(img, QRect(0, 0, 632, 92), kBlue), 0);
    EXPECT_EQ(CountInRect(img, QRect(302, 92, 55, 241), kBlue), 0);
}

TEST(IndicatorDiagram, WithoutCardsOnlyTheAxes) {
    Model m = test::StartModel();
    m.revArmPositionCount = 0;
    const QImage none = Render(m);
    for (QRgb c : {kBlue, QRgb(0xFF0000), QRgb(0x008000)})
        EXPECT_EQ(CountInRect(none, none.rect(), c), 0);
    EXPECT_TRUE(test::AnyNonWhite(none, QRect(44, 320, 20, 20)));  // the axes are there

    Model one = OnePosition();
    SteamConditions bad;
    bad.backPressure = 0;
    const QImage refused = Render(one, bad);
    EXPECT_EQ(CountInRect(refused, refused.rect(), kBlue), 0);
    const QString why = QStringLiteral("No cards: the back pressure is not above 0");
    EXPECT_TRUE(test::SameRegion(refused, test::TextImage(one, refused.size(), 54, 100, why),
                                 test::TextRect(54, 100, why)));
}

}  // namespace
}  // namespace mv
