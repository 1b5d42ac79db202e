// The exact event finder against fine brute-force sweeps, on the default gear and on random
// gears, and on constructed displacements with known crossings.
#include "analysis/event_finder.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/parallel.hpp"
#include "model/dimensions.hpp"
#include "model/model.hpp"
#include "model/port_events.hpp"
#include "model/solver.hpp"

namespace {

using mv::SweepDirection;

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// The default gear with every linkage and valve dimension moved by up to +-4 %, re-centred.
mv::Model PerturbedGear(unsigned seed) {
    mv::Model m = DefaultGear();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> f(0.96f, 1.04f);
    for (mv::DimensionId id = 1; id <= 122; ++id) {
        if (!mv::IsDimensionId(id) || id == 1 || (id >= 25 && id <= 27)) continue;
        mv::StoreDimension(m, id, mv::GetDimension(m, id) * f(rng));
    }
    mv::ComputeMidGear(m);
    return m;
}

// Brute force: the model's own solve every `step` degrees, the latest crossing of each kind
// interpolated linearly, as per cent of the stroke from that end's dead centre.
std::array<std::optional<float>, mv::kPortEventKinds> BruteForce(mv::Model m, float setting,
                                                                 SweepDirection dir, double step) {
    std::array<std::optional<float>, mv::kPortEventKinds> out{};
    const int n = static_cast<int>(std::lround(360.0 / step));
    m.gear.revArmSetting = setting;
    auto sample = [&](int k) {
        const double a = 360.0 * (k % n) / n;
        m.gear.driverAngle =
            static_cast<float>(dir == SweepDirection::Forward || a == 0 ? a : 360 - a);
        mv::SolveLinkage(m);
        mv::SolvePistonAndPorts(m);
        return mv::SampleOf(m.valve);
    };
    std::array<mv::PortCrossing, mv::kPortEventKinds> found{};
    mv::PortSample prev = sample(0);
    for (int k = 1; k <= n; ++k) {
        const mv::PortSample cur = sample(k);
        const int count = mv::DetectCrossings(prev, cur, found);
        for (int c = 0; c < count; ++c) {
            const int kind = static_cast<int>(found[c].kind);
            const bool front = kind == 0 || kind == 1 || kind == 4 || kind == 5;
            out[kind] = front ? mv::FrontStrokePercent(found[c].piston)
                              : mv::RearStrokePercent(found[c].piston);
        }
        prev = cur;
    }
    return out;
}

// The row's events in the order of mv::PortEvent.
std::array<std::optional<float>, mv::kPortEventKinds> EventsOf(const mv::EventRow& r) {
    return {r.front.admission, r.front.release,     r.rear.admission, r.rear.release,
            r.front.cutoff,    r.front.compression, r.rear.cutoff,    r.rear.compression};
}

// 0.001 % of the stroke.
constexpr float kAgreement = 0.001f;

void ExpectAgreesWithBruteForce(const mv::Model& m, float notch, SweepDirection dir,
                                const std::string& what) {
    const float sign = dir == SweepDirection::Forward ? 1.0f : -1.0f;
    const float setting = m.revArmPositions[0] + sign * notch * m.frame.revArmMax;
    const mv::EventRow row = mv::FindEvents(m, setting, dir);
    ASSERT_FALSE(row.geometryError) << what;
    const auto exact = EventsOf(row);
    const auto brute = BruteForce(m, setting, dir, 0.01);
    for (int k = 0; k < mv::kPortEventKinds; ++k) {
        const std::string where = what + " notch " + std::to_string(notch) + " event " +
                                  std::to_string(k) + (sign > 0 ? " fwd" : " rev");
        ASSERT_EQ(exact[k].has_value(), brute[k].has_value()) << where;
        if (exact[k]) {
            EXPECT_NEAR(*exact[k], *brute[k], kAgreement) << where;
        }
    }
}

TEST(EventFinder, AgreesWithAHundredthDegreeSweepOnTheDefaultGear) {
    const mv::Model m = DefaultGear();
    for (SweepDirection dir : {SweepDirection::Forward, SweepDirection::Reverse})
        for (float notch : {0.0f, 0.3f, 0.56f, 1.0f})
            ExpectAgreesWithBruteForce(m, notch, dir, "default");
}

TEST(EventFinder, AgreesWithAHundredthDegreeSweepOnRandomGears) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const mv::Model m = PerturbedGear(seed);
        for (SweepDirection dir : {SweepDirection::Forward, SweepDirection::Reverse})
            for (float notch : {0.2f, 0.9f})
                ExpectAgreesWithBruteForce(m, notch, dir, "seed " + std::to_string(seed));
    }
}

