// The steam display's model: the phase, pressure and dot count of each cylinder end, and when
// an exhaust beat is due. One call per drawn frame, before the dots are sprinkled.
#pragma once

#include <cstdint>

#include "model/model.hpp"

namespace mv {

inline constexpr std::uint32_t kSteamRed = 0xFF0000;      // admission
inline constexpr std::uint32_t kSteamFuchsia = 0xFF00FF;  // expansion
inline constexpr std::uint32_t kSteamBlue = 0x0000FF;     // exhaust
inline constexpr std::uint32_t kSteamGreen = 0x008000;    // compression
inline constexpr std::uint32_t kSteamWhite = 0xFFFFFF;

inline constexpr float kSteamPressureMin = 25.0f;
inline constexpr float kSteamPressureMax = 2000.0f;

// What one frame of the steam model asks for.
struct SteamBeat {
    bool frontExhaust = false;  // this end started to exhaust
    bool rearExhaust = false;
    bool play = false;  // play "Exhaust.wav" (once, even when both ends fire together)
    int volume = -1;    // wave-output volume to set before playing, -1 leaves it unchanged
};

// Volume step for the pressure remembered at an exhaust: 24..100 -> 0x0700 up to
// 1201..2001 -> 0x8000; -1 outside the table.
int ExhaustVolumeStep(float rememberedPressure);

// Dot count of one end for a pressure at view scale s: round(pressure * s / 18.5), never < 0.
int SteamDotCount(float pressure, float scale);

// Phase and colour of one end from its steam and exhaust openings, then its pressure (by the
// current step) and its dot count. Pressure ends within 25..2000.
void UpdateSteamEnd(SteamEnd& end, float steamOpening, float exhaustOpening, float step,
                    float scale);

// Advances both ends for the current solution (front first), then arms and fires the exhaust
// beats. A showing dimension graphic keeps the beats from being armed or played.
SteamBeat AdvanceSteam(Model& m);

}  // namespace mv
