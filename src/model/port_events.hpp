// Zero crossings of the four port openings between two successive samples of a sweep: the event
// detection the port diagram and the valve-event table share.
#pragma once

#include <array>

#include "model/model.hpp"

namespace mv {

enum class PortEvent {
    FrontSteamOpen,    // admission, front
    FrontExhaustOpen,  // release, front
    RearSteamOpen,
    RearExhaustOpen,
    FrontSteamClose,    // cut-off, front
    FrontExhaustClose,  // compression, front
    RearSteamClose,
    RearExhaustClose,
};
inline constexpr int kPortEventKinds = 8;

struct PortSample {
    float piston = 0;
    float frontSteam = 0, frontExhaust = 0, rearSteam = 0, rearExhaust = 0;
};

struct PortCrossing {
    PortEvent kind;
    float piston;  // interpolated piston position of the event (0..640)
};

PortSample SampleOf(const ValveEvents& v);

// Piston position of a zero crossing between the previous sample (opening c, piston pPrev) and
// this one (opening d, piston p): Pe = P - D/(C - D) * (P' - P).
float InterpolateCrossing(float c, float d, float pPrev, float p);

// Tests the eight crossings in their fixed order (the four openings crossing up: previous < 0 and
// now >= 0; then the four crossing down: previous > 0 and now <= 0) and writes them to `out`.
// Returns how many were found.
int DetectCrossings(const PortSample& prev, const PortSample& cur,
                    std::array<PortCrossing, kPortEventKinds>& out);

}  // namespace mv