// The coarse step is safe when the valve displacement of sane gears never turns twice within
// two coarse steps: then every turning point, and so every pair of crossings, is seen.
TEST(EventFinder, CoarseStepSeesEveryTurnOfSaneGears) {
    double closest = 360;
    int gears = 0;
    for (unsigned seed = 100; seed < 160; ++seed) {
        const mv::Model m = PerturbedGear(seed);
        for (float notch : {0.0f, 0.5f, 1.0f}) {
            const float setting = m.revArmPositions[0] + notch * m.frame.revArmMax;
            const mv::ArmStage arm = mv::SolveArmStage(m, setting, true);
            mv::ClampLog log;
            // Turning points of a 0.1-degree sweep.
            constexpr int n = 3600;
            std::vector<long double> s(n);
            for (int k = 0; k < n; ++k) s[k] = mv::ValveJointXExact(m, arm, k * 0.1L, log);
            std::vector<int> turns;
            for (int k = 0; k < n; ++k) {
                const long double p = s[(k + n - 1) % n], c = s[k], q = s[(k + 1) % n];
                if ((c > p && c >= q) || (c < p && c <= q)) turns.push_back(k);
            }
            ASSERT_GE(turns.size(), 2u);
            for (std::size_t i = 0; i < turns.size(); ++i) {
                const int gap = (turns[(i + 1) % turns.size()] - turns[i] + n) % n;
                closest = std::min(closest, gap * 0.1);
            }
            ++gears;
        }
    }
    EXPECT_EQ(gears, 180);
    EXPECT_GT(closest, 2.0 * mv::kEventCoarseStep);
}

// --- Constructed displacements ------------------------------------------------------------

double Rad(long double deg) {
    return static_cast<double>(deg * std::numbers::pi_v<long double> / 180.0L);
}

TEST(TurnCrossings, AnOpeningThatTouchesZeroDoesNotCross) {
    // s = cos u peaks at exactly 1 at u = 0, a coarse sample: s - 1 touches zero there.
    auto s = [](long double u) { return static_cast<long double>(std::cos(Rad(u))); };
    const std::array<mv::OpeningLine, 4> openings = {
        mv::OpeningLine{-1.0L, 1.0L},   // touches from below at u = 0
        mv::OpeningLine{-0.5L, 1.0L},   // crosses at u = 300 (opens) and 60 (closes)
        mv::OpeningLine{-2.0L, 1.0L},   // never opens
        mv::OpeningLine{-1.0L, -1.0L},  // touches zero at u = 180 from below
    };
    const mv::TurnCrossings c = mv::FindTurnCrossings(s, s, openings, 36);
    for (int k : {0, 2, 3, 4, 6, 7}) EXPECT_FALSE(c.latest[k]) << k;
    ASSERT_TRUE(c.latest[1] && c.latest[5]);
    EXPECT_NEAR(static_cast<double>(*c.latest[1]), 300.0, 1e-6);
    EXPECT_NEAR(static_cast<double>(*c.latest[5]), 60.0, 1e-6);
    EXPECT_DOUBLE_EQ(static_cast<double>(c.sMax), 1.0);
    EXPECT_NEAR(static_cast<double>(c.sMin), -1.0, 1e-12);
}

TEST(TurnCrossings, ACrossingAtTheTurnsEndIsFoundOnce) {
    // Opens exactly at u = 0 = 360: one opening, at the end of the turn, in either phase.
    for (long double shift : {0.0L, 1e-9L, -1e-9L}) {
        auto s = [shift](long double u) {
            return static_cast<long double>(std::sin(Rad(u + shift)));
        };
        const std::array<mv::OpeningLine, 4> openings = {
            mv::OpeningLine{0.0L, 1.0L}, mv::OpeningLine{-2.0L, 1.0L}, mv::OpeningLine{-2.0L, 1.0L},
            mv::OpeningLine{-2.0L, 1.0L}};
        const mv::TurnCrossings c = mv::FindTurnCrossings(s, s, openings, 36);
        ASSERT_TRUE(c.latest[0] && c.latest[4]);
        // The opening at the wrap is reported at the turn's end (or within a hair of its start).
        const double up = static_cast<double>(*c.latest[0]);
        EXPECT_TRUE(std::fabs(up - 360.0) < 1e-5 || up < 1e-5) << up;
        EXPECT_NEAR(static_cast<double>(*c.latest[4]), 180.0, 1e-5);
    }
}

TEST(TurnCrossings, AFlatDisplacementHasNoEvents) {
    auto s = [](long double) { return 0.25L; };
    const std::array<mv::OpeningLine, 4> openings = {
        mv::OpeningLine{0.0L, 1.0L}, mv::OpeningLine{-1.0L, 1.0L}, mv::OpeningLine{0.0L, -1.0L},
        mv::OpeningLine{-0.25L, 1.0L}};
    const mv::TurnCrossings c = mv::FindTurnCrossings(s, s, openings, 36);
    for (const auto& e : c.latest) EXPECT_FALSE(e);
}

