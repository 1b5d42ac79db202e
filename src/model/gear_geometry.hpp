// The gear's drawn geometry in world units: the cylinder, port face, piston and valve outlines,
// the rods between their pins and the fixed pivots. The picture maps these points to the screen;
// the DXF export and the build sheet draw them at full size.
#pragma once

#include <array>
#include <span>

#include "model/model.hpp"

namespace mv {

struct WorldXY {
    long double h = 0;  // horizontal
    long double v = 0;  // vertical
};

// Outlines for the gear's current pivots (crosshead and valve-stem joint as solved).
struct GearOutlines {
    // Cylinder with its valve chamber, drawn C0..C13, then the port face with its bridges and
    // passages, C14..C23.
    std::array<WorldXY, 24> cylinder{};
    // Piston: P0 the rod's end on the piston face, P1..P4 its corners.
    std::array<WorldXY, 5> piston{};
    // Valve: V0 where the stem meets it, V1..V8 its section (V5, V6 the exhaust cavity's roof,
    // a third of the way down from the valve's top).
    std::array<WorldXY, 9> valve{};
};
GearOutlines OutlinesOf(const Gear& g);

// One straight piece of a rod between two pin centres.
struct RodPiece {
    const char* name;  // e.g. "Main rod"
    int from;          // pivot numbers
    int to;
};

// Every rod piece, each between consecutive pins along its rod: crank, main rod, eccentric
// crank, the eccentric rod on both sides of the radius-hanger pin, transmission yoke, both
// arms of the bell crank, valve connecting rod, radius hanger, guide link, both legs of the
// auxiliary reach rod and the reverse arm on both sides of its pin.
std::span<const RodPiece> RodPieces();

// The designed length between the piece's pin centres, from the dimensions.
long double RodPieceLength(const Gear& g, const RodPiece& piece);

// The fixed pivots: driver centre, bell crank pivot, guide link centre, reverse arm pivot.
inline constexpr std::array<int, 4> kFixedPivots = {pv::Origin, pv::BellPivot, pv::GuideCentre,
                                                    pv::RevArmPivot};

// The pins a drawing marks: every pivot of the linkage once (the solver's copies 0, 7 and 17
// left out).
inline constexpr std::array<int, 16> kPinPivots = {
    pv::Driver,      pv::CrankPin,    pv::Crosshead,   pv::ValveJoint,
    pv::BellVertPin, pv::BellPivot,   pv::BellHorzPin, pv::EccRodEnd,
    pv::HangerPin,   pv::EccCrankPin, pv::GuideCentre, pv::GuideEnd,
    pv::ReachCorner, pv::RevArmPin,   pv::RevArmPivot, pv::RevArmTop};

// Radius of the pin circle the picture draws at a pivot, as a fraction of the driver diameter.
long double PinRadiusFactor(int pivot);

}  // namespace mv
