// The valve-event table against hand-checkable gears, the sine diagram's lead block and the port
// diagram's coarse event sweep.
#include "analysis/event_table.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "model/port_events.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace {

using mv::SweepDirection;

mv::Model DefaultGear() {
    mv::Model m;
    mv::StartUp(m);
    return m;
}

float Mid(const mv::Model& m) {
    return m.revArmPositions[0];
}

// Valve values for one driver angle at one setting, on a copy so the gear under test is untouched.
mv::ValveEvents SolveAt(mv::Model m, float setting, float angle) {
    m.gear.revArmSetting = setting;
    m.gear.driverAngle = angle;
    mv::SolveLinkage(m);
    mv::SolvePistonAndPorts(m);
    return m.valve;
}

// --- Lead ------------------------------------------------------------------------------------

TEST(EventTableLead, IsTheSteamOpeningAtEachDeadCentre) {
    mv::Model m = DefaultGear();
    for (float notch : {0.0f, 0.5f, 1.0f, -0.5f}) {
        const float s = Mid(m) + notch * m.frame.revArmMax;
        const auto fwd = mv::ComputeEventRow(m, s, SweepDirection::Forward);
        const auto rev = mv::ComputeEventRow(m, s, SweepDirection::Reverse);
        ASSERT_TRUE(fwd.front.lead && fwd.rear.lead);
        EXPECT_FLOAT_EQ(*fwd.front.lead, SolveAt(m, s, 0).frontSteam) << notch;
        EXPECT_FLOAT_EQ(*fwd.rear.lead, SolveAt(m, s, 180).rearSteam) << notch;
        // A position, not an event: the running direction does not change it.
        EXPECT_EQ(*fwd.front.lead, *rev.front.lead);
        EXPECT_EQ(*fwd.rear.lead, *rev.rear.lead);
    }
}

TEST(EventTableLead, AgreesWithTheSineDiagramLeadBlockAtMidGear) {
    mv::Model m = DefaultGear();
    const auto row = mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    ASSERT_TRUE(row.front.lead && row.rear.lead && row.front.maxSteam && row.rear.maxSteam);

    // The sine diagram's lead bases: front lead = base - x4, rear lead = base + x4.
    const mv::CylinderDimensions& c = m.cyl;
    const double e2 = c.exhaustPort / 2.0;
    const double frontBase =
        c.steamPortFront + c.bridgeFront + e2 + c.cylCtr - c.valveStem - c.valveFrontHalf;
    const double rearBase =
        c.steamPortRear + c.bridgeRear + c.valveStem - c.valveRearHalf - c.cylCtr + e2;
    mv::Model probe = m;
    probe.gear.driverAngle = 0;
    mv::SolveLinkage(probe);
    EXPECT_NEAR(*row.front.lead, frontBase - probe.pivots[mv::pv::ValveJoint].x, 1e-5);
    probe.gear.driverAngle = 180;
    mv::SolveLinkage(probe);
    EXPECT_NEAR(*row.rear.lead, rearBase + probe.pivots[mv::pv::ValveJoint].x, 1e-5);

    // The block itself is taken at the extremes of x4 over its 8-degree mid-gear sweep, i.e. it
    // is the largest opening, which this gear reaches a little before the dead centre.
    double xmin = 1000, xmax = 0;
    for (int j = 7; j <= 73; ++j) {
        float a = 8.0f * j + 272.0f;
        while (a > 360.0f) a -= 360.0f;
        probe.gear.driverAngle = a;
        mv::SolveLinkage(probe);
        xmin = std::min<double>(xmin, probe.pivots[mv::pv::ValveJoint].x);
        xmax = std::max<double>(xmax, probe.pivots[mv::pv::ValveJoint].x);
    }
    const double sineFront = frontBase - xmin, sineRear = rearBase + xmax;
    EXPECT_GE(sineFront, *row.front.lead - 1e-6);
    EXPECT_GE(sineRear, *row.rear.lead - 1e-6);
    // 8-degree samples find the peak to within a few ten-thousandths.
    EXPECT_NEAR(sineFront, *row.front.maxSteam, 5e-4);
    EXPECT_NEAR(sineRear, *row.rear.maxSteam, 5e-4);
    EXPECT_LE(sineFront, *row.front.maxSteam + 1e-6);
    EXPECT_LE(sineRear, *row.rear.maxSteam + 1e-6);
}

