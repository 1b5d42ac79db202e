// Random gears, sane or absurd, never crash the solver nor leave undefined values behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "model/dimensions.hpp"
#include "model/model.hpp"
#include "model/solver.hpp"

namespace {

float RandomValue(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_real_distribution<float> small(-20.0f, 20.0f);
    switch (kind(rng)) {
        case 0: return 0.0f;
        case 1: return -small(rng);
        case 2: return 1e30f;
        case 3: return -1e30f;
        case 4: return std::numeric_limits<float>::max();
        case 5: return std::numeric_limits<float>::denorm_min();
        case 6: return 1e-7f;
        default: return small(rng);
    }
}

double Dist(const mv::Pivot& a, const mv::Pivot& b) {
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// Every rod of a solution keeps its length, to 1e-4 of the gear's size (float coordinates of a
// gear a thousand units across cannot do better than that in absolute terms).
void ExpectRodsKeepTheirLengths(const mv::Model& m, int trial) {
    const mv::FrameDimensions& f = m.frame;
    const auto& P = m.pivots;
    double size = 1.0;
    for (int k = 0; k <= mv::pv::RevArmTop; ++k)
        size = std::max({size, std::fabs(double(P[k].x)), std::fabs(double(P[k].y))});
    const double tol = 1e-4 * size;
    using namespace mv::pv;
    const struct {
        int a, b;
        double length;
        const char* name;
    } rods[] = {
        {CrankPin, Crosshead, f.mainRod, "main rod"},
        {CrankPin, Driver, f.stroke / 2.0, "crank"},
        {CrankPin, EccCrankPin, f.eccCrankLen, "eccentric crank"},
        {Driver, EccCrankPin, f.eccCircleDia / 2.0, "eccentric circle"},
        {EccCrankPin, HangerPin, f.eccRodLeft, "eccentric rod left"},
        {HangerPin, EccRodEnd, f.eccRodRight, "eccentric rod right"},
        {HangerPin, GuideEnd, f.radiusHanger, "radius hanger"},
        {GuideCentre, GuideEnd, f.guideLinkRadius, "guide link"},
        {EccRodEnd, BellHorzPin, f.transYoke, "transmission yoke"},
        {BellPivot2, BellHorzPin, f.bcHorz, "bell crank horizontal"},
        {BellPivot2, BellVertPin, std::hypot(double(f.bcVert), double(f.bcBackset)),
         "bell crank vertical"},
        {BellVertPin, ValveJoint, f.valveConRod, "valve connecting rod"},
        {RevArmPin, ReachCorner, f.auxHorz, "reach rod horizontal"},
        {ReachCorner, GuideEnd, f.auxVert, "reach rod vertical"},
        {RevArmPivot2, RevArmTop, double(f.revArmLower) + f.revArmUpper, "reverse arm"},
        {RevArmPivot2, RevArmPin, f.revArmLower, "reverse arm lower"},
    };
    for (const auto& r : rods)
        EXPECT_NEAR(Dist(P[r.a], P[r.b]), std::fabs(r.length), tol)
            << r.name << ", trial " << trial;
}

TEST(Property, TenThousandRandomGears) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<float> angle(-400.0f, 400.0f);
    for (int trial = 0; trial < 10000; ++trial) {
        mv::Model m;
        mv::StartUp(m);
        // Change a random handful of dimensions, sometimes all of them.
        const int changes = trial % 10 == 0 ? 49 : 1 + static_cast<int>(rng() % 6);
        for (int c = 0; c < changes; ++c) {
            const bool frame = rng() % 2 == 0;
            const mv::DimensionId id = frame ? 1 + rng() % 27 : 101 + rng() % 22;
            mv::StoreDimension(m, id, RandomValue(rng));
        }
        mv::ComputeMidGear(m);
        if (trial % 3 == 0) m.gear.revArmSetting = RandomValue(rng);
        for (int s = 0; s < 4; ++s) {
            m.gear.driverAngle = angle(rng);
            m.gear.geometryError = false;
            mv::SolveLinkage(m);
            // No clamp acted: every construction was made as drawn.
            if (!m.gear.geometryError) ExpectRodsKeepTheirLengths(m, trial);
            mv::SolvePistonAndPorts(m);
        }
    }
}

TEST(Property, FlagIsRaisedWhenAndOnlyWhenAClampActs) {
    // Stretch the eccentric rod until the radius hanger can no longer reach it.
    mv::Model m;
    mv::StartUp(m);
    for (float erl = 8.47f; erl < 20.0f; erl += 0.5f) {
        m.frame.eccRodLeft = erl;
        m.gear.geometryError = false;
        mv::SolveLinkage(m);
        const double d = std::hypot(m.pivots[mv::pv::GuideEnd].x - m.pivots[mv::pv::EccCrankPin].x,
                                    m.pivots[mv::pv::GuideEnd].y - m.pivots[mv::pv::EccCrankPin].y);
        const bool reachable = erl <= d + m.frame.radiusHanger;
        if (reachable && erl < 12.0f) {
            EXPECT_FALSE(m.gear.geometryError) << erl;
        }
        if (!reachable) {
            EXPECT_TRUE(m.gear.geometryError) << erl;
        }
    }
}

}  // namespace
