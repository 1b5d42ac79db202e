// The .dst working set: round trips, every word in its place, refused files, rewritten words.
#include <cmath>
#include <limits>
#include <random>

#include "files_support.hpp"
#include "model/dimensions.hpp"
#include "model/solver.hpp"

namespace mv::files::testing {
namespace {

class DstFile : public ScratchDir {};

void FillOverlay(Model& m) {
    for (int k = 0; k < kLineEntries; ++k) {
        LineEntry& e = m.lines.entries[static_cast<std::size_t>(k)];
        e.kind = k % 2;
        e.colour = k % 6;
        e.reference = k % 4;
        e.p = k;
        e.q = 20 - k;
        e.h1 = 0.5f * static_cast<float>(k);
        e.v1 = -1.25f * static_cast<float>(k);
        e.h2 = 3.0f + static_cast<float>(k);
        e.v2 = 1.0f / static_cast<float>(k + 1);
    }
    m.lines.count = 7;
    m.lines.selected = 13;
}

void ExpectSameOverlay(const LineOverlay& a, const LineOverlay& b) {
    for (int k = 0; k < kLineEntries; ++k) {
        const LineEntry& x = a.entries[static_cast<std::size_t>(k)];
        const LineEntry& y = b.entries[static_cast<std::size_t>(k)];
        SCOPED_TRACE("line " + std::to_string(k + 1));
        EXPECT_EQ(x.kind, y.kind);
        EXPECT_EQ(x.colour, y.colour);
        EXPECT_EQ(x.reference, y.reference);
        EXPECT_EQ(x.p, y.p);
        EXPECT_EQ(x.q, y.q);
        EXPECT_EQ(x.h1, y.h1);
        EXPECT_EQ(x.v1, y.v1);
        EXPECT_EQ(x.h2, y.h2);
        EXPECT_EQ(x.v2, y.v2);
    }
    EXPECT_EQ(a.count, b.count);
    EXPECT_EQ(a.selected, b.selected);
}

TEST_F(DstFile, DefaultsSavedAndLoadedBackGiveTheSameWorkingSet) {
    Model saved;
    StartUp(saved);
    FillOverlay(saved);
    saved.revArmPositions[4] = 4.1f;
    saved.revArmPositions[9] = 2.9f;
    saved.diagramSweepWord = 0xDEADBEEF;
    std::string err;
    const std::string path = Path("gear.dst");
    ASSERT_TRUE(SaveDst(saved, path, err)) << err;
    EXPECT_EQ(saved.dataSetName, "gear");
    EXPECT_EQ(ReadBytes(path).size(), kDstBytes);

    Model m;
    StartUp(m);
    StoreDimension(m, 6, 9.5f);
    StoreDimension(m, 14, 12.0f);
    StoreDimension(m, 102, 0.3f);
    StoreDimension(m, 27, 2.0f);
    m.view = ViewTransform{40, 1, 2};
    m.presets[3] = ViewTransform{1, 2, 3};
    m.gear.revArmSetting = 9.0f;
    EventLog log(m);
    ASSERT_TRUE(LoadDst(m, path, err)) << err;

    for (const auto& d : FrameDimensionInfo())
        EXPECT_EQ(GetDimension(m, d.id), GetDimension(saved, d.id)) << d.shortName;
    for (const auto& d : CylinderDimensionInfo())
        EXPECT_EQ(GetDimension(m, d.id), GetDimension(saved, d.id)) << d.shortName;
    for (int k : {3, 4, 6, 7, 12, 16, 17}) {
        EXPECT_EQ(m.pivots[k].x, saved.pivots[k].x) << "pivot " << k;
        EXPECT_EQ(m.pivots[k].y, saved.pivots[k].y) << "pivot " << k;
    }
    EXPECT_EQ(m.view.scale, 28.0f);
    EXPECT_EQ(m.view.ox, 115.0f);
    EXPECT_EQ(m.view.oy, 270.0f);
    for (std::size_t k = 0; k < m.presets.size(); ++k) {
        EXPECT_EQ(m.presets[k].scale, saved.presets[k].scale);
        EXPECT_EQ(m.presets[k].ox, saved.presets[k].ox);
        EXPECT_EQ(m.presets[k].oy, saved.presets[k].oy);
    }
    for (std::size_t k = 0; k < kRevArmPositions; ++k)
        EXPECT_EQ(m.revArmPositions[k], saved.revArmPositions[k]) << k;
    ExpectSameOverlay(m.lines, saved.lines);
    EXPECT_EQ(m.graphicZoomFactor, 7.5f);
    EXPECT_EQ(m.diagramVerticalScale, 1.5f);
    EXPECT_EQ(m.diagramSweepWord, 0xDEADBEEFu);
    EXPECT_EQ(m.cyl.spare, 0u);

    // Reverse arm at mid gear, the bar sized from "Rev Arm to Cent Max" and centred.
    EXPECT_EQ(m.gear.revArmSetting, m.revArmPositions[0]);
    EXPECT_EQ(m.revArmBarMax, 1300);
    EXPECT_EQ(m.revArmBarMin, -1300);
    EXPECT_EQ(m.revArmBarPosition, 0);
    EXPECT_EQ(m.dataSetName, "gear");
    EXPECT_EQ(log.Count(ModelEvent::RevArmBarLimits), 1);
    EXPECT_EQ(log.Count(ModelEvent::RevArmBarPosition), 1);
    EXPECT_EQ(log.Count(ModelEvent::DataSetNameChanged), 1);
    EXPECT_EQ(log.Count(ModelEvent::DimensionsChanged), 1);
    // Nothing a later save would write differs.
    EXPECT_EQ(WriteDstBytes(m), WriteDstBytes(saved));
}

TEST_F(DstFile, EveryWordSitsInItsRecord) {
    Model m;
    StartUp(m);
    FillOverlay(m);
    m.cyl.spare = 0x7FC01234;
    m.pivots[mv::pv::BellPivot2].x = 11.25f;  // a copy that differs from pivot 6 is stored as it is
    m.pivots[mv::pv::Crosshead].y = 0.75f;
    m.pivots[mv::pv::ValveJoint].y = 2.5f;
    m.frame.offsetAngle = 2.5f;
    m.graphicZoomFactor = 12.0f;
    m.diagramSweepWord = 0x01020304;
    const auto b = WriteDstBytes(m);
    EXPECT_EQ(FloatWord(b, 1, 0), 0.0f);  // backset
    EXPECT_EQ(FloatWord(b, 1, 1), 3.0f);  // stroke
    EXPECT_EQ(FloatWord(b, 1, 3), 7.0f);  // driver diameter
    EXPECT_EQ(FloatWord(b, 2, 4), 1.5f);  // eccentric rod right end
    EXPECT_EQ(FloatWord(b, 3, 0), 8.47f);
    EXPECT_EQ(FloatWord(b, 4, 3), 11.1f);  // pivot 6 x
    EXPECT_EQ(FloatWord(b, 4, 4), 3.43f);
    EXPECT_EQ(FloatWord(b, 5, 0), 8.4f);    // pivot 12 x
    EXPECT_EQ(FloatWord(b, 5, 4), 11.25f);  // pivot 7 x
    EXPECT_EQ(FloatWord(b, 6, 1), 3.85f);   // pivot 17 x
    for (auto [r, w] : {std::pair{6, 3}, {6, 4}, {7, 0}}) EXPECT_EQ(FloatWord(b, r, w), 0.75f);
    EXPECT_EQ(FloatWord(b, 7, 1), 16.0f);
    EXPECT_EQ(Word(b, 7, 4), 0x7FC01234u);
    EXPECT_EQ(FloatWord(b, 10, 3), 2.514f);  // valve stem
    EXPECT_EQ(FloatWord(b, 11, 2), 0.375f);
    EXPECT_EQ(FloatWord(b, 11, 3), 0.375f);
    EXPECT_EQ(FloatWord(b, 11, 4), 2.5f);  // y4
    EXPECT_EQ(FloatWord(b, 12, 0), 28.0f);
    EXPECT_EQ(FloatWord(b, 12, 1), 115.0f);
    EXPECT_EQ(FloatWord(b, 12, 2), 12.0f);
    EXPECT_EQ(FloatWord(b, 12, 3), 270.0f);
    EXPECT_EQ(FloatWord(b, 12, 4), 1.04f);
    EXPECT_EQ(FloatWord(b, 13, 0), 1.3f);
    EXPECT_EQ(FloatWord(b, 13, 1), m.gear.revArmSetting);
    EXPECT_EQ(Word(b, 13, 2), 0x01020304u);
    EXPECT_EQ(Word(b, 13, 3), 0x01020304u);
    EXPECT_EQ(FloatWord(b, 13, 4), 1.5f);
    EXPECT_EQ(FloatWord(b, 14, 3), 62.0f);     // preset 1 scale
    EXPECT_EQ(FloatWord(b, 17, 3), 350.0f);    // preset 6 scale
    EXPECT_EQ(FloatWord(b, 17, 4), -5460.0f);  // preset 6 x offset
    EXPECT_EQ(FloatWord(b, 18, 0), 900.0f);    // preset 6 y offset
    EXPECT_EQ(FloatWord(b, 18, 1), m.revArmPositions[1]);
    EXPECT_EQ(FloatWord(b, 18, 3), m.revArmPositions[3]);
    // The overlay: line k (1..20) is word (k-1) of each 20-word block.
    EXPECT_EQ(FloatWord(b, 20, 2), m.lines.entries[2].h1);
    EXPECT_EQ(FloatWord(b, 25, 0), m.lines.entries[5].v1);
    EXPECT_EQ(FloatWord(b, 28, 4), m.lines.entries[4].h2);
    EXPECT_EQ(FloatWord(b, 35, 4), m.lines.entries[19].v2);
    EXPECT_EQ(FloatWord(b, 48, 3), 3.0f);  // p of line 4
    EXPECT_EQ(FloatWord(b, 52, 1), 1.0f);  // kind of line 2: circle
    EXPECT_EQ(FloatWord(b, 56, 4), 4.0f);  // colour of line 5: blue
    EXPECT_EQ(FloatWord(b, 61, 2), 3.0f);  // reference of line 8
    EXPECT_EQ(Word(b, 67, 4), 7u);         // count, an integer
    EXPECT_EQ(FloatWord(b, 71, 4), 1.0f);  // q of line 20
    EXPECT_EQ(FloatWord(b, 72, 0), 2.5f);
    EXPECT_EQ(Word(b, 72, 1), 0u);
    EXPECT_EQ(Word(b, 72, 2), 0u);
    EXPECT_EQ(Word(b, 72, 3), 0u);
    EXPECT_EQ(FloatWord(b, 72, 4), 13.0f);
}

// Records 1-19 and the offset angle must be finite to be loaded at all.
bool MustBeFinite(int record, int word) {
    if (record == 72) return word == 0;
    if (record > 19) return false;
    if (record == 6 && word >= 3) return false;                // earlier y3 copies
    if (record == 7 && word == 4) return false;                // spare, raw bits
    if (record == 11 && word == 2) return false;               // earlier copy of 121
    if (record == 13 && word >= 1 && word <= 3) return false;  // setting, sweep words
    if (record == 18 && word >= 1 && word <= 3) return false;  // recomputed mid-gear positions
    return true;
}

TEST_F(DstFile, RandomWordsComeBackExceptThoseTheLoadRewrites) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::uint8_t> in(kDstBytes);
        for (int r = 1; r <= 72; ++r) {
            for (int w = 0; w < 5; ++w) {
                std::uint32_t v = rng();
                while (MustBeFinite(r, w) && !std::isfinite(std::bit_cast<float>(v))) v = rng();
                SetWord(in, r, w, v);
            }
        }
        Model m;
        StartUp(m);
        std::string err;
        ASSERT_TRUE(ReadDstBytes(m, in, "random.dst", err)) << err;
        const auto out = WriteDstBytes(m);
        ASSERT_EQ(out.size(), kDstBytes);
        for (int r = 1; r <= 72; ++r) {
            for (int w = 0; w < 5; ++w) {
                SCOPED_TRACE("record " + std::to_string(r) + " word " + std::to_string(w));
                std::uint32_t expected = Word(in, r, w);
                if (r == 6 && w >= 3) expected = Word(in, 7, 0);  // later copy of y3 wins
                if (r == 11 && w == 2) expected = Word(in, 11, 3);
                if (r == 13 && w == 2) expected = Word(in, 13, 3);
                if (r == 13 && w == 1)
                    expected = std::bit_cast<std::uint32_t>(m.revArmPositions[0]);
                // Mid gear and the normal positions are recomputed from the dimensions.
                if (r == 18 && w >= 1 && w <= 3)
                    expected = std::bit_cast<std::uint32_t>(m.revArmPositions[w]);
                if (r == 72 && w >= 1 && w <= 3) expected = 0;
                if (r == 72 && w == 4)
                    expected = std::bit_cast<std::uint32_t>(static_cast<float>(m.lines.selected));
                EXPECT_EQ(Word(out, r, w), expected);
            }
        }
        // Whatever came in, the overlay only holds values the picture can draw.
        for (const auto& e : m.lines.entries) {
            EXPECT_TRUE(e.kind >= -1 && e.kind <= 1);
            EXPECT_TRUE(e.colour >= -1 && e.colour <= 5);
            EXPECT_TRUE(e.reference >= -1 && e.reference <= 3);
            EXPECT_TRUE(e.p >= 0 && e.p < kPivotCount);
            EXPECT_TRUE(e.q >= 0 && e.q < kPivotCount);
            EXPECT_TRUE(std::isfinite(e.h1) && std::isfinite(e.v1));
            EXPECT_TRUE(std::isfinite(e.h2) && std::isfinite(e.v2));
        }
        EXPECT_TRUE(m.lines.count >= 1 && m.lines.count <= kLineEntries);
        EXPECT_TRUE(m.lines.selected >= 1 && m.lines.selected <= kLineEntries);
        if (::testing::Test::HasFailure()) break;
    }
}

