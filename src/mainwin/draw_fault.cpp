// The geometry fault over the picture: a red outline on the rods of the construction that could
// not be made, and a line of text naming it.
#include <array>

#include "mainwin/geometry_fault.hpp"
#include "mainwin/picture_layers.hpp"

namespace mv {
namespace {

using C = Construction;

// The piston formula keeps 0..640 for every sound gear; float rounding stays far inside this.
constexpr float kPistonSlack = 0.01f;

constexpr std::array<RodSpan, 1> kMainRod{{{pv::CrankPin, pv::Crosshead}}};
constexpr std::array<RodSpan, 1> kEccCrank{{{pv::CrankPin, pv::EccCrankPin}}};
constexpr std::array<RodSpan, 1> kRevArm{{{pv::RevArmPivot, pv::RevArmTop}}};
constexpr std::array<RodSpan, 2> kReachRod{
    {{pv::RevArmPin, pv::ReachCorner}, {pv::ReachCorner, pv::GuideEnd}}};
constexpr std::array<RodSpan, 2> kHangerAndEccRod{
    {{pv::HangerPin, pv::GuideEnd}, {pv::EccCrankPin, pv::EccRodEnd}}};
constexpr std::array<RodSpan, 1> kEccRod{{{pv::EccCrankPin, pv::EccRodEnd}}};
constexpr std::array<RodSpan, 2> kYokeAndBellCrank{
    {{pv::EccRodEnd, pv::BellHorzPin}, {pv::BellHorzPin, pv::BellPivot}}};
constexpr std::array<RodSpan, 2> kBellCrank{
    {{pv::BellHorzPin, pv::BellPivot}, {pv::BellPivot, pv::BellVertPin}}};
constexpr std::array<RodSpan, 1> kValveRod{{{pv::BellVertPin, pv::ValveJoint}}};
constexpr std::array<RodSpan, 1> kHanger{{{pv::HangerPin, pv::GuideEnd}}};
constexpr std::array<RodSpan, 3> kArmAndReachRod{{{pv::RevArmPivot, pv::RevArmTop},
                                                  {pv::RevArmPin, pv::ReachCorner},
                                                  {pv::ReachCorner, pv::GuideEnd}}};

}  // namespace

Construction PictureFault(const Gear& g) {
    if (g.gear.clampedConstruction != C::None) return g.gear.clampedConstruction;
    if (!g.gear.errorBeep) return C::None;
    const float p = g.valve.piston;
    if (!(p >= -kPistonSlack && p <= 640.0f + kPistonSlack)) return C::Piston;
    return C::None;
}

std::string_view FaultText(const Gear& g, Construction c) {
    switch (c) {
        case C::None: return {};
        case C::Crosshead: return "Main rod shorter than the crank throw";
        case C::EccentricCrank: return "Eccentric crank cannot join the crank pin to its circle";
        case C::ReverseArmTop: return "Reverse arm too short for the reverse-arm setting";
        case C::ReverseArmPin: return "Reverse arm has no length";
        case C::GuideLinkEnd: return "Auxiliary reach rod cannot reach the guide link";
        case C::ReachRodCorner: return "Auxiliary reach rod corner cannot be placed";
        case C::RadiusHangerPin: return "Radius hanger cannot reach the eccentric rod";
        case C::EccentricRodEnd: return "Eccentric rod left end has no length";
        case C::BellCrankHorzPin: return "Transmission yoke cannot reach the bell crank";
        case C::BellCrankVertPin: return "Bell crank vertical arm has no length";
        case C::ValveJoint: return "Valve connecting rod cannot reach the valve stem";
        case C::RadiusHangerAngle: return "Radius hanger lies level";
        case C::Piston:
            if (g.frame.mainRod < 0) return "Main rod length is negative";
            if (g.frame.stroke == 0) return "Stroke is zero";
            return "Main rod shorter than the crank throw";
        case C::MidGear: return "Reverse arm cannot reach the guide link's mid-gear position";
    }
    return "Linkage cannot be assembled";
}

std::span<const RodSpan> FaultRods(Construction c) {
    switch (c) {
        case C::None: return {};
        case C::Crosshead:
        case C::Piston: return kMainRod;
        case C::EccentricCrank: return kEccCrank;
        case C::ReverseArmTop:
        case C::ReverseArmPin: return kRevArm;
        case C::GuideLinkEnd:
        case C::ReachRodCorner: return kReachRod;
        case C::RadiusHangerPin: return kHangerAndEccRod;
        case C::EccentricRodEnd: return kEccRod;
        case C::BellCrankHorzPin: return kYokeAndBellCrank;
        case C::BellCrankVertPin: return kBellCrank;
        case C::ValveJoint: return kValveRod;
        case C::RadiusHangerAngle: return kHanger;
        case C::MidGear: return kArmAndReachRod;
    }
    return {};
}

namespace picture {

void DrawFaultOutline(const Model& m, PictureCanvas& c) {
    const Construction fault = PictureFault(m);
    if (fault == C::None) return;
    // A red band with a white core; the rod itself is drawn into the core afterwards.
    for (const auto& [colour, width] : {std::pair{kRed, 7}, std::pair{kWhite, 3}}) {
        c.SetPen(colour, width);
        for (const RodSpan& r : FaultRods(fault)) {
            const Pivot& a = m.pivots[static_cast<std::size_t>(r.from)];
            const Pivot& b = m.pivots[static_cast<std::size_t>(r.to)];
            c.Line(a.sx, a.sy, b.sx, b.sy);
        }
    }
}

void DrawFaultText(const Model& m, PictureCanvas& c, QSize area) {
    const Construction fault = PictureFault(m);
    if (fault == C::None) return;
    const int lineHeight = FontPixelsForPoints(14) + 4;
    c.SetFontSize(14);
    c.SetFontBold(true);
    c.SetFontColour(kRed);
    c.Text(8, area.height() - 6 - lineHeight, FaultText(m, fault));
    c.SetFontBold(false);
    c.SetFontSize(8);
    c.SetFontColour(kBlack);
}

}  // namespace picture
}  // namespace mv
