#include "model/dimensions.hpp"

#include <array>

namespace mv {
namespace {

constexpr std::array<DimensionInfo, 27> kFrame{{
    {1, "Driver                    Diameter", "Driver Dia"},
    {2, "Stroke                      Length", "Stroke"},
    {3, "Main Rod                 Length", "Main Rod Length"},
    {4, "Eccentric Crank Circle Diam", "Ecc Crank Cir Dia"},
    {5, "Eccentric Crank       Length", "Ecc Crank Length"},
    {6, "Eccentric Rod       Left End", "Ecc Rod Left End"},
    {7, "Eccentric Rod     Right End", "Ecc Rod Right End"},
    {8, "Radius Hanger         Length", "Radius Hanger Length"},
    {9, "Guide Link                Radius", "Guide Link Radius"},
    {10, "Guide Link Rad Center Vert", "G Link Rad Cent Vert"},
    {11, "Guide Link Rad Center Horz", "G Link Rad Cent Horz"},
    {12, "Transmission Yoke   Length", "Transmission Yoke"},
    {13, "Bell Crank Pivot            Vert", "Bell Crank Piv Vert"},
    {14, "Bell Crank Pivot            Horz", "Bell Crank Piv Horz"},
    {15, "Bell Crank                      Vert", "Bell Crank Vert"},
    {16, "Bell Crank               BackSet", "Bell Crank BackSet"},
    {17, "Bell Crank                     Horz", "Bell Crank Horz"},
    {18, "Valve Con Rod         Length", "Valve Con Rod"},
    {19, "Auxil Reach Rod           Vert", "Auxil Reach Rod Vert"},
    {20, "Auxil Reach Rod           Horz", "Auxil Reach Rod Horz"},
    {21, "Reverse Arm              Upper", "Reverse Arm Upper"},
    {22, "Reverse Arm              Lower", "Reverse Arm Lower"},
    {23, "Reverse Arm Pivot        Vert", "Rev Arm Piv Vert"},
    {24, "Reverse Arm Pivot       Horz", "Rev Arm Piv Horz"},
    {25, "Offset Angle  of Vert Center", "Offset Angle of Vert Cent"},
    {26, "Reverse Arm to Cent Norm", "Rev Arm to Cent Norm"},
    {27, "\"           \"             Max", "Rev Arm to Cent Max"},
}};

constexpr std::array<DimensionInfo, 22> kCyl{{
    {101, "Cylinder ctr to Driver ctr", "Cyl ctr to Driver ctr"},
    {102, "Cylinder CL above Driver", "Cyl CL above Driver ctr"},
    {103, "Cylinder Bore         Diameter", "Cylinder Bore Dia"},
    {104, "Cylinder Bore            Length", "Cylinder Bore Length"},
    {105, "Cylinder Steam Port   Width", "Cyl Steam Port Width"},
    {106, "Piston ctr to Crosshead ctr", "Piston ctr to Crosshead"},
    {107, "Piston                         Width", "Piston Width"},
    {108, "ValveSurface to CylinderCL", "Valve Surface to Cyl CL"},
    {109, "Valve Stem CL to Cyl CL", "Valve Stem CL to Cyl CL"},
    {110, "Exhaust Port               Width", "Exhaust Port  Width"},
    {111, "Bridge Width                Rear", "Bridge Width   Rear"},
    {112, "Bridge Width                Front", "Bridge Width   Front"},
    {113, "Steam Port Width        Rear", "Steam Port Width  Rear"},
    {114, "Steam Port Width        Front", "Steam Port Width   Front"},
    {115, "Valve Chamber        Height", "Valve Chamber    Height"},
    {116, "Valve Chamber        Length", "Valve Chamber Length"},
    {117, "Valve Height", "Valve Height"},
    {118, "Valve Length       Rear Half", "Valve Length  Rear Half"},
    {119, "Valve Length       Front Half", "Valve Length   Front Half"},
    {120, "Valve ExhCavity  Rear Half", "Valve Exh CavityRearHalf"},
    {121, "Valve ExhCavity  Front Half", "Valve ExhCavityFrontHalf"},
    {122, "Valve ctr to Joint", "Valve Stem"},
}};

// Address of a plain frame or cylinder field; nullptr for pivot coordinates and unknown ids.
float* FieldOf(Gear& m, DimensionId id) {
    FrameDimensions& f = m.frame;
    CylinderDimensions& c = m.cyl;
    switch (id) {
        case 1: return &f.driverDia;
        case 2: return &f.stroke;
        case 3: return &f.mainRod;
        case 4: return &f.eccCircleDia;
        case 5: return &f.eccCrankLen;
        case 6: return &f.eccRodLeft;
        case 7: return &f.eccRodRight;
        case 8: return &f.radiusHanger;
        case 9: return &f.guideLinkRadius;
        case 12: return &f.transYoke;
        case 15: return &f.bcVert;
        case 16: return &f.bcBackset;
        case 17: return &f.bcHorz;
        case 18: return &f.valveConRod;
        case 19: return &f.auxVert;
        case 20: return &f.auxHorz;
        case 21: return &f.revArmUpper;
        case 22: return &f.revArmLower;
        case 25: return &f.offsetAngle;
        case 26: return &f.revArmNorm;
        case 27: return &f.revArmMax;
        case 101: return &c.cylCtr;
        case 103: return &c.boreDia;
        case 104: return &c.boreLen;
        case 105: return &c.cylPortWidth;
        case 106: return &c.pistonRod;
        case 107: return &c.pistonWidth;
        case 108: return &c.valveSurface;
        case 109: return &c.valveStemCL;
        case 110: return &c.exhaustPort;
        case 111: return &c.bridgeRear;
        case 112: return &c.bridgeFront;
        case 113: return &c.steamPortRear;
        case 114: return &c.steamPortFront;
        case 115: return &c.chamberHeight;
        case 116: return &c.chamberLength;
        case 117: return &c.valveHeight;
        case 118: return &c.valveRearHalf;
        case 119: return &c.valveFrontHalf;
        case 120: return &c.exhCavRear;
        case 121: return &c.exhCavFront;
        case 122: return &c.valveStem;
        default: return nullptr;
    }
}

}  // namespace

std::span<const DimensionInfo> FrameDimensionInfo() {
    return kFrame;
}
std::span<const DimensionInfo> CylinderDimensionInfo() {
    return kCyl;
}

bool IsFrameId(DimensionId id) {
    return id >= 1 && id <= 27;
}
bool IsCylinderId(DimensionId id) {
    return id >= 101 && id <= 122;
}

const DimensionInfo* FindDimension(DimensionId id) {
    if (IsFrameId(id)) return &kFrame[id - 1];
    if (IsCylinderId(id)) return &kCyl[id - 101];
    return nullptr;
}

float GetDimension(const Gear& m, DimensionId id) {
    switch (id) {
        case 10: return m.pivots[pv::GuideCentre].y;
        case 11: return m.pivots[pv::GuideCentre].x;
        case 13: return m.pivots[pv::BellPivot].y;
        case 14: return m.pivots[pv::BellPivot].x;
        case 23: return m.pivots[pv::RevArmPivot].y;
        case 24: return m.pivots[pv::RevArmPivot].x;
        case 102: return m.pivots[pv::Crosshead].y;
        default: break;
    }
    const float* f = FieldOf(const_cast<Gear&>(m), id);
    return f ? *f : 0.0f;
}

void StoreDimension(Gear& m, DimensionId id, float value) {
    switch (id) {
        case 10: m.pivots[pv::GuideCentre].y = value; return;
        case 11: m.pivots[pv::GuideCentre].x = value; return;
        case 13: m.pivots[pv::BellPivot].y = m.pivots[pv::BellPivot2].y = value; return;
        case 14: m.pivots[pv::BellPivot].x = m.pivots[pv::BellPivot2].x = value; return;
        case 23: m.pivots[pv::RevArmPivot].y = m.pivots[pv::RevArmPivot2].y = value; return;
        case 24: m.pivots[pv::RevArmPivot].x = m.pivots[pv::RevArmPivot2].x = value; return;
        case 102:
            m.pivots[pv::Crosshead].y = value;
            m.pivots[pv::ValveJoint].y = value + m.cyl.valveStemCL;
            return;
        case 109:
            m.cyl.valveStemCL = value;
            m.pivots[pv::ValveJoint].y = m.pivots[pv::Crosshead].y + value;
            return;
        default: break;
    }
    if (float* f = FieldOf(m, id)) *f = value;
}

}  // namespace mv
