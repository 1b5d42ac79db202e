#include "model/gear_geometry.hpp"

#include <cmath>

namespace mv {

using LD = long double;

GearOutlines OutlinesOf(const Gear& g) {
    const CylinderDimensions& d = g.cyl;
    const LD E = d.cylCtr, c = g.pivots[pv::Crosshead].y, G = d.boreDia, H = d.boreLen;
    const LD i = d.cylPortWidth, L = d.valveSurface, n = d.exhaustPort;
    const LD o = d.bridgeRear, p = d.bridgeFront, q = d.steamPortRear, r = d.steamPortFront;
    const LD S = d.chamberHeight, T = d.chamberLength;
    const LD j = d.pistonRod, k = d.pistonWidth, u = d.valveHeight;
    const LD vr = d.valveRearHalf, vf = d.valveFrontHalf, xr = d.exhCavRear, xf = d.exhCavFront;
    const LD z = d.valveStem;
    const LD h3 = g.pivots[pv::Crosshead].x, h4 = g.pivots[pv::ValveJoint].x,
             v4 = g.pivots[pv::ValveJoint].y;

    GearOutlines out;
    auto& C = out.cylinder;
    C[0] = {E - n / 2, c + L + S};
    C[1] = {E - T / 2, c + L + S};
    C[2] = {E - T / 2, c + L};
    C[3] = {E - n / 2 - o - q, c + L};
    C[4] = {E - n / 2 - o - q, c + L - n / 3};
    C[5] = {E - H / 2, c + G / 2};
    C[6] = {E - H / 2, c - G / 2};
    C[7] = {E + H / 2, c - G / 2};
    C[8] = {E + H / 2, c + G / 2};
    C[9] = {E + n / 2 + p + r, c + L - n / 3};
    C[10] = {E + n / 2 + p + r, c + L};
    C[11] = {E + T / 2, c + L};
    C[12] = {E + T / 2, c + L + S};
    C[13] = {E + n / 2, c + L + S};
    C[14] = {E - n / 2, c + L - q};
    C[15] = {E - n / 2, c + L};
    C[16] = {E - n / 2 - o, c + L};
    C[17] = {E - n / 2 - o, c + L - n / 1.5L};
    C[18] = {E - H / 2 + i, c + G / 2};
    C[19] = {E + H / 2 - i, c + G / 2};
    C[20] = {E + n / 2 + p, c + L - n / 1.5L};
    C[21] = {E + n / 2 + p, c + L};
    C[22] = {E + n / 2, c + L};
    C[23] = {E + n / 2, c + L - q};

    auto& P = out.piston;
    P[0] = {h3 + j + k / 2, c};
    P[1] = {h3 + j - k / 2, c + G / 2};
    P[2] = {h3 + j - k / 2, c - G / 2};
    P[3] = {h3 + j + k / 2, c - G / 2};
    P[4] = {h3 + j + k / 2, c + G / 2};

    auto& V = out.valve;
    const LD roof = c + L + u - u / 3;
    V[0] = {h4 + z - vr, v4};
    V[1] = {h4 + z - vr, c + L + u};
    V[2] = {h4 + z + vf, c + L + u};
    V[3] = {h4 + z + vf, c + L};
    V[4] = {h4 + z + xf, c + L};
    V[5] = {h4 + z + xf, roof};
    V[6] = {h4 + z - xr, roof};
    V[7] = {h4 + z - xr, c + L};
    V[8] = {h4 + z - vr, c + L};
    return out;
}

namespace {

enum class Length {
    HalfStroke,
    MainRod,
    EccCrank,
    EccRodLeft,
    EccRodRight,
    Yoke,
    BellHorz,
    BellVert,
    ValveConRod,
    Hanger,
    GuideLink,
    AuxVert,
    AuxHorz,
    RevArmLower,
    RevArmUpper,
};

struct Piece {
    RodPiece rod;
    Length length;
};

constexpr Piece kPieces[] = {
    {{"Crank", pv::Driver, pv::CrankPin}, Length::HalfStroke},
    {{"Main rod", pv::CrankPin, pv::Crosshead}, Length::MainRod},
    {{"Eccentric crank", pv::CrankPin, pv::EccCrankPin}, Length::EccCrank},
    {{"Eccentric rod", pv::EccCrankPin, pv::HangerPin}, Length::EccRodLeft},
    {{"Eccentric rod", pv::HangerPin, pv::EccRodEnd}, Length::EccRodRight},
    {{"Transmission yoke", pv::EccRodEnd, pv::BellHorzPin}, Length::Yoke},
    {{"Bell crank", pv::BellHorzPin, pv::BellPivot}, Length::BellHorz},
    {{"Bell crank", pv::BellPivot, pv::BellVertPin}, Length::BellVert},
    {{"Valve con rod", pv::BellVertPin, pv::ValveJoint}, Length::ValveConRod},
    {{"Radius hanger", pv::HangerPin, pv::GuideEnd}, Length::Hanger},
    {{"Guide link", pv::GuideCentre, pv::GuideEnd}, Length::GuideLink},
    {{"Aux reach rod", pv::GuideEnd, pv::ReachCorner}, Length::AuxVert},
    {{"Aux reach rod", pv::ReachCorner, pv::RevArmPin}, Length::AuxHorz},
    {{"Reverse arm", pv::RevArmPivot, pv::RevArmPin}, Length::RevArmLower},
    {{"Reverse arm", pv::RevArmPin, pv::RevArmTop}, Length::RevArmUpper},
};

constexpr std::array<RodPiece, std::size(kPieces)> kRods = [] {
    std::array<RodPiece, std::size(kPieces)> t{};
    for (std::size_t k = 0; k < t.size(); ++k) t[k] = kPieces[k].rod;
    return t;
}();

}  // namespace

std::span<const RodPiece> RodPieces() {
    return kRods;
}

long double RodPieceLength(const Gear& g, const RodPiece& piece) {
    const FrameDimensions& f = g.frame;
    for (const Piece& p : kPieces) {
        if (p.rod.from != piece.from || p.rod.to != piece.to) continue;
        switch (p.length) {
            case Length::HalfStroke: return std::fabs(LD(f.stroke) / 2);
            case Length::MainRod: return std::fabs(LD(f.mainRod));
            case Length::EccCrank: return std::fabs(LD(f.eccCrankLen));
            case Length::EccRodLeft: return std::fabs(LD(f.eccRodLeft));
            case Length::EccRodRight: return std::fabs(LD(f.eccRodRight));
            case Length::Yoke: return std::fabs(LD(f.transYoke));
            case Length::BellHorz: return std::fabs(LD(f.bcHorz));
            case Length::BellVert: return std::hypot(LD(f.bcVert), LD(f.bcBackset));
            case Length::ValveConRod: return std::fabs(LD(f.valveConRod));
            case Length::Hanger: return std::fabs(LD(f.radiusHanger));
            case Length::GuideLink: return std::fabs(LD(f.guideLinkRadius));
            case Length::AuxVert: return std::fabs(LD(f.auxVert));
            case Length::AuxHorz: return std::fabs(LD(f.auxHorz));
            case Length::RevArmLower: return std::fabs(LD(f.revArmLower));
            case Length::RevArmUpper: return std::fabs(LD(f.revArmUpper));
        }
    }
    return 0;
}

long double PinRadiusFactor(int pivot) {
    switch (pivot) {
        case pv::Driver: return 0.08L;
        case pv::CrankPin: return 0.05L;
        case pv::Crosshead:
        case pv::EccCrankPin: return 0.04L;
        default: return 0.02L;
    }
}

}  // namespace mv
