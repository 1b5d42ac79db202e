// The steam display's model over whole turns of the default gear: phase order, pressure bounds,
// dot counts and the exhaust beat.
#include "model/steam.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "model/model.hpp"
#include "model/solver.hpp"

namespace {

struct FrameRecord {
    std::uint32_t frontColour, rearColour;
    float frontPressure, rearPressure;
    mv::SteamBeat beat;
    float rearRemembered, frontRemembered;  // before the frame
};

mv::Model Gear(float notch) {
    mv::Model m;
    mv::StartUp(m);
    m.gear.revArmSetting = m.revArmPositions[0] + notch * m.frame.revArmMax;
    return m;
}

// Runs `frames` frames as the picture does: solve, steam, advance.
std::vector<FrameRecord> RunFrames(mv::Model& m, int frames) {
    std::vector<FrameRecord> out;
    for (int i = 0; i < frames; ++i) {
        mv::SolveLinkage(m);
        mv::SolvePistonAndPorts(m);
        FrameRecord r{};
        r.rearRemembered = m.steam.rear.pressureAtExhaust;
        r.frontRemembered = m.steam.front.pressureAtExhaust;
        r.beat = mv::AdvanceSteam(m);
        r.frontColour = m.steam.front.colour;
        r.rearColour = m.steam.rear.colour;
        r.frontPressure = m.steam.front.pressure;
        r.rearPressure = m.steam.rear.pressure;
        out.push_back(r);
        m.gear.driverAngle += m.gear.currentStep;
        if (m.gear.driverAngle >= 360.0f) m.gear.driverAngle -= 360.0f;
    }
    return out;
}

// The colours of one turn with repeats (and the wrap-around repeat) removed.
std::vector<std::uint32_t> Cycle(const std::vector<std::uint32_t>& colours) {
    std::vector<std::uint32_t> c;
    for (auto x : colours) {
        if (c.empty() || c.back() != x) c.push_back(x);
    }
    if (c.size() > 1 && c.front() == c.back()) c.pop_back();
    return c;
}

bool IsPhaseOrder(const std::vector<std::uint32_t>& c) {
    const std::uint32_t order[4] = {mv::kSteamRed, mv::kSteamFuchsia, mv::kSteamBlue,
                                    mv::kSteamGreen};
    if (c.size() != 4) return false;
    for (int start = 0; start < 4; ++start) {
        bool ok = true;
        for (int i = 0; i < 4; ++i) ok = ok && c[i] == order[(start + i) % 4];
        if (ok) return true;
    }
    return false;
}

class SteamOverATurn : public ::testing::TestWithParam<float> {};

TEST_P(SteamOverATurn, PhasesPressuresAndBeats) {
    mv::Model m = Gear(GetParam());
    m.gear.currentStep = 2.0f;
    const int perTurn = 180;
    RunFrames(m, perTurn);  // first turn: the ends pick up their phases and arm
    const auto turn2 = RunFrames(m, perTurn);
    const auto turn3 = RunFrames(m, perTurn);

    for (const std::vector<FrameRecord>* turn : {&turn2, &turn3}) {
        std::vector<std::uint32_t> front, rear;
        int frontBeats = 0, rearBeats = 0;
        for (const auto& r : *turn) {
            front.push_back(r.frontColour);
            rear.push_back(r.rearColour);
            EXPECT_GE(r.frontPressure, 25.0f);
            EXPECT_LE(r.frontPressure, 2000.0f);
            EXPECT_GE(r.rearPressure, 25.0f);
            EXPECT_LE(r.rearPressure, 2000.0f);
            EXPECT_EQ(r.beat.play, r.beat.frontExhaust || r.beat.rearExhaust);
            if (r.beat.frontExhaust) {
                ++frontBeats;
                EXPECT_EQ(r.frontColour, mv::kSteamBlue);
                // The front beat is as loud as the rear end's last exhaust was hard.
                EXPECT_EQ(r.beat.volume, mv::ExhaustVolumeStep(r.rearRemembered));
            }
            if (r.beat.rearExhaust) {
                ++rearBeats;
                EXPECT_EQ(r.rearColour, mv::kSteamBlue);
                if (!r.beat.frontExhaust) {
                    EXPECT_EQ(r.beat.volume, mv::ExhaustVolumeStep(r.frontRemembered));
                }
            }
        }
        EXPECT_TRUE(IsPhaseOrder(Cycle(front))) << "front, notch " << GetParam();
        EXPECT_TRUE(IsPhaseOrder(Cycle(rear))) << "rear, notch " << GetParam();
        EXPECT_EQ(frontBeats, 1);
        EXPECT_EQ(rearBeats, 1);
    }
    // By the third turn both ends have exhausted and the beats carry a volume from the table.
    for (const auto& r : turn3) {
        if (r.beat.play) {
            EXPECT_GE(r.beat.volume, 0x0700);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(MidAndFullGear, SteamOverATurn, ::testing::Values(0.0f, 1.0f, -1.0f));

TEST(SteamModel, FullGearBuildsMorePressureThanMidGear) {
    mv::Model mid = Gear(0.0f), full = Gear(1.0f);
    mid.gear.currentStep = full.gear.currentStep = 2.0f;
    RunFrames(mid, 360);
    RunFrames(full, 360);
    float peakMid = 0, peakFull = 0;
    for (const auto& r : RunFrames(mid, 180)) peakMid = std::max(peakMid, r.frontPressure);
    for (const auto& r : RunFrames(full, 180)) peakFull = std::max(peakFull, r.frontPressure);
    EXPECT_GT(peakFull, peakMid);
}

TEST(SteamModel, DotCountFollowsPressureAndScale) {
    EXPECT_EQ(mv::SteamDotCount(25.0f, 28.0f), 38);
    EXPECT_EQ(mv::SteamDotCount(2000.0f, 28.0f), 3027);
    EXPECT_EQ(mv::SteamDotCount(25.0f, 0.5f), 1);
    EXPECT_EQ(mv::SteamDotCount(25.0f, -28.0f), 0);
    EXPECT_EQ(mv::SteamDotCount(25.0f, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_GT(mv::SteamDotCount(2000.0f, std::numeric_limits<float>::infinity()), 0);

    // A fresh end (pressure 20) at the start-up scale shows the minimum after one frame.
    mv::Model m;
    mv::StartUp(m);
    EXPECT_EQ(m.steam.front.pressure, 20.0f);
    m.valve = mv::ValveEvents{0, 0, -0.1f, -0.1f, -0.1f, -0.1f};
    mv::AdvanceSteam(m);
    EXPECT_EQ(m.steam.front.pressure, 25.0f);
    EXPECT_EQ(m.steam.front.dots, 38);
    EXPECT_EQ(m.steam.rear.dots, 38);
}

TEST(SteamModel, PhaseColoursFromTheOpenings) {
    mv::SteamEnd e;
    mv::UpdateSteamEnd(e, -1, -1, 10, 28);
    EXPECT_EQ(e.colour, 0u);  // no phase seen yet
    mv::UpdateSteamEnd(e, 0.01f, -1, 10, 28);
    EXPECT_EQ(e.phase, 'E');
    EXPECT_EQ(e.colour, mv::kSteamRed);
    mv::UpdateSteamEnd(e, 0.0f, -1, 10, 28);  // zero is closed
    EXPECT_EQ(e.colour, mv::kSteamFuchsia);
    mv::UpdateSteamEnd(e, -1, 0.02f, 10, 28);
    EXPECT_EQ(e.phase, 'C');
    EXPECT_EQ(e.colour, mv::kSteamBlue);
    mv::UpdateSteamEnd(e, -1, 0.0f, 10, 28);
    EXPECT_EQ(e.colour, mv::kSteamGreen);
    // Both open at once (a valve that spans both): exhaust wins.
    mv::UpdateSteamEnd(e, 0.1f, 0.1f, 10, 28);
    EXPECT_EQ(e.colour, mv::kSteamBlue);
}

TEST(SteamModel, PressureRisesInAdmissionFallsInExhaustAndStaysBounded) {
    mv::SteamEnd e;
    e.pressure = 100;
    mv::UpdateSteamEnd(e, 0.1f, -1, 10, 28);  // + 10 * 50 * 0.2
    EXPECT_NEAR(e.pressure, 200.0f, 1e-3);
    mv::UpdateSteamEnd(e, -1, -1, 10, 28);  // expansion holds
    EXPECT_NEAR(e.pressure, 200.0f, 1e-3);
    mv::UpdateSteamEnd(e, -1, 0.1f, 10, 28);  // - 10 * 60 * 0.1
    EXPECT_NEAR(e.pressure, 140.0f, 1e-3);
    mv::UpdateSteamEnd(e, -1, 1000.0f, 10, 28);
    EXPECT_EQ(e.pressure, 25.0f);
    mv::UpdateSteamEnd(e, 1000.0f, -1, 10, 28);
    EXPECT_EQ(e.pressure, 2000.0f);
    // Stopped: no step, no change.
    e.pressure = 300;
    mv::UpdateSteamEnd(e, 0.5f, -1, 0, 28);
    EXPECT_EQ(e.pressure, 300.0f);
    // Degenerate openings keep the pressure in bounds.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    mv::UpdateSteamEnd(e, inf, -1, 10, 28);
    EXPECT_EQ(e.pressure, 2000.0f);
    e.colour = mv::kSteamRed;
    mv::UpdateSteamEnd(e, nan, nan, 10, 28);
    EXPECT_GE(e.pressure, 25.0f);
    EXPECT_LE(e.pressure, 2000.0f);
    mv::UpdateSteamEnd(e, -1, inf, 10, 28);
    EXPECT_EQ(e.pressure, 25.0f);
    mv::UpdateSteamEnd(e, -1, 1, nan, 28);
    EXPECT_EQ(e.pressure, 25.0f);
}

TEST(SteamModel, VolumeTable) {
    struct Row {
        float pressure;
        int level;
    };
    const Row rows[] = {
        {0, -1},          {23.4f, -1},    {23.6f, 0x0700}, {24, 0x0700},   {100, 0x0700},
        {100.6f, 0x1400}, {200, 0x1400},  {201, 0x2800},   {400, 0x2800},  {401, 0x4000},
        {600, 0x4000},    {601, 0x5000},  {800, 0x5000},   {801, 0x6000},  {1000, 0x6000},
        {1001, 0x7000},   {1200, 0x7000}, {1201, 0x8000},  {2000, 0x8000}, {2001.4f, 0x8000},
        {2002, -1},       {-50, -1},
    };
    for (const Row& r : rows) EXPECT_EQ(mv::ExhaustVolumeStep(r.pressure), r.level) << r.pressure;
    EXPECT_EQ(mv::ExhaustVolumeStep(std::numeric_limits<float>::quiet_NaN()), -1);
    EXPECT_EQ(mv::ExhaustVolumeStep(std::numeric_limits<float>::infinity()), -1);
}

TEST(SteamModel, BeatArmsWhileClosedAndFiresOnceWhenTheExhaustOpens) {
    mv::Model m;
    mv::StartUp(m);
    m.steam.rear.pressureAtExhaust = 450;
    m.valve = mv::ValveEvents{0, 0, -1, 0.3f, -1, -0.2f};  // front exhaust already open
    EXPECT_FALSE(mv::AdvanceSteam(m).play);  // never armed: no beat on a port found open
    m.valve.frontExhaust = -0.01f;
    EXPECT_FALSE(mv::AdvanceSteam(m).play);
    EXPECT_EQ(m.steam.front.exhaustArmed, '1');
    m.valve.frontExhaust = 0.0f;  // touching is not open
    EXPECT_FALSE(mv::AdvanceSteam(m).play);
    m.valve.frontExhaust = 0.05f;
    const mv::SteamBeat b = mv::AdvanceSteam(m);
    EXPECT_TRUE(b.play);
    EXPECT_TRUE(b.frontExhaust);
    EXPECT_FALSE(b.rearExhaust);
    EXPECT_EQ(b.volume, 0x4000);
    EXPECT_EQ(m.steam.front.exhaustArmed, '0');
    EXPECT_EQ(m.steam.front.pressureAtExhaust, m.steam.front.pressure);
    EXPECT_FALSE(mv::AdvanceSteam(m).play);  // still open: no second beat
}

TEST(SteamModel, BothEndsFiringTogetherPlayOnceWithTheRearVolume) {
    mv::Model m;
    mv::StartUp(m);
    m.steam.front.pressureAtExhaust = 1500;
    m.steam.rear.pressureAtExhaust = 150;
    m.valve = mv::ValveEvents{0, 0, -1, -1, -1, -1};
    mv::AdvanceSteam(m);
    m.valve.frontExhaust = m.valve.rearExhaust = 0.1f;
    const mv::SteamBeat b = mv::AdvanceSteam(m);
    EXPECT_TRUE(b.frontExhaust && b.rearExhaust && b.play);
    // The rear end sets the volume last from the pressure the front end has just remembered.
    EXPECT_EQ(b.volume, mv::ExhaustVolumeStep(m.steam.front.pressureAtExhaust));
}

TEST(SteamModel, NoBeatWhileADimensionGraphicShows) {
    mv::Model m = Gear(1.0f);
    m.gear.currentStep = 2.0f;
    RunFrames(m, 180);
    m.dimensionGraphicId = 101;
    for (const auto& r : RunFrames(m, 360)) EXPECT_FALSE(r.beat.play);
    // Pressures and phases still run while the graphic shows.
    EXPECT_GT(std::max(m.steam.front.pressure, m.steam.rear.pressure), 25.0f);
    m.dimensionGraphicId = 0;
    int beats = 0;
    for (const auto& r : RunFrames(m, 180)) beats += r.beat.play;
    EXPECT_EQ(beats, 2);
}

}  // namespace