TEST_F(DstFile, SelectedLineIsWordFourRoundedHalfToEven) {
    Model base;
    StartUp(base);
    auto bytes = WriteDstBytes(base);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (auto [word, expected] : {std::pair{2.5f, 2},
                                  {3.5f, 4},
                                  {7.49f, 7},
                                  {19.5f, 20},
                                  {0.0f, 1},
                                  {-3.0f, 1},
                                  {1e9f, 20},
                                  {nan, 1},
                                  {inf, 20}}) {
        SetFloat(bytes, 72, 4, word);
        Model m;
        StartUp(m);
        std::string err;
        ASSERT_TRUE(ReadDstBytes(m, bytes, "x.dst", err)) << err;
        EXPECT_EQ(m.lines.selected, expected) << word;
    }
}

TEST_F(DstFile, DamagedOverlayWordsLoadSafelyAndAreWrittenBackUnchanged) {
    Model base;
    StartUp(base);
    auto in = WriteDstBytes(base);
    SetWord(in, 20, 0, 0x7FC00001);  // h1 of line 1: NaN with a payload
    SetFloat(in, 48, 1, 300.0f);     // p of line 2: no such pivot
    SetFloat(in, 68, 2, -4.0f);      // q of line 3
    SetFloat(in, 52, 3, 0.5f);       // kind of line 4: not a whole number
    SetFloat(in, 56, 0, 9.0f);       // colour of line 1: out of range
    SetWord(in, 67, 4, 0xFFFFFFFF);  // count -1
    SetWord(in, 39, 4, 0x12345678);  // counts kept as raw bits
    SetWord(in, 40, 0, 0xFFFFFFFF);  // an uninterpreted word
    Model m;
    StartUp(m);
    std::string err;
    ASSERT_TRUE(ReadDstBytes(m, in, "x.dst", err)) << err;
    EXPECT_EQ(m.lines.entries[0].h1, 0.0f);
    EXPECT_EQ(m.lines.entries[1].p, 0);
    EXPECT_EQ(m.lines.entries[2].q, 0);
    EXPECT_EQ(m.lines.entries[3].kind, -1);
    EXPECT_EQ(m.lines.entries[0].colour, -1);
    EXPECT_EQ(m.lines.count, 1);
    const auto out = WriteDstBytes(m);
    for (int r = 20; r <= 71; ++r)
        for (int w = 0; w < 5; ++w) EXPECT_EQ(Word(out, r, w), Word(in, r, w)) << r << ":" << w;

    // A value the user changes afterwards is written as the new value.
    m.lines.entries[1].p = 5;
    m.lines.entries[0].h1 = 0.25f;
    m.lines.count = 3;
    const auto edited = WriteDstBytes(m);
    EXPECT_EQ(FloatWord(edited, 48, 1), 5.0f);
    EXPECT_EQ(FloatWord(edited, 20, 0), 0.25f);
    EXPECT_EQ(Word(edited, 67, 4), 3u);
    EXPECT_EQ(Word(edited, 39, 4), 0x12345678u);
}