// A periodic displacement through given turning points: between two of them a smooth step
// (cubic with level ends), so it is monotone there and turns exactly at the points given.
struct TurningWave {
    std::vector<long double> u, s;  // turning points in order; the last repeats the first + 360
    long double operator()(long double x) const {
        x = std::fmod(x - u[0], 360.0L);
        if (x < 0) x += 360.0L;
        x += u[0];
        for (std::size_t i = 0; i + 1 < u.size(); ++i) {
            if (x > u[i + 1]) continue;
            const long double t = (x - u[i]) / (u[i + 1] - u[i]);
            return s[i] + (s[i + 1] - s[i]) * t * t * (3 - 2 * t);
        }
        return s.back();
    }
};

// The latest crossing up and down of one opening, from displacements sampled `step` apart.
std::array<std::optional<double>, 2> LatestCrossings(const std::vector<long double>& samples,
                                                     const mv::OpeningLine& op, double step) {
    std::array<std::optional<double>, 2> out;
    for (std::size_t k = 1; k < samples.size(); ++k) {
        const long double prev = op.At(samples[k - 1]), cur = op.At(samples[k]);
        if (prev < 0 && cur > 0) out[0] = (k - 0.5) * step;
        if (prev > 0 && cur < 0) out[1] = (k - 0.5) * step;
    }
    return out;
}

TEST(TurnCrossings, FourTurningPointsTwelveDegreesApartLoseNoCrossing) {
    // A maximum, a minimum, a maximum and a minimum 12 degrees apart, then one long rise: the
    // ten-degree samples straddle the close turns, so the turn is swept again finely.
    for (const auto& [start, low, high] : {std::array<long double, 3>{243.0L, 0.05L, 0.7L},
                                           std::array<long double, 3>{292.5L, -0.2L, 0.5L}}) {
        const TurningWave w{{start, start + 12, start + 24, start + 36, start + 360},
                            {1.0L, low, high, -1.0L, 1.0L}};
        constexpr double kStep = 0.001;
        std::vector<long double> dense(360001);
        for (std::size_t k = 0; k < dense.size(); ++k) dense[k] = w(k * kStep);
        for (long double level = -0.9L; level < 0.95L; level += 0.1L) {
            const std::array<mv::OpeningLine, 4> openings = {
                mv::OpeningLine{-level, 1.0L}, mv::OpeningLine{level, -1.0L},
                mv::OpeningLine{-2.0L, 1.0L}, mv::OpeningLine{-2.0L, 1.0L}};
            const mv::TurnCrossings c = mv::FindTurnCrossings(w, w, openings, 36);
            EXPECT_TRUE(c.fineSweep);
            for (int o = 0; o < 2; ++o) {
                const auto truth = LatestCrossings(dense, openings[o], kStep);
                for (int up = 0; up < 2; ++up) {
                    const auto& got = c.latest[o + (up ? 0 : 4)];
                    const auto& want = truth[up ? 0 : 1];
                    const std::string where = "start " + std::to_string(double(start)) + " level " +
                                              std::to_string(double(level)) + " opening " +
                                              std::to_string(o) + (up ? " up" : " down");
                    ASSERT_EQ(got.has_value(), want.has_value()) << where;
                    if (got) {
                        EXPECT_NEAR(static_cast<double>(*got), *want, 0.001) << where;
                    }
                }
            }
        }
    }
    // A displacement that turns twice is trusted at the coarse step.
    auto s = [](long double u) { return static_cast<long double>(std::cos(Rad(u))); };
    const std::array<mv::OpeningLine, 4> half = {
        mv::OpeningLine{-0.5L, 1.0L}, mv::OpeningLine{-0.5L, 1.0L}, mv::OpeningLine{-0.5L, 1.0L},
        mv::OpeningLine{-0.5L, 1.0L}};
    EXPECT_FALSE(mv::FindTurnCrossings(s, s, half, 36).fineSweep);
}

