#include "dialogs/dimension_tips.hpp"

#include <array>

#include "model/dimensions.hpp"

namespace mv {
namespace {

struct Meaning {
    DimensionId id;
    const char* text;
};

// Lengths are in the user's own unit, angles in degrees. Vertical positions are heights above
// the axle centre, horizontal ones distances from it towards the cylinder.
constexpr std::array<Meaning, 49> kMeanings{{
    {1, "Diameter of the driving wheel."},
    {2, "Piston stroke: twice the crank throw."},
    {3, "Main rod from the crank pin to the crosshead pin."},
    {4, "Diameter of the circle the eccentric crank pin runs on about the axle."},
    {5, "Eccentric (return) crank from the crank pin to the eccentric crank pin."},
    {6, "Eccentric rod from the eccentric crank pin to the radius hanger pin."},
    {7, "Eccentric rod from the radius hanger pin on to its right end at the transmission yoke."},
    {8, "Radius hanger from the eccentric rod to the guide link end."},
    {9, "Radius of the guide link arc."},
    {10, "Height of the guide link arc's centre (a fixed pivot)."},
    {11, "Horizontal position of the guide link arc's centre (a fixed pivot)."},
    {12, "Transmission yoke from the eccentric rod's right end to the bell crank."},
    {13, "Height of the bell crank pivot (a fixed pivot)."},
    {14, "Horizontal position of the bell crank pivot (a fixed pivot)."},
    {15, "Bell crank vertical arm."},
    {16, "Set-back of the bell crank's vertical arm pin from the arm's line."},
    {17, "Bell crank horizontal arm, to the transmission yoke pin."},
    {18, "Valve connecting rod from the bell crank to the valve stem joint."},
    {19, "Vertical leg of the L-shaped auxiliary reach rod, up to the guide link end."},
    {20, "Horizontal leg of the auxiliary reach rod, from the reverse arm pin."},
    {21, "Reverse arm above the reach rod pin."},
    {22, "Reverse arm from its pivot to the reach rod pin."},
    {23, "Height of the reverse arm pivot (a fixed pivot)."},
    {24, "Horizontal position of the reverse arm pivot (a fixed pivot)."},
    {25, "Angle of the guide link's mid-gear position from the vertical, in degrees."},
    {26, "Reverse arm travel from mid gear to normal forward and normal reverse."},
    {27, "Largest reverse arm travel from mid gear; sets the reverse arm bar's range."},
    {101, "Horizontal distance from the axle to the cylinder centre."},
    {102, "Height of the cylinder centre line above the axle."},
    {103, "Diameter of the cylinder bore."},
    {104, "Length of the cylinder bore."},
    {105, "Width of each steam port where it enters the bore."},
    {106, "Piston rod: from the piston centre to the crosshead pin."},
    {107, "Width of the piston."},
    {108, "Height of the valve face above the cylinder centre line."},
    {109, "Height of the valve stem line above the cylinder centre line."},
    {110, "Width of the exhaust port in the valve face."},
    {111, "Bridge between the exhaust port and the rear steam port."},
    {112, "Bridge between the exhaust port and the front steam port."},
    {113, "Width of the rear steam port in the valve face."},
    {114, "Width of the front steam port in the valve face."},
    {115, "Height of the valve chamber (steam chest)."},
    {116, "Length of the valve chamber (steam chest)."},
    {117, "Height of the slide valve."},
    {118, "Valve from its centre to its rear edge."},
    {119, "Valve from its centre to its front edge."},
    {120, "Exhaust cavity from the valve centre to its rear edge."},
    {121, "Exhaust cavity from the valve centre to its front edge."},
    {122, "Valve stem from its joint to the valve centre."},
}};

// The limits the program itself enforces; every other dimension is taken as typed.
const char* Limit(DimensionId id) {
    switch (id) {
        case 26: return "Limit: at most the Max below; a larger value becomes the Max.";
        case 27: return "Limit: at least the Norm above; a smaller value becomes the Norm.";
        default: return nullptr;
    }
}

}  // namespace

QString DimensionTip(DimensionId id) {
    const DimensionInfo* info = FindDimension(id);
    if (!info) return {};
    QString tip = QString::fromLatin1(info->shortName).simplified();
    for (const Meaning& m : kMeanings) {
        if (m.id != id) continue;
        tip += QStringLiteral(": ") + QString::fromLatin1(m.text);
        break;
    }
    if (const char* limit = Limit(id)) tip += QLatin1Char('\n') + QString::fromLatin1(limit);
    return tip;
}

}  // namespace mv