TEST_F(DstFile, ALongerFileIsReadAsItsFirstRecords) {
    Model saved;
    StartUp(saved);
    StoreDimension(saved, 3, 11.5f);
    auto bytes = WriteDstBytes(saved);
    bytes.resize(bytes.size() + 333, 0xFF);
    WriteBytes(Path("long.dst"), bytes);
    Model m;
    StartUp(m);
    std::string err;
    ASSERT_TRUE(LoadDst(m, Path("long.dst"), err)) << err;
    EXPECT_EQ(m.frame.mainRod, 11.5f);
}

TEST_F(DstFile, BadFilesAreRefusedAndTheWorkingSetIsUntouched) {
    Model good;
    StartUp(good);
    const auto goodBytes = WriteDstBytes(good);
    auto shortBytes = goodBytes;
    shortBytes.resize(1439);
    auto nanStroke = goodBytes;
    SetFloat(nanStroke, 1, 1, std::numeric_limits<float>::quiet_NaN());
    auto infView = goodBytes;
    SetFloat(infView, 12, 0, -std::numeric_limits<float>::infinity());
    auto nanOffset = goodBytes;
    SetWord(nanOffset, 72, 0, 0x7F800001);
    auto nanPosition = goodBytes;
    SetWord(nanPosition, 19, 2, 0xFFC00000);
    WriteBytes(Path("short.dst"), shortBytes);
    WriteBytes(Path("empty.dst"), {});
    WriteBytes(Path("nan.dst"), nanStroke);
    WriteBytes(Path("inf.dst"), infView);
    WriteBytes(Path("angle.dst"), nanOffset);
    WriteBytes(Path("position.dst"), nanPosition);
    std::filesystem::create_directory(Path("folder.dst"));

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"short.dst", "file is 1439 bytes, a dimension file has 1440"},
        {"empty.dst", "file is 0 bytes"},
        {"missing.dst", "cannot open"},
        {"folder.dst", "folder"},
        {"nan.dst", "record 1 word 1 (Stroke) is not a finite number"},
        {"inf.dst", "record 12 word 0 (view scale)"},
        {"angle.dst", "record 72 word 0 (Offset Angle of Vert Cent)"},
        {"position.dst", "record 19 word 2 (reverse-arm position)"},
    };
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        Model m;
        StartUp(m);
        StoreDimension(m, 5, 1.9f);
        m.gear.revArmSetting = 4.0f;
        m.revArmBarPosition = 250;
        m.dataSetName = "mine";
        const auto before = Snapshot(m);
        EventLog log(m);
        std::string err;
        EXPECT_FALSE(OpenDimensionFile(m, Path(name), err));
        EXPECT_NE(err.find(Path(name) + ": "), std::string::npos) << err;
        EXPECT_NE(err.find(reason), std::string::npos) << err;
        EXPECT_EQ(Snapshot(m), before);
        EXPECT_EQ(m.gear.revArmSetting, 4.0f);
        EXPECT_EQ(m.revArmBarPosition, 250);
        EXPECT_EQ(m.dataSetName, "mine");
        EXPECT_TRUE(log.events.empty());
    }
}