TEST(TurnCrossings, RefinementsKeepToTheirStepLimitAndSaySo) {
    // cos u - 0.5 crosses at 60 and 300; the turning points are at 0 and 180.
    int calls = 0;
    auto coarse = [](long double u) { return static_cast<long double>(std::cos(Rad(u))); };
    auto fine = [&calls](long double u) {
        ++calls;
        return static_cast<long double>(std::cos(Rad(u)));
    };
    const std::array<mv::OpeningLine, 4> openings = {
        mv::OpeningLine{-0.5L, 1.0L}, mv::OpeningLine{-2.0L, 1.0L}, mv::OpeningLine{-2.0L, 1.0L},
        mv::OpeningLine{-2.0L, 1.0L}};
    const mv::TurnCrossings exact = mv::FindTurnCrossings(coarse, fine, openings, 36);
    EXPECT_EQ(exact.unconverged, 0);
    EXPECT_NEAR(static_cast<double>(*exact.latest[0]), 300.0, 1e-6);
    for (int limit : {1, 3}) {
        calls = 0;
        const mv::TurnCrossings c = mv::FindTurnCrossings(coarse, fine, openings, 36, limit);
        // Two turning points and two crossings, each refinement within its limit (Brent's method
        // evaluates its starting point besides).
        EXPECT_LE(calls, 4 * (limit + 1)) << limit;
        EXPECT_EQ(c.unconverged, 4) << limit;
        // An unfinished crossing still lies within the samples that bracket it.
        ASSERT_TRUE(c.latest[0] && c.latest[4]) << limit;
        EXPECT_NEAR(static_cast<double>(*c.latest[0]), 300.0, 10.0) << limit;
        EXPECT_NEAR(static_cast<double>(*c.latest[4]), 60.0, 10.0) << limit;
    }
}

TEST(TurnCrossings, ARootFinderThatGivesUpLeavesBisectionToFindTheCrossing) {
    // Boost's TOMS 748 refuses a bracket it cannot use with std::domain_error; here the first
    // evaluation inside a crossing's bracket raises it, as Boost would.
    bool raised = false;
    auto coarse = [](long double u) { return static_cast<long double>(std::cos(Rad(u))); };
    auto fine = [&raised](long double u) {
        const long double a = std::fmod(u + 720.0L, 360.0L);  // the finder may unwrap the turn
        if (!raised && a > 50 && a < 70) {
            raised = true;
            throw std::domain_error("bracket collapsed");
        }
        return static_cast<long double>(std::cos(Rad(u)));
    };
    const std::array<mv::OpeningLine, 4> openings = {
        mv::OpeningLine{-0.5L, 1.0L}, mv::OpeningLine{-2.0L, 1.0L}, mv::OpeningLine{-2.0L, 1.0L},
        mv::OpeningLine{-2.0L, 1.0L}};
    mv::TurnCrossings c;
    ASSERT_NO_THROW(c = mv::FindTurnCrossings(coarse, fine, openings, 36));
    EXPECT_TRUE(raised);
    ASSERT_TRUE(c.latest[4]);
    EXPECT_NEAR(static_cast<double>(*c.latest[4]), 60.0, 1e-6);
    EXPECT_EQ(c.unconverged, 0);
}

TEST(EventFinder, SaneGearsAreNeverSweptAgain) {
    // The check costs nothing where the coarse step is safe: no row of the default table, nor
    // of a perturbed gear, is swept at the fine step.
    for (unsigned seed : {0u, 3u, 9u}) {
        const mv::Model m = seed == 0 ? DefaultGear() : PerturbedGear(seed);
        mv::EventFinderCost cost;
        for (SweepDirection dir : {SweepDirection::Forward, SweepDirection::Reverse})
            for (float setting : mv::DefaultEventSettings(m, dir, 7))
                (void)mv::FindEvents(m, setting, dir, mv::kEventCoarseStep, &cost);
        EXPECT_EQ(cost.fineSweeps, 0) << seed;
        EXPECT_EQ(cost.unconverged, 0) << seed;
    }
}

TEST(EventFinder, ClampedRowsAreNotSweptAgain) {
    // A radius hanger far too short: every row is clamped, its "motion" turns every which way,
    // and is flagged; sweeping it finely would cost forty times the solves for nothing.
    mv::Model m = DefaultGear();
    mv::StoreDimension(m, 8, 0.001f);
    mv::ComputeMidGear(m);
    mv::EventFinderCost cost;
    for (float setting : mv::DefaultEventSettings(m, SweepDirection::Forward, 4))
        EXPECT_TRUE(mv::FindEvents(m, setting, SweepDirection::Forward, mv::kEventCoarseStep, &cost)
                        .geometryError);
    EXPECT_EQ(cost.fineSweeps, 0);
    EXPECT_LT(cost.coarse, 4 * 2 * 36);
}

// --- Rows in parallel -----------------------------------------------------------------------

TEST(EventRows, SameRowsWhateverTheThreadCount) {
    const mv::Model m = PerturbedGear(7);
    const std::vector<float> settings = mv::DefaultEventSettings(m, SweepDirection::Reverse, 40);
    const std::vector<mv::EventRow> many =
        mv::ComputeEventTable(m, settings, SweepDirection::Reverse);
    std::vector<mv::EventRow> one;
    {
        const mv::ParallelismLimit single(1);
        one = mv::ComputeEventTable(m, settings, SweepDirection::Reverse);
    }
    ASSERT_EQ(one.size(), many.size());
    for (std::size_t i = 0; i < one.size(); ++i)
        EXPECT_EQ(mv::EventRowJson(one[i]), mv::EventRowJson(many[i])) << i;
}

}  // namespace
