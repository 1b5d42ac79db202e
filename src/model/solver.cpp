#include "model/solver.hpp"

#include <cmath>
#include <limits>
#include <numbers>

namespace mv {
namespace {

using LD = long double;
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
    if (v > kMax) return std::numeric_limits<float>::infinity();
    if (v < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

}  // namespace

void MarkGeometryError(Gear& m) {
    if (m.gear.errorBeep) m.gear.geometryError = true;
}

long double ClampDivisor(Gear& m, long double v) {
    const LD lim = kDivisorLimit;
    if (v >= 0.0L && v < lim) {
        MarkGeometryError(m);
        return lim;
    }
    if (v < 0.0L && v > -lim) {
        MarkGeometryError(m);
        return -lim;
    }
    if (std::isnan(v)) {
        // Not a number cannot be divided by; treat it like a vanishing divisor.
        MarkGeometryError(m);
        return lim;
    }
    return v;
}

long double ClampCosine(Gear& m, long double c) {
    const LD lim = kCosineLimit;
    if (c > lim || std::isnan(c)) {
        MarkGeometryError(m);
        c = lim;
    }
    if (c < -lim) {
        MarkGeometryError(m);
        c = -lim;
    }
    return c;
}

long double ClampRadicand(Gear& m, long double r) {
    if (r < 0.0L) {
        MarkGeometryError(m);
        return -r;
    }
    return r;
}

void SolveLinkage(Gear& m) {
    const FrameDimensions& f = m.frame;
    auto& P = m.pivots;
    const LD th = static_cast<LD>(m.gear.driverAngle) * kPi / 180.0L;
    const LD S = f.stroke, MR = f.mainRod, D = f.eccCircleDia, ECL = f.eccCrankLen;
    const LD ERL = f.eccRodLeft, ERR = f.eccRodRight, RH = f.radiusHanger;
    const LD GLR = f.guideLinkRadius, TY = f.transYoke;
    const LD BCV = f.bcVert, BCB = f.bcBackset, BCH = f.bcHorz, VCR = f.valveConRod;
    const LD ARV = f.auxVert, ARH = f.auxHorz, RAU = f.revArmUpper, RAL = f.revArmLower;

    // 1. Reverse arm top end.
    P[18].x = m.gear.revArmSetting;

    // 2. Main crank pin.
    P[2].x = F(P[1].x + std::cos(th) * S / 2.0L);
    P[2].y = F(P[1].y - std::sin(th) * S / 2.0L);

    // 3. Crosshead on the cylinder line.
    P[3].x = F(P[2].x + std::sqrt(ClampRadicand(m, Sq(MR) - Sq(LD(P[2].y) - P[3].y))));

    // 4. Eccentric crank pin.
    {
        LD t = (Sq(S / 2.0L) + Sq(D / 2.0L) - Sq(ECL)) / ClampDivisor(m, S);
        t = t / ClampDivisor(m, D) * 2.0L;
        const LD c = ClampCosine(m, t);
        const LD eps = ArcSin(c) - th - kHalfPi;
        P[11].x = F(std::cos(eps) * D / 2.0L);
        P[11].y = F(std::sin(eps) * D / 2.0L);
    }

    // 5. Reverse arm top, upper root.
    P[18].y = F(P[17].y + std::sqrt(ClampRadicand(m, Sq(RAL + RAU) - Sq(LD(P[18].x) - P[17].x))));

    // 6. Reverse arm pin.
    {
        const LD L = ClampDivisor(m, RAL + RAU);
        P[15].x = F(P[17].x + (LD(P[18].x) - P[17].x) * RAL / L);
        P[15].y = F(P[17].y + RAL * (LD(P[18].y) - P[17].y) / L);
    }

    // 7. Auxiliary reach rod length.
    const LD A = std::sqrt(Sq(ARH) + Sq(ARV));

    // 8. Guide link end.
    LD gamma8;
    {
        const LD dx = LD(P[12].x) - P[15].x, dy = LD(P[15].y) - P[12].y;
        const LD beta = std::atan(dy / ClampDivisor(m, dx));
        const LD d = ClampDivisor(m, std::sqrt(Sq(dx) + Sq(dy)));
        const LD c = ClampCosine(m, (Sq(d) + Sq(A) - Sq(GLR)) / 2.0L / d / ClampDivisor(m, A));
        gamma8 = ArcSin(c) + beta - kHalfPi;
        P[13].x = F(P[15].x + A * std::cos(gamma8));
        P[13].y = F(P[15].y - A * std::sin(gamma8));
    }

    // 9. Corner of the auxiliary reach rod.
    {
        const LD delta = gamma8 - std::atan(ARV / ClampDivisor(m, ARH));
        P[14].x = F(P[15].x + ARH * std::cos(delta));
        P[14].y = F(P[15].y - ARH * std::sin(delta));
    }

    // 10. Radius-hanger pin on the eccentric rod.
    {
        const LD dx = LD(P[13].x) - P[11].x, dy = LD(P[13].y) - P[11].y;
        const LD beta = std::atan(dy / ClampDivisor(m, dx));
        const LD d = ClampDivisor(m, std::sqrt(Sq(dx) + Sq(dy)));
        const LD c = ClampCosine(m, (Sq(d) + Sq(ERL) - Sq(RH)) / 2.0L / d / ClampDivisor(m, ERL));
        const LD gamma = ArcSin(c) + beta - kHalfPi;
        P[10].x = F(P[11].x + ERL * std::cos(gamma));
        P[10].y = F(P[11].y + ERL * std::sin(gamma));
    }

    // 11. Eccentric rod right end.
    {
        const LD k = (ERL + ERR) / ClampDivisor(m, ERL);
        P[9].x = F(P[11].x + (LD(P[10].x) - P[11].x) * k);
        P[9].y = F(P[11].y + (LD(P[10].y) - P[11].y) * k);
    }

    // 12. Bell crank horizontal-arm pin.
    LD gamma12;
    {
        const LD dx = LD(P[7].x) - P[9].x, dy = LD(P[7].y) - P[9].y;
        const LD beta = std::atan(dx / ClampDivisor(m, dy));
        const LD d = ClampDivisor(m, std::sqrt(Sq(dx) + Sq(dy)));
        const LD c = ClampCosine(m, (Sq(d) + Sq(BCH) - Sq(TY)) / 2.0L / d / ClampDivisor(m, BCH));
        gamma12 = kHalfPi + beta - ArcSin(c);
        P[8].x = F(P[7].x - BCH * std::sin(gamma12));
        P[8].y = F(P[7].y - BCH * std::cos(gamma12));
    }

    // 13. Bell crank vertical-arm pin, rigid with the horizontal arm.
    {
        const LD mu = std::atan(BCB / ClampDivisor(m, BCV)) + gamma12 - kHalfPi;
        LD rho = std::sqrt(Sq(BCV) + Sq(BCB));
        if (BCV < 0.0L) rho = -rho;
        P[5].x = F(P[7].x - rho * std::sin(mu));
        P[5].y = F(P[7].y - rho * std::cos(mu));
    }

    // 14. Valve-stem joint, ahead of P5.
    P[4].x = F(P[5].x + std::sqrt(ClampRadicand(m, Sq(VCR) - Sq(LD(P[5].y) - P[4].y))));

    // 15. Radius-hanger angle from vertical.
    m.gear.radiusHangerAngle =
        F(std::atan((LD(P[13].x) - P[10].x) / ClampDivisor(m, LD(P[13].y) - P[10].y)));

    // 16. Sign factors.
    m.gear.signFactor1 = 1;
    m.gear.signFactor2 = 1;

    // 17.
    ComputeValveThresholds(m);
}

void ComputeMidGear(Gear& m) {
    FrameDimensions& f = m.frame;
    auto& P = m.pivots;
    const float savedAngle = m.gear.driverAngle;

    const LD GLR = f.guideLinkRadius;
    const LD off = static_cast<LD>(f.offsetAngle) * kPi / 180.0L;
    P[13].x = F(P[12].x + GLR * std::sin(off));
    P[13].y = F(P[12].y + GLR * std::cos(off));

    const LD A = std::sqrt(Sq(LD(f.auxVert)) + Sq(LD(f.auxHorz)));
    const LD dx = LD(P[13].x) - P[17].x, dy = LD(P[13].y) - P[17].y;
    // Coincident or vertically aligned points: clamp instead of dividing by zero.
    const LD beta = std::atan(dy / ClampDivisor(m, dx));
    const LD d = ClampDivisor(m, std::sqrt(Sq(dx) + Sq(dy)));

    if (f.revArmLower == 0.0f) f.revArmLower = kDivisorLimit;
    const LD RAL = f.revArmLower, RAU = f.revArmUpper;

    LD c = (Sq(d) + Sq(RAL) - Sq(A)) / 2.0L / d / RAL;
    if (c >= 1.0L) {
        c = kCosineLimit;
    } else if (c <= -1.0L) {
        // Unreachable from below: without this the arcsine is not a number.
        MarkGeometryError(m);
        c = -static_cast<LD>(kCosineLimit);
    } else if (std::isnan(c)) {
        MarkGeometryError(m);
        c = kCosineLimit;
    }
    const LD gamma = kHalfPi + beta - ArcSin(c);
    const float mid = F(P[17].x + (RAL + RAU) * std::cos(gamma));

    P[18].x = mid;
    m.revArmPositions[0] = mid;
    m.revArmPositions[1] = mid;
    m.revArmPositions[2] = mid + f.revArmNorm;
    m.revArmPositions[3] = mid - f.revArmNorm;
    m.gear.revArmSetting = mid;
    m.gear.driverAngle = savedAngle;
}

void ComputeValveThresholds(Gear& m) {
    const CylinderDimensions& c = m.cyl;
    ValveThresholds& t = m.thresholds;
    const LD E2 = LD(c.exhaustPort) / 2.0L;
    const LD BF = c.bridgeFront, BR = c.bridgeRear, SF = c.steamPortFront, SR = c.steamPortRear;
    const LD VF = c.valveFrontHalf, VR = c.valveRearHalf, XF = c.exhCavFront, XR = c.exhCavRear;
    const LD J = c.valveStem, C = c.cylCtr;
    const LD Tfs = E2 + BF + SF - VF, Tfx = E2 + BF - XF;
    const LD Trs = E2 + BR + SR - VR, Trx = E2 + BR - XR;
    t.frontSteamEdge = F(Tfs);
    t.frontSteamFull = F(E2 + BF - VF);
    t.frontExhaustEdge = F(Tfx);
    t.rearSteamEdge = F(Trs);
    t.rearSteamFull = F(E2 + BR - VR);
    t.rearExhaustEdge = F(Trx);
    t.rearSteamJointEdge = F(Trs + J - C);
    t.frontSteamJointEdge = F(Tfs + C - J);
    t.frontSteamLap = F(-Tfs);
    t.rearSteamLap = F(-Trs);
    t.frontExhaustLap = F(-Tfx);
    t.rearExhaustLap = F(-Trx);
}

void SolvePistonAndPorts(Gear& m) {
    const LD th = static_cast<LD>(m.gear.driverAngle) * kPi / 180.0L;
    const LD S = ClampDivisor(m, m.frame.stroke);
    const LD MR = m.frame.mainRod;
    const LD s = LD(m.pivots[4].x) + m.cyl.valveStem - m.cyl.cylCtr;
    const LD rad = ClampRadicand(m, Sq(MR) - Sq(std::sin(th) * S / 2.0L));
    const LD p = 320.0L - 320.0L * (std::cos(th) + 2.0L * std::sqrt(rad) / S - 2.0L * MR / S);
    const ValveThresholds& t = m.thresholds;
    ValveEvents& v = m.valve;
    v.displacement = F(s);
    v.piston = F(p);
    v.frontSteam = F(t.frontSteamEdge - s);
    v.frontExhaust = F(s - t.frontExhaustEdge);
    v.rearSteam = F(t.rearSteamEdge + s);
    v.rearExhaust = F(-s - t.rearExhaustEdge);
}

}  // namespace mv