TEST_F(DstFile, WordsTheLoadDiscardsMayHoldAnyBits) {
    Model base;
    StartUp(base);
    auto in = WriteDstBytes(base);
    SetWord(in, 6, 3, 0x7FC00000);   // earlier y3 copies
    SetWord(in, 11, 2, 0xFF800000);  // earlier copy of 121
    SetWord(in, 13, 1, 0x7FC00000);  // reverse-arm setting, replaced by mid gear
    SetWord(in, 72, 2, 0xFFFFFFFF);
    Model m;
    StartUp(m);
    std::string err;
    ASSERT_TRUE(ReadDstBytes(m, in, "x.dst", err)) << err;
    EXPECT_EQ(m.cyl.exhCavFront, 0.375f);
    EXPECT_EQ(m.gear.revArmSetting, m.revArmPositions[0]);
    EXPECT_EQ(WriteDstBytes(m), WriteDstBytes(base));
}

TEST_F(DstFile, LoadingComputesMidGearFromTheNewDimensions) {
    Model other;
    StartUp(other);
    StoreDimension(other, 24, 4.2f);
    StoreDimension(other, 27, 0.8f);
    ComputeMidGear(other);
    const float expectedMid = other.revArmPositions[0];
    other.gear.revArmSetting = expectedMid + 0.5f;  // saved off mid gear
    ASSERT_TRUE(std::isfinite(expectedMid));
    std::string err;
    ASSERT_TRUE(SaveDst(other, Path("g.dst"), err)) << err;
    Model m;
    StartUp(m);
    ASSERT_TRUE(LoadDst(m, Path("g.dst"), err)) << err;
    EXPECT_EQ(m.revArmPositions[0], expectedMid);
    EXPECT_EQ(m.gear.revArmSetting, expectedMid);
    EXPECT_FLOAT_EQ(m.revArmPositions[2], expectedMid + 1.04f);
    EXPECT_EQ(m.revArmBarMax, 800);
    EXPECT_EQ(m.revArmBarMin, -800);
    EXPECT_EQ(m.revArmBarPosition, 0);
}