TEST(EventTableLead, EqualEndsGiveEqualLeadsOnceTheValveIsCentred) {
    mv::Model m = DefaultGear();
    // The default port face is already the same front and rear.
    ASSERT_EQ(m.cyl.bridgeFront, m.cyl.bridgeRear);
    ASSERT_EQ(m.cyl.steamPortFront, m.cyl.steamPortRear);
    ASSERT_EQ(m.cyl.valveFrontHalf, m.cyl.valveRearHalf);
    ASSERT_EQ(m.cyl.exhCavFront, m.cyl.exhCavRear);

    // With equal ends the two leads differ only by how far the valve is off centre at the two
    // dead centres.
    const double d0 = SolveAt(m, Mid(m), 0).displacement;
    const double d180 = SolveAt(m, Mid(m), 180).displacement;
    auto row = mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    EXPECT_NEAR(*row.front.lead - *row.rear.lead, -(d0 + d180), 1e-5);

    // Moving the valve on its stem by the mean of the two positions centres it: equal leads.
    m.cyl.valveStem -= static_cast<float>((d0 + d180) / 2.0);
    row = mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    EXPECT_NEAR(*row.front.lead, *row.rear.lead, 1e-5);
    EXPECT_GT(*row.front.lead, 0.0f);
}

// --- Events ----------------------------------------------------------------------------------

TEST(EventTableEvents, MidGearForwardIsReverseRunBackwards) {
    mv::Model m = DefaultGear();
    const auto f = mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    const auto r = mv::ComputeEventRow(m, Mid(m), SweepDirection::Reverse);
    for (const auto& [a, b] : {std::pair{&f.front, &r.front}, std::pair{&f.rear, &r.rear}}) {
        ASSERT_TRUE(a->admission && a->cutoff && a->release && a->compression);
        ASSERT_TRUE(b->admission && b->cutoff && b->release && b->compression);
        EXPECT_NEAR(*a->admission, *b->cutoff, 1e-3);
        EXPECT_NEAR(*a->cutoff, *b->admission, 1e-3);
        EXPECT_NEAR(*a->release, *b->compression, 1e-3);
        EXPECT_NEAR(*a->compression, *b->release, 1e-3);
        EXPECT_FLOAT_EQ(*a->maxSteam, *b->maxSteam);
    }
    EXPECT_FLOAT_EQ(*f.travel, *r.travel);
}

TEST(EventTableEvents, FullGearForwardLooksLikeAWorkingValve) {
    mv::Model m = DefaultGear();
    const auto row = mv::ComputeEventRow(m, Mid(m) + m.frame.revArmMax, SweepDirection::Forward);
    EXPECT_FALSE(row.geometryError);
    for (const mv::EndEvents* e : {&row.front, &row.rear}) {
        ASSERT_TRUE(e->admission && e->cutoff && e->release && e->compression);
        // Steam is taken just before the dead centre, cut off late, released later still, and
        // compression starts near the end of the return stroke.
        EXPECT_LT(*e->admission, 1.0f);
        EXPECT_GT(*e->cutoff, 70.0f);
        EXPECT_GT(*e->release, *e->cutoff);
        EXPECT_LE(*e->release, 100.0f);
        EXPECT_GT(*e->compression, 0.0f);
        EXPECT_LT(*e->compression, 20.0f);
        EXPECT_GT(*e->maxSteam, *e->lead);
    }
    // Notching up shortens cut-off at both ends.
    const auto half =
        mv::ComputeEventRow(m, Mid(m) + 0.5f * m.frame.revArmMax, SweepDirection::Forward);
    EXPECT_LT(*half.front.cutoff, *row.front.cutoff);
    EXPECT_LT(*half.rear.cutoff, *row.rear.cutoff);
    EXPECT_LT(*half.travel, *row.travel);
}

