// The .mvo text file: export and import, comments and labels, errors with line numbers.
#include <cmath>
#include <limits>

#include "files_support.hpp"
#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"

namespace mv::files::testing {
namespace {

class MvoFile : public ScratchDir {};

// 49 numbers, one a line, with the given line (0-based count of values) replaced.
std::string Values(std::size_t n, std::size_t badAt = 999, const std::string& bad = "") {
    std::string s;
    for (std::size_t k = 0; k < n; ++k)
        s += (k == badAt ? bad : std::to_string(1 + k % 7) + ".5") + "\n";
    return s;
}

std::vector<DimensionId> AllIds() {
    std::vector<DimensionId> ids;
    for (const auto& d : FrameDimensionInfo()) ids.push_back(d.id);
    for (const auto& d : CylinderDimensionInfo()) ids.push_back(d.id);
    return ids;
}

TEST_F(MvoFile, ExportAndImportGiveBackEveryDimensionExactly) {
    Model src;
    StartUp(src);
    // Values whose shortest text needs all nine digits, and the pivot coordinates.
    StoreDimension(src, 3, 10.0000009f);
    StoreDimension(src, 14, 11.0999994f);
    StoreDimension(src, 23, -2.5e-7f);
    StoreDimension(src, 102, 0.125f);
    StoreDimension(src, 121, 3.4e38f);
    StoreDimension(src, 25, -1.5f);
    std::string err;
    ASSERT_TRUE(SaveMvo(src, Path("old.mvo"), err)) << err;

    Model m;
    StartUp(m);
    m.view = ViewTransform{50, 10, 20};
    m.cyl.spare = 0xABCD;
    m.lines.entries[4].kind = 1;
    EventLog log(m);
    ASSERT_TRUE(LoadMvo(m, Path("old.mvo"), err)) << err;
    for (DimensionId id : AllIds()) EXPECT_EQ(GetDimension(m, id), GetDimension(src, id)) << id;
    // Both copies of the pivots, and the valve-stem joint height from 102 and 109.
    EXPECT_EQ(m.pivots[mv::pv::BellPivot2].x, 11.0999994f);
    EXPECT_EQ(m.pivots[mv::pv::RevArmPivot2].y, -2.5e-7f);
    EXPECT_EQ(m.pivots[mv::pv::ValveJoint].y, 0.125f + 2.062f);
    // Settings the file does not carry keep their values.
    EXPECT_EQ(m.view.scale, 50.0f);
    EXPECT_EQ(m.cyl.spare, 0xABCDu);
    EXPECT_EQ(m.lines.entries[4].kind, 1);
    // As for .dst: mid gear and the reverse-arm bar.
    Model check = m;
    ComputeMidGear(check);
    EXPECT_EQ(m.gear.revArmSetting, check.revArmPositions[0]);
    EXPECT_EQ(m.revArmBarMax, 1300);
    EXPECT_EQ(m.revArmBarPosition, 0);
    EXPECT_EQ(m.dataSetName, "old");
    EXPECT_EQ(log.Count(ModelEvent::DimensionsChanged), 1);
    EXPECT_EQ(log.Count(ModelEvent::RevArmBarLimits), 1);
}

TEST_F(MvoFile, CommentsBlankLinesLabelsAndOtherLineEndsAreAccepted) {
    std::string text = "\xEF\xBB\xBF; written by hand\r\n\r\n";
    for (std::size_t k = 0; k < kMvoValues; ++k) {
        if (k == 10) text += "   ; indented comment\n";
        if (k == 20) text += "\t\n";
        text += (k % 3 == 0 ? "  " : "") + std::to_string(k + 1) + (k % 2 ? ".25" : "") +
                (k % 4 == 0 ? "\tlabel with   blanks\r\n" : "\n");
    }
    text += "; trailing comment without a line end";
    Model m;
    StartUp(m);
    std::string err;
    ASSERT_TRUE(ReadMvoText(m, text, "hand.mvo", err)) << err;
    const auto ids = AllIds();
    for (std::size_t k = 0; k < ids.size(); ++k) {
        const float expected = static_cast<float>(k + 1) + (k % 2 ? 0.25f : 0.0f);
        EXPECT_EQ(GetDimension(m, ids[k]), expected) << ids[k];
    }
}

TEST_F(MvoFile, ErrorsNameTheLineAndChangeNothing) {
    const std::string header = "; old gear\n\n";  // two lines before the values
    const std::vector<std::pair<std::string, std::string>> cases = {
        {header + Values(49, 9, "abc"), "line 12: expected a number, found 'abc'"},
        {header + Values(49, 0, "2,125"), "line 3: expected a number, found '2,125'"},
        {header + Values(49, 48, "nan"), "line 51: expected a number, found 'nan'"},
        {header + Values(49, 5, "1e999"), "line 8: expected a number, found '1e999'"},
        {header + Values(49, 5, "-1e39"), "line 8: '-1e39' is too large"},
        {header + Values(49, 5, "7.0label"), "line 8: expected a number, found '7.0label'"},
        {Values(31), "31 values, expected 49"},
        {Values(50), "50 values, expected 49"},
        {"", "0 values, expected 49"},
        {"; only comments\n;\n", "0 values, expected 49"},
        {Values(3) + std::string("4\0x\n", 4) + Values(45), "line 4: not a text file"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        WriteText(Path("old.mvo"), text);
        Model m;
        StartUp(m);
        StoreDimension(m, 8, 3.0f);
        m.gear.revArmSetting = 4.5f;
        const auto before = Snapshot(m);
        EventLog log(m);
        std::string err;
        EXPECT_FALSE(OpenDimensionFile(m, Path("old.mvo"), err));
        EXPECT_NE(err.find(message), std::string::npos) << err;
        EXPECT_EQ(err.rfind(Path("old.mvo"), 0), 0u) << err;
        EXPECT_EQ(Snapshot(m), before);
        EXPECT_EQ(m.gear.revArmSetting, 4.5f);
        EXPECT_EQ(m.dataSetName, "Nominal");
        EXPECT_TRUE(log.events.empty());
    }
}

TEST_F(MvoFile, AnOverlongTokenIsShortenedInTheMessage) {
    Model m;
    StartUp(m);
    std::string err;
    EXPECT_FALSE(ReadMvoText(m, std::string(5000, 'x') + "\n", "big.mvo", err));
    EXPECT_LT(err.size(), 120u);
    EXPECT_NE(err.find("..."), std::string::npos);
}

TEST_F(MvoFile, FilesTooLargeOrNotFilesAreRefused) {
    WriteText(Path("huge.mvo"), std::string(kMvoMaxBytes + 10, ';'));
    std::filesystem::create_directory(Path("dir.mvo"));
    for (const char* name : {"huge.mvo", "dir.mvo", "missing.mvo"}) {
        Model m;
        StartUp(m);
        const auto before = Snapshot(m);
        std::string err;
        EXPECT_FALSE(LoadMvo(m, Path(name), err)) << name;
        EXPECT_EQ(err.rfind(Path(name) + ": ", 0), 0u) << err;
        EXPECT_EQ(Snapshot(m), before);
    }
}

TEST_F(MvoFile, ConvertingBetweenTheFormatsKeepsTheDimensions) {
    Model src;
    StartUp(src);
    StoreDimension(src, 6, 8.125f);
    StoreDimension(src, 118, 0.7f);
    std::string err;
    ASSERT_TRUE(SaveDst(src, Path("a.dst"), err)) << err;
    Model m;
    StartUp(m);
    ASSERT_TRUE(OpenDimensionFile(m, Path("a.dst"), err)) << err;
    ASSERT_TRUE(SaveDimensionFile(m, Path("a.mvo"), err)) << err;
    Model back;
    StartUp(back);
    ASSERT_TRUE(OpenDimensionFile(back, Path("a.mvo"), err)) << err;
    ASSERT_TRUE(SaveDimensionFile(back, Path("b.dst"), err)) << err;
    EXPECT_EQ(ReadBytes(Path("b.dst")), ReadBytes(Path("a.dst")));
}

// The format goes by what the file holds: a renamed .mvo used to pass as a binary gear of
// garbage (text bytes read as floats are finite). Opening forgets the old gear's edits.
TEST_F(MvoFile, OpeningGoesByContentAndForgetsTheOldEdits) {
    Model src;
    StartUp(src);
    StoreDimension(src, 6, 8.125f);
    WriteText(Path("text.dst"), WriteMvoText(src));  // over 1440 bytes
    WriteBytes(Path("binary.mvo"), WriteDstBytes(src));
    for (const char* name : {"text.dst", "binary.mvo"}) {
        Model m;
        StartUp(m);
        m.pendingEdit = true;
        CommitDimension(m, 5, 1.9f);
        std::string err;
        ASSERT_TRUE(OpenDimensionFile(m, Path(name), err)) << err;
        EXPECT_EQ(m.frame.eccRodLeft, 8.125f) << name;
        EXPECT_EQ(m.undoCount, 0) << name;
        EXPECT_EQ(m.dynSlots[1].name, kEmptySlotName) << name;
    }
    // Neither: the message says what each reading found, the one that fits the file first.
    WriteText(Path("notes.dst"), std::string(2000, ' ') + "\nnot a number\n");
    Model m;
    std::string err;
    EXPECT_FALSE(OpenDimensionFile(m, Path("notes.dst"), err));
    EXPECT_EQ(err, Path("notes.dst") +
                       ": not a dimension file: read as a .mvo text file, line 2: expected a "
                       "number, found 'not'; read as a binary .dst file, it holds only text");
}

}  // namespace
}  // namespace mv::files::testing
