// The linkage solver and the valve values against hand-checked geometry of the default gear.
#include "model/solver.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "model/dimensions.hpp"
#include "model/model.hpp"

namespace {

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

double Dist(const mv::Pivot& a, const mv::Pivot& b) {
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

TEST(StartUp, ComputesMidGearAndSizesTheReverseArmBar) {
    mv::Model m = DefaultGear();
    EXPECT_NEAR(m.revArmPositions[0], 3.7693, 1e-4);
    EXPECT_EQ(m.revArmPositions[0], m.revArmPositions[1]);
    EXPECT_FLOAT_EQ(m.revArmPositions[2], m.revArmPositions[0] + 1.04f);
    EXPECT_FLOAT_EQ(m.revArmPositions[3], m.revArmPositions[0] - 1.04f);
    EXPECT_EQ(m.gear.revArmSetting, m.revArmPositions[0]);
    EXPECT_EQ(m.revArmBarMax, 1300);
    EXPECT_EQ(m.revArmBarMin, -1300);
    EXPECT_EQ(m.gear.direction, mv::RunDirection::Fwd);
    EXPECT_EQ(m.dataSetName, "Nominal");
    EXPECT_FALSE(m.gear.geometryError);
}

TEST(SolveLinkage, WorkedPivotsAtZeroDegreesMidGear) {
    mv::Model m = DefaultGear();
    mv::SolveLinkage(m);
    EXPECT_FALSE(m.gear.geometryError);
    struct Expect {
        int pivot;
        double x, y;
    };
    const Expect expected[] = {{2, 1.5, 0},        {3, 11.5, 0},       {11, 0.039, -0.999},
                               {13, 8.4, 3.81},    {10, 8.416, 0.25},  {9, 9.9, 0.471},
                               {8, 10.023, 3.655}, {5, 10.871, 2.334}, {4, 13.306, 2.062},
                               {15, 3.783, 4.439}, {18, 3.769, 4.819}};
    for (const auto& e : expected) {
        EXPECT_NEAR(m.pivots[e.pivot].x, e.x, 1e-3) << "pivot " << e.pivot;
        EXPECT_NEAR(m.pivots[e.pivot].y, e.y, 1e-3) << "pivot " << e.pivot;
    }
}

TEST(SolveLinkage, GuideLinkEndStaysAtCentreInMidGear) {
    mv::Model m = DefaultGear();
    for (float a : {0.0f, 90.0f, 180.0f, 270.0f}) {
        m.gear.driverAngle = a;
        mv::SolveLinkage(m);
        EXPECT_NEAR(m.pivots[mv::pv::GuideEnd].x, 8.4, 1e-3) << a;
        EXPECT_NEAR(m.pivots[mv::pv::GuideEnd].y, 3.81, 1e-3) << a;
    }
}

TEST(SolveLinkage, SolvingTwiceGivesTheSamePivots) {
    mv::Model m = DefaultGear();
    m.gear.driverAngle = 123.0f;
    mv::SolveLinkage(m);
    const auto first = m.pivots;
    mv::SolveLinkage(m);
    for (int k = 0; k < mv::kPivotCount; ++k) {
        EXPECT_EQ(first[k].x, m.pivots[k].x);
        EXPECT_EQ(first[k].y, m.pivots[k].y);
    }
}

// Every rod of the gear must keep its length over the whole turn, in every gear.
TEST(SolveLinkage, RodsKeepTheirLengthsOverTheTurn) {
    mv::Model m = DefaultGear();
    const mv::FrameDimensions& f = m.frame;
    const float mid = m.revArmPositions[0];
    for (float setting : {mid, mid + f.revArmMax, mid - f.revArmMax}) {
        for (int a = 0; a <= 360; a += 10) {
            m.gear.revArmSetting = setting;
            m.gear.driverAngle = static_cast<float>(a);
            m.gear.geometryError = false;
            mv::SolveLinkage(m);
            const auto& P = m.pivots;
            const std::string where =
                "setting " + std::to_string(setting) + " angle " + std::to_string(a);
            EXPECT_FALSE(m.gear.geometryError) << where;
            EXPECT_NEAR(Dist(P[2], P[3]), f.mainRod, 1e-4) << where;
            EXPECT_NEAR(Dist(P[2], P[1]), f.stroke / 2, 1e-4) << where;
            EXPECT_NEAR(Dist(P[2], P[11]), f.eccCrankLen, 1e-4) << where;
            EXPECT_NEAR(Dist(P[1], P[11]), f.eccCircleDia / 2, 1e-4) << where;
            EXPECT_NEAR(Dist(P[11], P[10]), f.eccRodLeft, 1e-4) << where;
            EXPECT_NEAR(Dist(P[10], P[9]), f.eccRodRight, 1e-4) << where;
            EXPECT_NEAR(Dist(P[10], P[13]), f.radiusHanger, 1e-4) << where;
            EXPECT_NEAR(Dist(P[12], P[13]), f.guideLinkRadius, 1e-4) << where;
            EXPECT_NEAR(Dist(P[9], P[8]), f.transYoke, 1e-4) << where;
            EXPECT_NEAR(Dist(P[7], P[8]), f.bcHorz, 1e-4) << where;
            EXPECT_NEAR(Dist(P[7], P[5]), std::hypot(f.bcVert, f.bcBackset), 1e-4) << where;
            EXPECT_NEAR(Dist(P[5], P[4]), f.valveConRod, 1e-4) << where;
            EXPECT_NEAR(Dist(P[15], P[14]), f.auxHorz, 1e-4) << where;
            EXPECT_NEAR(Dist(P[14], P[13]), f.auxVert, 1e-4) << where;
            EXPECT_NEAR(Dist(P[17], P[18]), f.revArmLower + f.revArmUpper, 1e-4) << where;
            EXPECT_NEAR(Dist(P[17], P[15]), f.revArmLower, 1e-4) << where;
            // The points that ride on fixed lines.
            EXPECT_FLOAT_EQ(P[3].y, 0.0f);
            EXPECT_NEAR(P[4].y, 2.062, 1e-6);
        }
    }
}

TEST(SolveLinkage, ShortMainRodUsesTheAbsoluteRadicandAndRaisesTheFlag) {
    mv::Model m = DefaultGear();
    m.frame.mainRod = 1.0f;  // crank pin 1.5 below the line at 90 degrees
    m.gear.driverAngle = 90.0f;
    mv::SolveLinkage(m);
    EXPECT_TRUE(m.gear.geometryError);
    // x3 = x2 + sqrt(|1 - 1.5^2|)
    EXPECT_NEAR(m.pivots[mv::pv::Crosshead].x, m.pivots[mv::pv::CrankPin].x + std::sqrt(1.25),
                1e-5);
}

TEST(SolveLinkage, ErrorBeepOffNeverRaisesTheFlag) {
    mv::Model m = DefaultGear();
    m.gear.errorBeep = false;
    m.frame.mainRod = 0.0f;
    m.frame.stroke = 0.0f;
    m.frame.eccRodLeft = 0.0f;
    for (int a = 0; a < 360; a += 15) {
        m.gear.driverAngle = static_cast<float>(a);
        mv::SolveLinkage(m);
        mv::SolvePistonAndPorts(m);
    }
    mv::ComputeMidGear(m);
    EXPECT_FALSE(m.gear.geometryError);
}

TEST(SolveLinkage, CoincidentPivotsAreClampedNotDividedByZero) {
    mv::Model m = DefaultGear();
    // Guide link centre on top of the reverse-arm pin's path: distance d can vanish.
    m.frame.auxHorz = 0.0f;
    m.frame.auxVert = 0.0f;
    m.pivots[mv::pv::GuideCentre] = m.pivots[mv::pv::RevArmPin];
    mv::SolveLinkage(m);
    EXPECT_TRUE(m.gear.geometryError);
    for (int k = 0; k <= 18; ++k) {
        EXPECT_FALSE(std::isnan(m.pivots[k].x)) << k;
        EXPECT_FALSE(std::isnan(m.pivots[k].y)) << k;
    }
}

TEST(ComputeMidGear, ZeroLowerReverseArmIsReplacedAndDriverAngleKept) {
    mv::Model m = DefaultGear();
    m.frame.revArmLower = 0.0f;
    m.gear.driverAngle = 77.0f;
    mv::ComputeMidGear(m);
    EXPECT_EQ(m.frame.revArmLower, mv::kDivisorLimit);
    EXPECT_EQ(m.gear.driverAngle, 77.0f);
    EXPECT_FALSE(std::isnan(m.revArmPositions[0]));
}

TEST(ComputeMidGear, KeepsTheUserPositions) {
    mv::Model m = DefaultGear();
    for (int k = 4; k <= 9; ++k) m.revArmPositions[k] = static_cast<float>(k);
    m.frame.guideLinkRadius = 3.7f;
    mv::ComputeMidGear(m);
    for (int k = 4; k <= 9; ++k) EXPECT_EQ(m.revArmPositions[k], static_cast<float>(k));
}

TEST(ComputeMidGear, PositiveOffsetTiltsTowardTheCylinder) {
    mv::Model a = DefaultGear();
    mv::Model b = DefaultGear();
    b.frame.offsetAngle = 5.0f;
    mv::ComputeMidGear(b);
    EXPECT_GT(b.pivots[mv::pv::GuideEnd].x, a.pivots[mv::pv::GuideCentre].x);
    EXPECT_NE(a.revArmPositions[0], b.revArmPositions[0]);
}

TEST(Clamps, SinglePrecisionConstantsAndFlag) {
    mv::Model m;
    m.gear.errorBeep = true;
    EXPECT_EQ(mv::ClampDivisor(m, 0.0L), static_cast<long double>(0.00001f));
    EXPECT_EQ(mv::ClampDivisor(m, -0.0000001L), -static_cast<long double>(0.00001f));
    EXPECT_TRUE(m.gear.geometryError);
    m.gear.geometryError = false;
    EXPECT_EQ(mv::ClampDivisor(m, 2.0L), 2.0L);
    EXPECT_EQ(mv::ClampCosine(m, 0.5L), 0.5L);
    EXPECT_EQ(mv::ClampRadicand(m, 4.0L), 4.0L);
    EXPECT_FALSE(m.gear.geometryError);
    EXPECT_EQ(mv::ClampCosine(m, 1.5L), static_cast<long double>(0.999999f));
    EXPECT_EQ(mv::ClampCosine(m, -1.5L), -static_cast<long double>(0.999999f));
    EXPECT_EQ(mv::ClampCosine(m, std::nanl("")), static_cast<long double>(0.999999f));
    EXPECT_EQ(mv::ClampRadicand(m, -4.0L), 4.0L);
    EXPECT_TRUE(m.gear.geometryError);
}

TEST(Valve, DeadCentresGiveZeroAndFullStroke) {
    mv::Model m = DefaultGear();
    for (float stroke : {3.0f, 1.0f, 7.5f}) {
        for (float rod : {10.0f, 4.0f, 25.0f}) {
            m.frame.stroke = stroke;
            m.frame.mainRod = rod;
            m.gear.driverAngle = 0.0f;
            mv::SolveLinkage(m);
            mv::SolvePistonAndPorts(m);
            EXPECT_NEAR(m.valve.piston, 0.0, 1e-3);
            m.gear.driverAngle = 180.0f;
            mv::SolveLinkage(m);
            mv::SolvePistonAndPorts(m);
            EXPECT_NEAR(m.valve.piston, 640.0, 1e-3);
        }
    }
}

// The default cavity reaches 0.0005 past the inner port edges, so a centred valve covers both
// steam ports by the steam lap and leaves the exhaust open by that small clearance.
TEST(Valve, DefaultLapsAndACentredValve) {
    mv::Model m = DefaultGear();
    mv::SolveLinkage(m);
    EXPECT_NEAR(m.thresholds.frontSteamLap, 0.1565, 1e-6);
    EXPECT_NEAR(m.thresholds.rearSteamLap, 0.1565, 1e-6);
    EXPECT_NEAR(m.thresholds.frontExhaustLap, 0.0005, 1e-6);
    EXPECT_NEAR(m.thresholds.rearExhaustLap, 0.0005, 1e-6);
    // Centre the valve: pivot 4 so that s = 0.
    m.pivots[mv::pv::ValveJoint].x = m.cyl.cylCtr - m.cyl.valveStem;
    mv::SolvePistonAndPorts(m);
    EXPECT_NEAR(m.valve.displacement, 0.0, 1e-6);
    EXPECT_NEAR(m.valve.frontSteam, -0.1565, 1e-6);
    EXPECT_NEAR(m.valve.rearSteam, -0.1565, 1e-6);
    EXPECT_NEAR(m.valve.frontExhaust, 0.0005, 1e-6);
    EXPECT_NEAR(m.valve.rearExhaust, 0.0005, 1e-6);
    EXPECT_FLOAT_EQ(m.valve.frontSteam, m.valve.rearSteam);
    EXPECT_FLOAT_EQ(m.valve.frontExhaust, m.valve.rearExhaust);
}

TEST(Valve, OpeningsFollowTheValveDisplacement) {
    mv::Model m = DefaultGear();
    mv::SolveLinkage(m);
    mv::SolvePistonAndPorts(m);
    const mv::ValveEvents v0 = m.valve;
    m.pivots[mv::pv::ValveJoint].x += 0.1f;  // valve moves toward the front
    mv::SolvePistonAndPorts(m);
    EXPECT_NEAR(m.valve.displacement - v0.displacement, 0.1, 1e-5);
    EXPECT_NEAR(m.valve.frontSteam - v0.frontSteam, -0.1, 1e-5);
    EXPECT_NEAR(m.valve.frontExhaust - v0.frontExhaust, 0.1, 1e-5);
    EXPECT_NEAR(m.valve.rearSteam - v0.rearSteam, 0.1, 1e-5);
    EXPECT_NEAR(m.valve.rearExhaust - v0.rearExhaust, -0.1, 1e-5);
}

}  // namespace