TEST(EventTableEvents, TravelIsTheSpanOfTheValveDisplacement) {
    mv::Model m = DefaultGear();
    const float s = Mid(m) + 0.7f * m.frame.revArmMax;
    double lo = 1e9, hi = -1e9;
    for (int k = 0; k < 1440; ++k) {
        const double d = SolveAt(m, s, k * 0.25f).displacement;
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    const auto row = mv::ComputeEventRow(m, s, SweepDirection::Reverse);
    // The finder takes the true turning points, which quarter-degree samples just miss.
    EXPECT_GE(*row.travel, hi - lo - 1e-6);
    EXPECT_NEAR(*row.travel, hi - lo, 1e-5);
}

TEST(EventTableEvents, AFinerSweepMovesTheEventsOnlyALittle) {
    mv::Model m = DefaultGear();
    const float s = Mid(m) + 0.4f * m.frame.revArmMax;
    const auto a = mv::ComputeEventRow(m, s, SweepDirection::Forward);
    const auto b = mv::ComputeEventRow(m, s, SweepDirection::Forward, 0.05f);
    for (const auto& [x, y] : {std::pair{&a.front, &b.front}, std::pair{&a.rear, &b.rear}}) {
        EXPECT_NEAR(*x->admission, *y->admission, 0.02);
        EXPECT_NEAR(*x->cutoff, *y->cutoff, 0.02);
        EXPECT_NEAR(*x->release, *y->release, 0.02);
        EXPECT_NEAR(*x->compression, *y->compression, 0.02);
    }
}

TEST(EventTableEvents, OddStepsStillSampleTheRearDeadCentre) {
    mv::Model m = DefaultGear();
    const float s = Mid(m) + 0.3f * m.frame.revArmMax;
    const float rear = SolveAt(m, s, 180).rearSteam;
    // 7 degrees does not divide 180; nonsense steps fall back to the default.
    for (float step : {7.0f, 1000.0f, 0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        const auto row = mv::ComputeEventRow(m, s, SweepDirection::Forward, step);
        ASSERT_TRUE(row.rear.lead) << step;
        EXPECT_FLOAT_EQ(*row.rear.lead, rear) << step;
        EXPECT_TRUE(row.front.cutoff) << step;
    }
}

// --- Ports that never open or never close ----------------------------------------------------

TEST(EventTableAbsent, HugeLapsNeverOpenTheSteamPorts) {
    mv::Model m = DefaultGear();
    m.cyl.valveFrontHalf = m.cyl.valveRearHalf = 3.0f;  // laps of about 2.5
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        for (float s : mv::DefaultEventSettings(m, d)) {
            const auto row = mv::ComputeEventRow(m, s, d);
            for (const mv::EndEvents* e : {&row.front, &row.rear}) {
                EXPECT_FALSE(e->admission);
                EXPECT_FALSE(e->cutoff);
                EXPECT_FALSE(e->maxSteam);
                // The lead is a position, still reported: the overlap, as a negative number.
                ASSERT_TRUE(e->lead);
                EXPECT_LT(*e->lead, -2.0f);
                // The exhaust side is untouched.
                EXPECT_TRUE(e->release && e->compression && e->maxExhaust);
            }
        }
    }
}

TEST(EventTableAbsent, ACavityThatNeverReachesThePortNeverExhausts) {
    mv::Model m = DefaultGear();
    // Front exhaust lap of about -0.37 against a mid-gear valve amplitude of about 0.18.
    m.cyl.exhCavFront = 0.0f;
    const auto row = mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    EXPECT_FALSE(row.front.release);
    EXPECT_FALSE(row.front.compression);
    EXPECT_FALSE(row.front.maxExhaust);
    EXPECT_TRUE(row.rear.release && row.rear.compression && row.rear.maxExhaust);
}

TEST(EventTableAbsent, APortThatNeverClosesHasNoEventsButAnOpening) {
    mv::Model m = DefaultGear();
    m.cyl.valveFrontHalf = 0.0f;  // the valve never covers the front steam port
    const auto row = mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    EXPECT_FALSE(row.front.admission);
    EXPECT_FALSE(row.front.cutoff);
    ASSERT_TRUE(row.front.maxSteam);
    EXPECT_GT(*row.front.maxSteam, 0.5f);
}

TEST(EventTableAbsent, TextFormsShowAbsentValuesAsSuch) {
    mv::Model m = DefaultGear();
    m.cyl.valveFrontHalf = m.cyl.valveRearHalf = 3.0f;
    m.frame.revArmMax = 0;
    const std::vector<mv::EventRow> rows = {
        mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward)};
    ASSERT_FALSE(rows[0].notch);

    const std::string json = mv::EventRowJson(rows[0]);
    EXPECT_NE(json.find("\"notch\":null"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"admission\":null,\"cutoff\":null,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"max_steam\":null"), std::string::npos) << json;
    EXPECT_EQ(json.find("nan"), std::string::npos);

    const std::string csv = mv::EventTableDelimited(rows, ',');
    const std::string line = csv.substr(csv.find('\n') + 1);
    // direction, revarm, (notch), travel, (admission), (cutoff), release ...
    EXPECT_EQ(line.rfind("fwd,", 0), 0u) << line;
    EXPECT_NE(line.find(",,"), std::string::npos) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 18);
    EXPECT_EQ(line.substr(line.size() - 3), ",0\n");
    EXPECT_NE(json.find("\"geometry_error\":false}"), std::string::npos) << json;

    const std::string text = mv::EventTableText(rows);
    EXPECT_NE(text.find(mv::kAbsentText), std::string::npos);
}

