#include "model/port_events.hpp"

namespace mv {

PortSample SampleOf(const ValveEvents& v) {
    return PortSample{v.piston, v.frontSteam, v.frontExhaust, v.rearSteam, v.rearExhaust};
}

float InterpolateCrossing(float c, float d, float pPrev, float p) {
    const long double den = static_cast<long double>(c) - d;
    // A crossing always has c and d on different sides of zero, so den == 0 only when both are 0.
    if (den == 0.0L) return p;
    return static_cast<float>(p - d / den * (static_cast<long double>(pPrev) - p));
}

int DetectCrossings(const PortSample& prev, const PortSample& cur,
                    std::array<PortCrossing, kPortEventKinds>& out) {
    const float before[4] = {prev.frontSteam, prev.frontExhaust, prev.rearSteam, prev.rearExhaust};
    const float now[4] = {cur.frontSteam, cur.frontExhaust, cur.rearSteam, cur.rearExhaust};
    int n = 0;
    for (int k = 0; k < 4; ++k) {
        if (before[k] < 0.0f && now[k] >= 0.0f)
            out[n++] = {static_cast<PortEvent>(k),
                        InterpolateCrossing(before[k], now[k], prev.piston, cur.piston)};
    }
    for (int k = 0; k < 4; ++k) {
        if (before[k] > 0.0f && now[k] <= 0.0f)
            out[n++] = {static_cast<PortEvent>(4 + k),
                        InterpolateCrossing(before[k], now[k], prev.piston, cur.piston)};
    }
    return n;
}

}  // namespace mv
