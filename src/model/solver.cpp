#include "model/solver.hpp"

#include <cmath>
#include <limits>
#include <numbers>

namespace mv {
namespace {

using LD = long double;
using C = Construction;
constexpr LD kPi = std::numbers::pi_v<long double>;
constexpr LD kHalfPi = kPi / 2.0L;

// arcsin as the one-argument arctangent of c / sqrt(1 - c^2); callers clamp c first.
LD ArcSin(LD c) {
    return std::atan(c / std::sqrt(1.0L - c * c));
}

LD Sq(LD v) {
    return v * v;
}

// Narrowing a long double beyond the float range is undefined; such values become infinities,
// which the drawing code saturates.
float F(LD v) {
    constexpr LD kMax = std::numeric_limits<float>::max();
    // One test on the magnitude: every pivot of every solve passes through here.
    if (std::fabs(v) > kMax) [[unlikely]]
        return v > 0 ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

LD Divisor(ClampLog& log, C step, LD v) {
    const LD lim = kDivisorLimit;
    if (v >= 0.0L && v < lim) {
        log.Mark(step);
        return lim;
    }
    if (v < 0.0L && v > -lim) {
        log.Mark(step);
        return -lim;
    }
    if (std::isnan(v)) {
        // Not a number cannot be divided by; treat it like a vanishing divisor.
        log.Mark(step);
        return lim;
    }
    return v;
}

LD Cosine(ClampLog& log, C step, LD c) {
    const LD lim = kCosineLimit;
    if (c > lim || std::isnan(c)) {
        log.Mark(step);
        c = lim;
    }
    if (c < -lim) {
        log.Mark(step);
        c = -lim;
    }
    return c;
}

LD Radicand(ClampLog& log, C step, LD r) {
    if (r < 0.0L) {
        log.Mark(step);
        return -r;
    }
    return r;
}

LD Radians(LD degrees) {
    return degrees * kPi / 180.0L;
}

// The one-argument arctangents pick the right intersection only while the points lie the way
// round the drawing has them; the other way (the callers test the sign that decides it) they
// give a point off the second circle, with no clamp acting. Such a construction is as
// impossible as a clamped one.
template <class Point>
void CheckReach(ClampLog& log, C step, LD px, LD py, const Point& centre, LD radius) {
    const LD dist2 = Sq(px - centre.x) + Sq(py - centre.y);
    const LD err = std::fabs(dist2 - Sq(radius));
    if (!(err <= 1e-6L * (dist2 + Sq(radius)) + 1e-12L)) log.Mark(step);
}

// Steps 1 and 5 to 9: the reverse arm, the auxiliary reach rod and the guide link end, which
// depend on the reverse-arm setting only.
[[gnu::always_inline]] inline void ArmSteps(const FrameDimensions& f, float setting, PivotArray& P,
                                            ClampLog& log) {
    const LD RAU = f.revArmUpper, RAL = f.revArmLower;
    const LD ARV = f.auxVert, ARH = f.auxHorz, GLR = f.guideLinkRadius;

    // 1. Reverse arm top end.
    P[pv::RevArmTop].x = setting;

    // 5. Reverse arm top, upper root.
    P[pv::RevArmTop].y =
        F(P[pv::RevArmPivot2].y +
          std::sqrt(Radicand(log, C::ReverseArmTop,
                             Sq(RAL + RAU) - Sq(LD(P[pv::RevArmTop].x) - P[pv::RevArmPivot2].x))));

    // 6. Reverse arm pin.
    {
        const LD L = Divisor(log, C::ReverseArmPin, RAL + RAU);
        P[pv::RevArmPin].x =
            F(P[pv::RevArmPivot2].x + (LD(P[pv::RevArmTop].x) - P[pv::RevArmPivot2].x) * RAL / L);
        P[pv::RevArmPin].y =
            F(P[pv::RevArmPivot2].y + RAL * (LD(P[pv::RevArmTop].y) - P[pv::RevArmPivot2].y) / L);
    }

    // 7. Auxiliary reach rod length.
    const LD A = std::sqrt(Sq(ARH) + Sq(ARV));

    // 8. Guide link end.
    LD gamma8;
    {
        const Pivot& p15 = P[pv::RevArmPin];
        const Pivot& p12 = P[pv::GuideCentre];
        const LD dx = LD(p12.x) - p15.x, dy = LD(p15.y) - p12.y;
        const LD beta = std::atan(dy / Divisor(log, C::GuideLinkEnd, dx));
        const LD d = Divisor(log, C::GuideLinkEnd, std::sqrt(Sq(dx) + Sq(dy)));
        const LD c =
            Cosine(log, C::GuideLinkEnd,
                   (Sq(d) + Sq(A) - Sq(GLR)) / 2.0L / d / Divisor(log, C::GuideLinkEnd, A));
        gamma8 = ArcSin(c) + beta - kHalfPi;
        const LD x = p15.x + A * std::cos(gamma8), y = p15.y - A * std::sin(gamma8);
        if (dx < 0.0L) CheckReach(log, C::GuideLinkEnd, x, y, p12, GLR);
        P[pv::GuideEnd].x = F(x);
        P[pv::GuideEnd].y = F(y);
    }

    // 9. Corner of the auxiliary reach rod.
    {
        const LD delta = gamma8 - std::atan(ARV / Divisor(log, C::ReachRodCorner, ARH));
        const LD x = P[pv::RevArmPin].x + ARH * std::cos(delta);
        const LD y = P[pv::RevArmPin].y - ARH * std::sin(delta);
        if (ARH < 0.0L) CheckReach(log, C::ReachRodCorner, x, y, P[pv::GuideEnd], ARV);
        P[pv::ReachCorner].x = F(x);
        P[pv::ReachCorner].y = F(y);
    }
}

// Stores a construction's result: rounded to a float in the pivot table, kept whole in the
// extended-precision table of the exact sweep.
void Put(float& dst, LD v) {
    dst = F(v);
}
void Put(LD& dst, LD v) {
    dst = v;
}

// Step 4: the eccentric crank pin.
template <class Pivots>
[[gnu::always_inline]] inline void EccentricCrankStep(const FrameDimensions& f, LD th, Pivots& P,
                                                      ClampLog& log) {
    const LD S = f.stroke, D = f.eccCircleDia, ECL = f.eccCrankLen;
    LD t = (Sq(S / 2.0L) + Sq(D / 2.0L) - Sq(ECL)) / Divisor(log, C::EccentricCrank, S);
    t = t / Divisor(log, C::EccentricCrank, D) * 2.0L;
    const LD c = Cosine(log, C::EccentricCrank, t);
    const LD eps = ArcSin(c) - th - kHalfPi;
    Put(P[pv::EccCrankPin].x, std::cos(eps) * D / 2.0L);
    Put(P[pv::EccCrankPin].y, std::sin(eps) * D / 2.0L);
}

// Steps 10 to 14: from the eccentric crank pin through the eccentric rod, transmission yoke and
// bell crank to the valve-stem joint.
template <class Pivots>
[[gnu::always_inline]] inline void ValveTrainSteps(const FrameDimensions& f, Pivots& P,
                                                   ClampLog& log) {
    const LD ERL = f.eccRodLeft, ERR = f.eccRodRight, RH = f.radiusHanger, TY = f.transYoke;
    const LD BCV = f.bcVert, BCB = f.bcBackset, BCH = f.bcHorz, VCR = f.valveConRod;
    const auto& p11 = P[pv::EccCrankPin];

    // 10. Radius-hanger pin on the eccentric rod.
    {
        const auto& p13 = P[pv::GuideEnd];
        const LD dx = LD(p13.x) - p11.x, dy = LD(p13.y) - p11.y;
        const LD beta = std::atan(dy / Divisor(log, C::RadiusHangerPin, dx));
        const LD d = Divisor(log, C::RadiusHangerPin, std::sqrt(Sq(dx) + Sq(dy)));
        const LD c =
            Cosine(log, C::RadiusHangerPin,
                   (Sq(d) + Sq(ERL) - Sq(RH)) / 2.0L / d / Divisor(log, C::RadiusHangerPin, ERL));
        const LD gamma = ArcSin(c) + beta - kHalfPi;
        const LD x = p11.x + ERL * std::cos(gamma), y = p11.y + ERL * std::sin(gamma);
        if (dx < 0.0L) CheckReach(log, C::RadiusHangerPin, x, y, p13, RH);
        Put(P[pv::HangerPin].x, x);
        Put(P[pv::HangerPin].y, y);
    }

    // 11. Eccentric rod right end.
    {
        const LD k = (ERL + ERR) / Divisor(log, C::EccentricRodEnd, ERL);
        Put(P[pv::EccRodEnd].x, p11.x + (LD(P[pv::HangerPin].x) - p11.x) * k);
        Put(P[pv::EccRodEnd].y, p11.y + (LD(P[pv::HangerPin].y) - p11.y) * k);
    }

    // 12. Bell crank horizontal-arm pin.
    LD gamma12;
    const auto& p7 = P[pv::BellPivot2];
    {
        const auto& p9 = P[pv::EccRodEnd];
        const LD dx = LD(p7.x) - p9.x, dy = LD(p7.y) - p9.y;
        const LD beta = std::atan(dx / Divisor(log, C::BellCrankHorzPin, dy));
        const LD d = Divisor(log, C::BellCrankHorzPin, std::sqrt(Sq(dx) + Sq(dy)));
        const LD c =
            Cosine(log, C::BellCrankHorzPin,
                   (Sq(d) + Sq(BCH) - Sq(TY)) / 2.0L / d / Divisor(log, C::BellCrankHorzPin, BCH));
        gamma12 = kHalfPi + beta - ArcSin(c);
        const LD x = p7.x - BCH * std::sin(gamma12), y = p7.y - BCH * std::cos(gamma12);
        if (dy < 0.0L) CheckReach(log, C::BellCrankHorzPin, x, y, p9, TY);
        Put(P[pv::BellHorzPin].x, x);
        Put(P[pv::BellHorzPin].y, y);
    }

    // 13. Bell crank vertical-arm pin, rigid with the horizontal arm.
    {
        const LD mu = std::atan(BCB / Divisor(log, C::BellCrankVertPin, BCV)) + gamma12 - kHalfPi;
        LD rho = std::sqrt(Sq(BCV) + Sq(BCB));
        if (BCV < 0.0L) rho = -rho;
        Put(P[pv::BellVertPin].x, p7.x - rho * std::sin(mu));
        Put(P[pv::BellVertPin].y, p7.y - rho * std::cos(mu));
    }

    // 14. Valve-stem joint, ahead of P5.
    const auto& p5 = P[pv::BellVertPin];
    Put(P[pv::ValveJoint].x,
        p5.x +
            std::sqrt(Radicand(log, C::ValveJoint, Sq(VCR) - Sq(LD(p5.y) - P[pv::ValveJoint].y))));
}

// Steps 2 to 4 and 10 to 15: everything that moves with the driver. Returns the radius-hanger
// angle.
template <class Pivots>
[[gnu::always_inline]] inline LD DrivenSteps(const FrameDimensions& f, LD th, Pivots& P,
                                             ClampLog& log) {
    const LD S = f.stroke, MR = f.mainRod;

    // 2. Main crank pin.
    Put(P[pv::CrankPin].x, P[pv::Driver].x + std::cos(th) * S / 2.0L);
    Put(P[pv::CrankPin].y, P[pv::Driver].y - std::sin(th) * S / 2.0L);

    // 3. Crosshead on the cylinder line.
    Put(P[pv::Crosshead].x,
        P[pv::CrankPin].x +
            std::sqrt(Radicand(log, C::Crosshead,
                               Sq(MR) - Sq(LD(P[pv::CrankPin].y) - P[pv::Crosshead].y))));

    // 4. Eccentric crank pin; 10 to 14 the valve train.
    EccentricCrankStep(f, th, P, log);
    ValveTrainSteps(f, P, log);

    // 15. Radius-hanger angle from vertical.
    const auto& p13 = P[pv::GuideEnd];
    const auto& p10 = P[pv::HangerPin];
    return std::atan((LD(p13.x) - p10.x) / Divisor(log, C::RadiusHangerAngle, LD(p13.y) - p10.y));
}

}  // namespace

// --- Pure functions ----------------------------------------------------------------------------

ValveThresholds ValveThresholdsOf(const CylinderDimensions& c) {
    ValveThresholds t;
    const LD E2 = LD(c.exhaustPort) / 2.0L;
    const LD BF = c.bridgeFront, BR = c.bridgeRear, SF = c.steamPortFront, SR = c.steamPortRear;
    const LD VF = c.valveFrontHalf, VR = c.valveRearHalf, XF = c.exhCavFront, XR = c.exhCavRear;
    const LD J = c.valveStem, Cc = c.cylCtr;
    const LD Tfs = E2 + BF + SF - VF, Tfx = E2 + BF - XF;
    const LD Trs = E2 + BR + SR - VR, Trx = E2 + BR - XR;
    t.frontSteamEdge = F(Tfs);
    t.frontSteamFull = F(E2 + BF - VF);
    t.frontExhaustEdge = F(Tfx);
    t.rearSteamEdge = F(Trs);
    t.rearSteamFull = F(E2 + BR - VR);
    t.rearExhaustEdge = F(Trx);
    t.rearSteamJointEdge = F(Trs + J - Cc);
    t.frontSteamJointEdge = F(Tfs + Cc - J);
    t.frontSteamLap = F(-Tfs);
    t.rearSteamLap = F(-Trs);
    t.frontExhaustLap = F(-Tfx);
    t.rearExhaustLap = F(-Trx);
    return t;
}

LinkageSolution SolveLinkageOf(const Gear& g, float driverAngle, float revArmSetting,
                               bool errorBeep) {
    LinkageSolution s;
    s.pivots = g.pivots;
    ClampLog log{errorBeep};
    // The arm steps come first in the table but do not depend on the driven ones, and the
    // first clamp is taken in construction order, so the order here changes nothing.
    ArmSteps(g.frame, revArmSetting, s.pivots, log);
    s.radiusHangerAngle = F(DrivenSteps(g.frame, Radians(driverAngle), s.pivots, log));
    s.thresholds = ValveThresholdsOf(g.cyl);
    s.geometryError = log.raised;
    s.firstClamp = log.first;
    return s;
}

long double PistonAt(const Gear& g, long double driverAngle, ClampLog& log) {
    const LD th = Radians(driverAngle);
    const LD S = Divisor(log, C::Piston, g.frame.stroke);
    const LD MR = g.frame.mainRod;
    const LD rad = Radicand(log, C::Piston, Sq(MR) - Sq(std::sin(th) * S / 2.0L));
    return 320.0L - 320.0L * (std::cos(th) + 2.0L * std::sqrt(rad) / S - 2.0L * MR / S);
}

ValveEvents PistonAndPortsOf(const Gear& g, float driverAngle, float valveJointX,
                             const ValveThresholds& t, ClampLog& log) {
    const LD p = PistonAt(g, driverAngle, log);
    const LD s = LD(valveJointX) + g.cyl.valveStem - g.cyl.cylCtr;
    ValveEvents v;
    v.displacement = F(s);
    v.piston = F(p);
    v.frontSteam = F(t.frontSteamEdge - s);
    v.frontExhaust = F(s - t.frontExhaustEdge);
    v.rearSteam = F(t.rearSteamEdge + s);
    v.rearExhaust = F(-s - t.rearExhaustEdge);
    return v;
}

GearSolution SolveGear(const Gear& g, float driverAngle, float revArmSetting, bool errorBeep) {
    GearSolution s;
    s.linkage = SolveLinkageOf(g, driverAngle, revArmSetting, errorBeep);
    ClampLog log{errorBeep, s.linkage.geometryError, s.linkage.firstClamp};
    s.valve = PistonAndPortsOf(g, driverAngle, s.linkage.pivots[pv::ValveJoint].x,
                               s.linkage.thresholds, log);
    s.geometryError = log.raised;
    s.firstClamp = log.first;
    return s;
}

MidGearSolution SolveMidGear(const Gear& g, bool errorBeep) {
    const FrameDimensions& f = g.frame;
    const auto& P = g.pivots;
    ClampLog log{errorBeep};
    MidGearSolution s;

    const LD GLR = f.guideLinkRadius;
    const LD off = Radians(f.offsetAngle);
    s.guideEnd = P[pv::GuideEnd];
    s.guideEnd.x = F(P[pv::GuideCentre].x + GLR * std::sin(off));
    s.guideEnd.y = F(P[pv::GuideCentre].y + GLR * std::cos(off));

    const LD A = std::sqrt(Sq(LD(f.auxVert)) + Sq(LD(f.auxHorz)));
    const Pivot& p17 = P[pv::RevArmPivot2];
    const LD dx = LD(s.guideEnd.x) - p17.x, dy = LD(s.guideEnd.y) - p17.y;
    // Coincident or vertically aligned points: clamp instead of dividing by zero.
    const LD beta = std::atan(dy / Divisor(log, C::MidGear, dx));
    const LD d = Divisor(log, C::MidGear, std::sqrt(Sq(dx) + Sq(dy)));

    s.revArmLower = f.revArmLower == 0.0f ? kDivisorLimit : f.revArmLower;
    const LD RAL = s.revArmLower, RAU = f.revArmUpper;

    LD c = (Sq(d) + Sq(RAL) - Sq(A)) / 2.0L / d / RAL;
    if (c >= 1.0L) {
        c = kCosineLimit;
    } else if (c <= -1.0L) {
        // Unreachable from below: without this the arcsine is not a number.
        log.Mark(C::MidGear);
        c = -static_cast<LD>(kCosineLimit);
    } else if (std::isnan(c)) {
        log.Mark(C::MidGear);
        c = kCosineLimit;
    }
    const LD gamma = kHalfPi + beta - ArcSin(c);
    s.midGear = F(p17.x + (RAL + RAU) * std::cos(gamma));
    s.geometryError = log.raised;
    s.firstClamp = log.first;
    return s;
}

ArmStage SolveArmStage(const Gear& g, float revArmSetting, bool errorBeep) {
    ArmStage a;
    a.pivots = g.pivots;
    a.log.errorBeep = errorBeep;
    ArmSteps(g.frame, revArmSetting, a.pivots, a.log);
    return a;
}

float ValveJointXAt(const Gear& g, const ArmStage& arm, long double driverAngle, ClampLog& log,
                    bool wholeLinkage) {
    PivotArray P = arm.pivots;
    if (wholeLinkage) {
        (void)DrivenSteps(g.frame, Radians(driverAngle), P, log);
    } else {
        EccentricCrankStep(g.frame, Radians(driverAngle), P, log);
        ValveTrainSteps(g.frame, P, log);
    }
    return P[pv::ValveJoint].x;
}

long double ValveJointXExact(const Gear& g, const ArmStage& arm, long double driverAngle,
                             ClampLog& log, bool wholeLinkage) {
    struct Point {
        LD x = 0, y = 0;
    };
    std::array<Point, kPivotCount> P;
    for (int k = 0; k < kPivotCount; ++k) P[k] = {arm.pivots[k].x, arm.pivots[k].y};
    if (wholeLinkage) {
        (void)DrivenSteps(g.frame, Radians(driverAngle), P, log);
    } else {
        EccentricCrankStep(g.frame, Radians(driverAngle), P, log);
        ValveTrainSteps(g.frame, P, log);
    }
    return P[pv::ValveJoint].x;
}

// --- Model wrappers ----------------------------------------------------------------------------

void MarkGeometryError(Gear& m) {
    if (m.gear.errorBeep) m.gear.geometryError = true;
}

long double ClampDivisor(Gear& m, long double v) {
    ClampLog log{m.gear.errorBeep};
    const LD r = Divisor(log, C::None, v);
    if (log.raised) m.gear.geometryError = true;
    return r;
}

long double ClampCosine(Gear& m, long double c) {
    ClampLog log{m.gear.errorBeep};
    const LD r = Cosine(log, C::None, c);
    if (log.raised) m.gear.geometryError = true;
    return r;
}

long double ClampRadicand(Gear& m, long double r) {
    ClampLog log{m.gear.errorBeep};
    const LD v = Radicand(log, C::None, r);
    if (log.raised) m.gear.geometryError = true;
    return v;
}

void SolveLinkage(Gear& m) {
    // The same constructions as SolveLinkageOf, made in the gear's own table: the animation
    // solves every frame, and the two copies of the table would cost more than the checks.
    ClampLog log{m.gear.errorBeep};
    ArmSteps(m.frame, m.gear.revArmSetting, m.pivots, log);
    m.gear.radiusHangerAngle = F(DrivenSteps(m.frame, Radians(m.gear.driverAngle), m.pivots, log));
    m.thresholds = ValveThresholdsOf(m.cyl);
    m.gear.clampedConstruction = log.first;
    if (log.raised) m.gear.geometryError = true;
}

void ComputeMidGear(Gear& m) {
    const MidGearSolution s = SolveMidGear(m, m.gear.errorBeep);
    m.pivots[pv::GuideEnd] = s.guideEnd;
    m.frame.revArmLower = s.revArmLower;
    m.pivots[pv::RevArmTop].x = s.midGear;
    m.revArmPositions[0] = s.midGear;
    m.revArmPositions[1] = s.midGear;
    m.revArmPositions[2] = s.midGear + m.frame.revArmNorm;
    m.revArmPositions[3] = s.midGear - m.frame.revArmNorm;
    m.gear.revArmSetting = s.midGear;
    if (s.geometryError) m.gear.geometryError = true;
}

void ComputeValveThresholds(Gear& m) {
    m.thresholds = ValveThresholdsOf(m.cyl);
}

void SolvePistonAndPorts(Gear& m) {
    ClampLog log{m.gear.errorBeep};
    m.valve =
        PistonAndPortsOf(m, m.gear.driverAngle, m.pivots[pv::ValveJoint].x, m.thresholds, log);
    if (log.raised) {
        m.gear.geometryError = true;
        if (m.gear.clampedConstruction == Construction::None)
            m.gear.clampedConstruction = log.first;
    }
}

}  // namespace mv