// --- Agreement with the port diagram's coarse sweep -------------------------------------------

struct CoarseEvent {
    float pe = -1;         // interpolated piston position, -1: none
    float lo = 0, hi = 0;  // piston positions of the step that holds the crossing
};

// The port diagram's row: 91 samples 4 degrees apart starting at 4 degrees, latest event of
// each kind kept.
std::array<CoarseEvent, mv::kPortEventKinds> PortDiagramRow(mv::Model m, float setting,
                                                            SweepDirection d) {
    std::array<CoarseEvent, mv::kPortEventKinds> ev{};
    m.gear.revArmSetting = setting;
    m.gear.driverAngle = 0;
    mv::PortSample prev{};
    std::array<mv::PortCrossing, mv::kPortEventKinds> found{};
    for (int j = 0; j <= 90; ++j) {
        float& a = m.gear.driverAngle;
        if (d == SweepDirection::Forward) {
            a += 4.0f;
            if (a > 360.0f) a -= 360.0f;
        } else {
            a -= 4.0f;
            if (a < 0.0f) a += 360.0f;
        }
        mv::SolveLinkage(m);
        mv::SolvePistonAndPorts(m);
        const mv::PortSample cur = mv::SampleOf(m.valve);
        if (j > 0) {
            const int n = mv::DetectCrossings(prev, cur, found);
            for (int k = 0; k < n; ++k)
                ev[static_cast<int>(found[k].kind)] = {found[k].piston,
                                                       std::min(prev.piston, cur.piston),
                                                       std::max(prev.piston, cur.piston)};
        }
        prev = cur;
    }
    return ev;
}

TEST(EventTableVsPortDiagram, CutoffsLieInThePortDiagramsCrossingStep) {
    mv::Model m = DefaultGear();
    int compared = 0;
    for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
        for (float s : mv::DefaultEventSettings(m, d)) {
            const auto row = mv::ComputeEventRow(m, s, d);
            const auto coarse = PortDiagramRow(m, s, d);
            const CoarseEvent& fc = coarse[static_cast<int>(mv::PortEvent::FrontSteamClose)];
            const CoarseEvent& rc = coarse[static_cast<int>(mv::PortEvent::RearSteamClose)];
            ASSERT_TRUE(row.front.cutoff && row.rear.cutoff) << s;
            ASSERT_GE(fc.pe, 0.0f);
            ASSERT_GE(rc.pe, 0.0f);
            const float fp = *row.front.cutoff * 6.4f;
            const float rp = 640.0f - *row.rear.cutoff * 6.4f;
            EXPECT_GE(fp, fc.lo - 0.01f) << s;
            EXPECT_LE(fp, fc.hi + 0.01f) << s;
            EXPECT_GE(rp, rc.lo - 0.01f) << s;
            EXPECT_LE(rp, rc.hi + 0.01f) << s;
            // And the port diagram's interpolated position is close to the fine one.
            EXPECT_NEAR(mv::FrontStrokePercent(fc.pe), *row.front.cutoff, 0.5f) << s;
            EXPECT_NEAR(mv::RearStrokePercent(rc.pe), *row.rear.cutoff, 0.5f) << s;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 38);
}

