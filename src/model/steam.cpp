#include "model/steam.hpp"

#include <cmath>

#include "model/screen_math.hpp"

namespace mv {

namespace {

using LD = long double;

struct VolumeStep {
    int low, high, level;
};

constexpr VolumeStep kVolumeSteps[] = {
    {24, 100, 0x0700},  {101, 200, 0x1400},  {201, 400, 0x2800},   {401, 600, 0x4000},
    {601, 800, 0x5000}, {801, 1000, 0x6000}, {1001, 1200, 0x7000}, {1201, 2001, 0x8000},
};

float ClampPressure(LD p, float previous) {
    // A NaN opening must not poison the pressure for the rest of the run.
    if (std::isnan(p)) p = previous;
    if (!(p >= kSteamPressureMin)) return kSteamPressureMin;
    if (p > kSteamPressureMax) return kSteamPressureMax;
    return static_cast<float>(p);
}

// Arms one end while its exhaust port is shut and fires it when the port opens. `other` is the
// opposite end, whose pressure remembered at its last exhaust sets the loudness.
bool ExhaustEnd(SteamEnd& self, const SteamEnd& other, float exhaustOpening, bool graphicShowing,
                SteamBeat& beat) {
    if (exhaustOpening < 0 && !graphicShowing) self.exhaustArmed = '1';
    if (!(exhaustOpening > 0) || self.exhaustArmed != '1') return false;
    self.exhaustArmed = '0';
    self.pressureAtExhaust = self.pressure;
    if (graphicShowing) return false;
    const int v = ExhaustVolumeStep(other.pressureAtExhaust);
    if (v >= 0) beat.volume = v;
    beat.play = true;
    return true;
}

}  // namespace

int ExhaustVolumeStep(float rememberedPressure) {
    const int v = RoundToScreen(rememberedPressure);
    for (const VolumeStep& s : kVolumeSteps) {
        if (v >= s.low && v <= s.high) return s.level;
    }
    return -1;
}

int SteamDotCount(float pressure, float scale) {
    const int n = RoundToScreen(LD(pressure) * LD(scale) / 18.5L);
    return n > 0 ? n : 0;
}

void UpdateSteamEnd(SteamEnd& end, float steamOpening, float exhaustOpening, float step,
                    float scale) {
    if (steamOpening > 0) {
        end.phase = 'E';
        end.colour = kSteamRed;
    } else if (end.phase == 'E') {
        end.colour = kSteamFuchsia;
    }
    if (exhaustOpening > 0) {
        end.phase = 'C';
        end.colour = kSteamBlue;
    } else if (end.phase == 'C') {
        end.colour = kSteamGreen;
    }

    LD p = end.pressure;
    if (end.colour == kSteamRed) {
        p += LD(step) * 50.0L * (LD(steamOpening) + 0.1L);
    } else if (end.colour == kSteamBlue) {
        p -= LD(step) * 60.0L * LD(exhaustOpening);
    }
    end.pressure = ClampPressure(p, end.pressure);
    end.dots = SteamDotCount(end.pressure, scale);
}

SteamBeat AdvanceSteam(Model& m) {
    SteamState& s = m.steam;
    const ValveEvents& v = m.valve;
    const float step = m.gear.currentStep;
    const float scale = m.view.scale;
    UpdateSteamEnd(s.front, v.frontSteam, v.frontExhaust, step, scale);
    UpdateSteamEnd(s.rear, v.rearSteam, v.rearExhaust, step, scale);

    SteamBeat beat;
    const bool graphic = m.dimensionGraphicId != 0;
    beat.frontExhaust = ExhaustEnd(s.front, s.rear, v.frontExhaust, graphic, beat);
    beat.rearExhaust = ExhaustEnd(s.rear, s.front, v.rearExhaust, graphic, beat);
    return beat;
}

}  // namespace mv