TEST_F(DstFile, AHugeRevArmMaxSaturatesTheBarLimits) {
    Model base;
    StartUp(base);
    auto in = WriteDstBytes(base);
    SetFloat(in, 13, 0, 3.0e38f);
    Model m;
    StartUp(m);
    std::string err;
    ASSERT_TRUE(ReadDstBytes(m, in, "x.dst", err)) << err;
    EXPECT_GT(m.revArmBarMax, 1000000000);
    EXPECT_LT(m.revArmBarMin, -1000000000);
}

}  // namespace
}  // namespace mv::files::testing

namespace mv::files::testing {
namespace {

// Extreme but finite dimensions put mid gear out of the float range; such a gear must still
// save and open again (the recomputed positions are not checked).
TEST_F(DstFile, AGearWhoseMidGearOverflowsStillSavesAndOpens) {
    Model m;
    StartUp(m);
    StoreDimension(m, 21, 3.0e38f);
    StoreDimension(m, 22, 3.0e38f);
    ComputeMidGear(m);
    ASSERT_FALSE(std::isfinite(m.revArmPositions[0]));
    std::string err;
    ASSERT_TRUE(SaveDst(m, Path("wild.dst"), err)) << err;
    Model back;
    StartUp(back);
    ASSERT_TRUE(LoadDst(back, Path("wild.dst"), err)) << err;
    EXPECT_EQ(back.frame.revArmUpper, 3.0e38f);
    EXPECT_EQ(back.revArmBarPosition, 0);
}

}  // namespace
}  // namespace mv::files::testing