// --- Rows ------------------------------------------------------------------------------------

TEST(EventTableRows, DefaultSettingsRunFromMidGearToMaxAndMirror) {
    mv::Model m = DefaultGear();
    const auto f = mv::DefaultEventSettings(m, SweepDirection::Forward);
    const auto r = mv::DefaultEventSettings(m, SweepDirection::Reverse);
    ASSERT_EQ(f.size(), 19u);
    ASSERT_EQ(r.size(), 19u);
    EXPECT_EQ(f.front(), Mid(m));
    EXPECT_EQ(r.front(), Mid(m));
    EXPECT_FLOAT_EQ(f.back(), Mid(m) + m.frame.revArmMax);
    EXPECT_FLOAT_EQ(r.back(), Mid(m) - m.frame.revArmMax);
    EXPECT_FLOAT_EQ(f[9] - Mid(m), Mid(m) - r[9]);

    const auto rows = mv::ComputeEventTable(m, f, SweepDirection::Forward);
    ASSERT_EQ(rows.size(), 19u);
    EXPECT_FLOAT_EQ(*rows.front().notch, 0.0f);
    EXPECT_NEAR(*rows[9].notch, 0.5f, 1e-6);
    EXPECT_NEAR(*rows.back().notch, 1.0f, 1e-6);
    EXPECT_EQ(mv::ComputeDefaultEventTable(m).size(), 38u);

    EXPECT_EQ(mv::DefaultEventSettings(m, SweepDirection::Forward, 1), std::vector<float>{Mid(m)});
    EXPECT_EQ(mv::DefaultEventSettings(m, SweepDirection::Forward, 0).size(), 1u);
}

TEST(EventTableRows, ZeroMaxPutsEveryRowAtMidGearWithoutANotch) {
    mv::Model m = DefaultGear();
    m.frame.revArmMax = 0;
    for (float s : mv::DefaultEventSettings(m, SweepDirection::Reverse)) EXPECT_EQ(s, Mid(m));
    const auto row = mv::ComputeEventRow(m, Mid(m) + 0.2f, SweepDirection::Forward);
    EXPECT_FALSE(row.notch);
    EXPECT_TRUE(row.front.cutoff);
}

// --- Live state ------------------------------------------------------------------------------

TEST(EventTableLiveState, SweepLeavesTheLiveGearAsItWas) {
    mv::Model m = DefaultGear();
    m.gear.driverAngle = 123.5f;
    m.gear.revArmSetting = Mid(m) + 0.37f;
    mv::SolveLinkage(m);
    mv::SolvePistonAndPorts(m);
    const mv::GearState gear = m.gear;
    const auto pivots = m.pivots;
    const mv::ValveEvents valve = m.valve;
    const auto positions = m.revArmPositions;

    (void)mv::ComputeDefaultEventTable(m);
    EXPECT_EQ(m.gear.driverAngle, gear.driverAngle);
    EXPECT_EQ(m.gear.revArmSetting, gear.revArmSetting);
    EXPECT_EQ(m.gear.geometryError, gear.geometryError);
    EXPECT_EQ(m.gear.radiusHangerAngle, gear.radiusHangerAngle);
    EXPECT_EQ(m.gear.direction, gear.direction);
    EXPECT_EQ(m.gear.currentStep, gear.currentStep);
    EXPECT_EQ(std::memcmp(&m.pivots, &pivots, sizeof pivots), 0);
    EXPECT_EQ(std::memcmp(&m.valve, &valve, sizeof valve), 0);
    EXPECT_EQ(m.revArmPositions, positions);
}

TEST(EventTableLiveState, GeometryErrorIsReportedPerRowNotLeftRaised) {
    mv::Model m = DefaultGear();
    ASSERT_FALSE(m.gear.geometryError);
    // Far beyond the reverse arm's reach: the solver has to clamp.
    const auto bad = mv::ComputeEventRow(m, Mid(m) + 6.0f, SweepDirection::Forward);
    EXPECT_TRUE(bad.geometryError);
    // Every text form says so.
    const std::vector<mv::EventRow> rows = {bad};
    EXPECT_NE(mv::EventRowJson(bad).find("\"geometry_error\":true}"), std::string::npos);
    EXPECT_NE(mv::EventTableDelimited(rows, ',').find(",1\n"), std::string::npos);
    EXPECT_NE(mv::EventTableText(rows).find("    error\n"), std::string::npos);
    EXPECT_FALSE(m.gear.geometryError);
    const auto good = mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    EXPECT_FALSE(good.geometryError);

    // A flag the live gear already shows stays up.
    m.gear.geometryError = true;
    (void)mv::ComputeEventRow(m, Mid(m), SweepDirection::Forward);
    EXPECT_TRUE(m.gear.geometryError);
}

TEST(EventTableLiveState, NoValueIsEverNotFinite) {
    mv::Model m = DefaultGear();
    m.frame.stroke = 0;  // clamped divisor: a degenerate but solvable gear
    m.cyl.valveFrontHalf = 3e38f;
    const auto row = mv::ComputeEventRow(m, Mid(m) + 1e30f, SweepDirection::Forward);
    const std::string json = mv::EventRowJson(row);
    EXPECT_EQ(json.find("nan"), std::string::npos) << json;
    EXPECT_EQ(json.find("inf"), std::string::npos) << json;
    EXPECT_EQ(json.find("e999"), std::string::npos) << json;
}

}  // namespace

// --- The one set of columns ------------------------------------------------------------------

namespace {

std::size_t Chars(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace

TEST(EventTableColumns, EveryTextFormFollowsTheSameColumns) {
    mv::Model m = DefaultGear();
    const std::vector<mv::EventRow> rows = mv::ComputeDefaultEventTable(m, 3);
    const auto columns = mv::EventColumns();
    ASSERT_EQ(columns.size(), 19u);

    // CSV: the header is the columns' keys; every line has one cell per column.
    const std::string csv = mv::EventTableDelimited(rows, ',');
    std::string header;
    for (const mv::EventColumn& c : columns)
        header += (header.empty() ? "" : ",") + std::string(c.key);
    EXPECT_EQ(csv.substr(0, csv.find('\n')), header);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + static_cast<long>(rows.size()));

    // JSON: the keys in column order, each end's inside its own object.
    const std::string json = mv::EventRowJson(rows.back());
    std::size_t at = 0;
    for (const mv::EventColumn& c : columns) {
        if (c.end != mv::EventEnd::None && (&c == columns.data() || (&c - 1)->end != c.end)) {
            at = json.find(std::string("\"") + mv::EventEndName(c.end) + "\":{", at);
            ASSERT_NE(at, std::string::npos) << json;
        }
        at = json.find(std::string("\"") + c.jsonKey + "\":", at);
        ASSERT_NE(at, std::string::npos) << c.key << " in " << json;
    }
    EXPECT_EQ(json.substr(json.size() - 24), ",\"geometry_error\":false}");

    // The aligned text: every line is as wide as its heading, so the cells stay under it.
    const std::string text = mv::EventTableText(rows);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    ASSERT_EQ(lines.size(), 2 + rows.size());
    for (std::size_t k = 2; k < lines.size(); ++k) EXPECT_EQ(Chars(lines[k]), Chars(lines[1])) << k;
    EXPECT_EQ(lines[0].find("| front"), lines[1].find('|') + 0) << "the end's name over its bar";

    // A cell's shown text: the direction as its word, lengths with 4 decimals, per cent with 2.
    const mv::EventRow& r = rows.front();
    EXPECT_EQ(mv::EventCellText(columns[0], r), "fwd");
    EXPECT_EQ(mv::EventCellText(columns[1], r), mv::FormatFixed(r.revArm, 0, 4));
    ASSERT_TRUE(r.front.cutoff);
    EXPECT_EQ(mv::EventCellText(columns[5], r), mv::FormatFixed(*r.front.cutoff, 0, 2));
}
