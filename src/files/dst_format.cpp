// The .dst working set: 72 records of five little-endian 32-bit words. The image is decoded into
// a staging copy and checked as a whole; the model only sees it once nothing can fail.
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "files/dimension_file.hpp"
#include "files/load_steps.hpp"

namespace mv::files {

namespace {

using Words = std::array<std::uint32_t, kDstWords>;

// Positions inside the 260 words of the lines-and-circles records (record 20 is word 0).
namespace line_block {
constexpr int kH1 = 0;           // records 20-23
constexpr int kV1 = 20;          // records 24-27
constexpr int kH2 = 40;          // records 28-31
constexpr int kV2 = 60;          // records 32-35
constexpr int kP = 140;          // records 48-51
constexpr int kKind = 160;       // records 52-55
constexpr int kColour = 180;     // records 56-59
constexpr int kReference = 200;  // records 60-63
constexpr int kCount = 239;      // record 67 word 4, a 32-bit integer
constexpr int kQ = 240;          // records 68-71
}  // namespace line_block

float AsFloat(std::uint32_t w) {
    return std::bit_cast<float>(w);
}
std::uint32_t AsWord(float f) {
    return std::bit_cast<std::uint32_t>(f);
}

// Decoding of the overlay's words. Values the drawing cannot use become the "unset" value, so
// a damaged record draws nothing instead of indexing outside the pivot table.
float LineFloat(std::uint32_t w) {
    const float f = AsFloat(w);
    return std::isfinite(f) ? f : 0.0f;
}

int Selector(std::uint32_t w, int maxValue) {
    const float f = AsFloat(w);
    if (!(f >= -1.0f && f <= static_cast<float>(maxValue)) || f != std::floor(f)) return -1;
    return static_cast<int>(f);
}

int PivotNumber(std::uint32_t w) {
    const float f = AsFloat(w);
    if (!(f >= -0.5f && f <= kPivotCount - 0.5f)) return 0;
    const int k = static_cast<int>(std::nearbyint(f));
    return k >= 0 && k < kPivotCount ? k : 0;
}

int LineCount(std::uint32_t w) {
    const auto n = std::bit_cast<std::int32_t>(w);
    if (n < 1) return 1;
    if (n > kLineEntries) return kLineEntries;
    return n;
}

// Record 72 word 4: nearest whole number, ties to even, kept inside 1..20.
int SelectedLine(std::uint32_t w) {
    const float f = AsFloat(w);
    if (!(f >= 1.0f)) return 1;
    if (f >= static_cast<float>(kLineEntries)) return kLineEntries;
    const int k = static_cast<int>(std::nearbyint(f));
    return k < 1 ? 1 : (k > kLineEntries ? kLineEntries : k);
}

// Everything a .dst file sets, as staged before it reaches the model.
struct DstImage {
    FrameDimensions frame;
    CylinderDimensions cyl;
    float y3 = 0, y4 = 0;
    Pivot p6, p7, p12, p16, p17;
    ViewTransform view;
    float graphicZoom = 0;
    float revArmSetting = 0;
    std::uint32_t sweepWord = 0;
    float verticalScale = 0;
    std::array<ViewTransform, 7> presets{};
    std::array<float, kRevArmPositions> revArm{};  // [0] is not stored
    LineOverlay lines;
};

// Sequential reader over the 360 words. Checked words must be finite; the first one that is
// not is reported with its record, word and meaning.
class WordReader {
public:
    explicit WordReader(const Words& w) : w_(w) {}

    float Checked(const char* what) {
        const float f = AsFloat(w_[i_]);
        if (!std::isfinite(f) && bad_.empty())
            bad_ = "record " + std::to_string(i_ / 5 + 1) + " word " + std::to_string(i_ % 5) +
                   " (" + what + ") is not a finite number";
        ++i_;
        return f;
    }
    float Unchecked() { return AsFloat(w_[i_++]); }
    std::uint32_t Raw() { return w_[i_++]; }
    void Skip(std::size_t n) { i_ += n; }
    std::size_t Index() const { return i_; }
    const std::string& Problem() const { return bad_; }

private:
    const Words& w_;
    std::size_t i_ = 0;
    std::string bad_;
};

class WordWriter {
public:
    explicit WordWriter(Words& w) : w_(w) {}
    void F(float f) { w_[i_++] = AsWord(f); }
    void Raw(std::uint32_t u) { w_[i_++] = u; }
    std::size_t Index() const { return i_; }

private:
    Words& w_;
    std::size_t i_ = 0;
};

void DecodeLines(const Words& w, LineOverlay& lines) {
    using namespace line_block;
    auto& raw = lines.rawWords;
    std::memcpy(raw.data(), w.data() + kDstLinesFirstWord, raw.size() * sizeof(std::uint32_t));
    for (int k = 0; k < kLineEntries; ++k) {
        LineEntry& e = lines.entries[static_cast<std::size_t>(k)];
        e.h1 = LineFloat(raw[kH1 + k]);
        e.v1 = LineFloat(raw[kV1 + k]);
        e.h2 = LineFloat(raw[kH2 + k]);
        e.v2 = LineFloat(raw[kV2 + k]);
        e.p = PivotNumber(raw[kP + k]);
        e.q = PivotNumber(raw[kQ + k]);
        e.kind = Selector(raw[kKind + k], 1);
        e.colour = Selector(raw[kColour + k], 5);
        e.reference = Selector(raw[kReference + k], 3);
    }
    lines.count = LineCount(raw[kCount]);
}

// A word that still decodes to the model's value is written back as it was read, so NaN
// payloads, odd selector encodings and the like survive a load and save unchanged.
void EncodeLines(const LineOverlay& lines, std::uint32_t* out) {
    using namespace line_block;
    const auto& raw = lines.rawWords;
    std::memcpy(out, raw.data(), raw.size() * sizeof(std::uint32_t));
    auto putFloat = [&](int at, float v) {
        const auto i = static_cast<std::size_t>(at);
        if (AsWord(LineFloat(raw[i])) != AsWord(v)) out[i] = AsWord(v);
    };
    auto putSelector = [&](int at, int v, int maxValue) {
        const auto i = static_cast<std::size_t>(at);
        if (Selector(raw[i], maxValue) != v) out[i] = AsWord(static_cast<float>(v));
    };
    auto putPivot = [&](int at, int v) {
        const auto i = static_cast<std::size_t>(at);
        if (PivotNumber(raw[i]) != v) out[i] = AsWord(static_cast<float>(v));
    };
    for (int k = 0; k < kLineEntries; ++k) {
        const LineEntry& e = lines.entries[static_cast<std::size_t>(k)];
        putFloat(kH1 + k, e.h1);
        putFloat(kV1 + k, e.v1);
        putFloat(kH2 + k, e.h2);
        putFloat(kV2 + k, e.v2);
        putPivot(kP + k, e.p);
        putPivot(kQ + k, e.q);
        putSelector(kKind + k, e.kind, 1);
        putSelector(kColour + k, e.colour, 5);
        putSelector(kReference + k, e.reference, 3);
    }
    if (LineCount(raw[kCount]) != lines.count)
        out[kCount] = std::bit_cast<std::uint32_t>(static_cast<std::int32_t>(lines.count));
}

bool Decode(const Words& w, const Model& current, DstImage& img, std::string& problem) {
    WordReader r(w);
    FrameDimensions& f = img.frame;
    CylinderDimensions& c = img.cyl;
    // Record 1
    f.bcBackset = r.Checked("Bell Crank BackSet");
    f.stroke = r.Checked("Stroke");
    f.eccCircleDia = r.Checked("Ecc Crank Cir Dia");
    f.driverDia = r.Checked("Driver Dia");
    f.mainRod = r.Checked("Main Rod Length");
    // Record 2
    f.valveConRod = r.Checked("Valve Con Rod");
    f.bcVert = r.Checked("Bell Crank Vert");
    f.bcHorz = r.Checked("Bell Crank Horz");
    f.transYoke = r.Checked("Transmission Yoke");
    f.eccRodRight = r.Checked("Ecc Rod Right End");
    // Record 3
    f.eccRodLeft = r.Checked("Ecc Rod Left End");
    f.eccCrankLen = r.Checked("Ecc Crank Length");
    f.radiusHanger = r.Checked("Radius Hanger Length");
    f.auxVert = r.Checked("Auxil Reach Rod Vert");
    f.auxHorz = r.Checked("Auxil Reach Rod Horz");
    // Record 4
    f.revArmLower = r.Checked("Reverse Arm Lower");
    f.revArmUpper = r.Checked("Reverse Arm Upper");
    f.guideLinkRadius = r.Checked("Guide Link Radius");
    img.p6.x = r.Checked("Bell Crank Piv Horz");
    img.p6.y = r.Checked("Bell Crank Piv Vert");
    // Record 5
    img.p12.x = r.Checked("G Link Rad Cent Horz");
    img.p12.y = r.Checked("G Link Rad Cent Vert");
    img.p16.x = r.Checked("Rev Arm Piv Horz");
    img.p16.y = r.Checked("Rev Arm Piv Vert");
    img.p7.x = r.Checked("Bell Crank Piv Horz, copy");
    // Record 6; the two earlier copies of y3 are overwritten by the last one
    img.p7.y = r.Checked("Bell Crank Piv Vert, copy");
    img.p17.x = r.Checked("Rev Arm Piv Horz, copy");
    img.p17.y = r.Checked("Rev Arm Piv Vert, copy");
    r.Skip(2);
    // Record 7
    img.y3 = r.Checked("Cyl CL above Driver ctr");
    c.cylCtr = r.Checked("Cyl ctr to Driver ctr");
    c.boreDia = r.Checked("Cylinder Bore Dia");
    c.boreLen = r.Checked("Cylinder Bore Length");
    c.spare = r.Raw();
    // Record 8
    c.cylPortWidth = r.Checked("Cyl Steam Port Width");
    c.pistonRod = r.Checked("Piston ctr to Crosshead");
    c.pistonWidth = r.Checked("Piston Width");
    c.valveSurface = r.Checked("Valve Surface to Cyl CL");
    c.valveStemCL = r.Checked("Valve Stem CL to Cyl CL");
    // Record 9
    c.exhaustPort = r.Checked("Exhaust Port Width");
    c.bridgeRear = r.Checked("Bridge Width Rear");
    c.steamPortRear = r.Checked("Steam Port Width Rear");
    c.chamberHeight = r.Checked("Valve Chamber Height");
    c.chamberLength = r.Checked("Valve Chamber Length");
    // Record 10
    c.valveHeight = r.Checked("Valve Height");
    c.valveRearHalf = r.Checked("Valve Length Rear Half");
    c.exhCavRear = r.Checked("Valve Exh Cavity Rear Half");
    c.valveStem = r.Checked("Valve Stem");
    c.bridgeFront = r.Checked("Bridge Width Front");
    // Record 11; the first copy of 121 is overwritten by the second
    c.steamPortFront = r.Checked("Steam Port Width Front");
    c.valveFrontHalf = r.Checked("Valve Length Front Half");
    r.Skip(1);
    c.exhCavFront = r.Checked("Valve Exh Cavity Front Half");
    img.y4 = r.Checked("valve stem joint height");
    // Record 12
    img.view.scale = r.Checked("view scale");
    img.view.ox = r.Checked("view x offset");
    img.graphicZoom = r.Checked("graphic zoom");
    img.view.oy = r.Checked("view y offset");
    f.revArmNorm = r.Checked("Rev Arm to Cent Norm");
    // Record 13; the setting is replaced by mid gear after loading, the later sweep word wins
    f.revArmMax = r.Checked("Rev Arm to Cent Max");
    img.revArmSetting = r.Unchecked();
    r.Skip(1);
    img.sweepWord = r.Raw();
    img.verticalScale = r.Checked("diagram vertical scale");
    // Records 14 to 18 word 0
    static constexpr const char* kPresetWords[3] = {"preset scale", "preset x offset",
                                                    "preset y offset"};
    for (auto& p : img.presets) {
        p.scale = r.Checked(kPresetWords[0]);
        p.ox = r.Checked(kPresetWords[1]);
        p.oy = r.Checked(kPresetWords[2]);
    }
    // Records 18 words 1-4 and 19
    // Positions 1 to 3 are mid gear and the normal positions, recomputed after loading; with
    // extreme dimensions they may not be finite, which must not make the file unreadable.
    img.revArm[0] = current.revArmPositions[0];
    for (int k = 1; k < kRevArmPositions; ++k)
        img.revArm[static_cast<std::size_t>(k)] =
            k <= 3 ? r.Unchecked() : r.Checked("reverse-arm position");
    // Records 20 to 71
    img.lines = current.lines;
    DecodeLines(w, img.lines);
    r.Skip(img.lines.rawWords.size());
    // Record 72: words 1 to 3 are not used
    f.offsetAngle = r.Checked("Offset Angle of Vert Cent");
    r.Skip(3);
    img.lines.selected = SelectedLine(r.Raw());
    problem = r.Problem();
    return problem.empty();
}

void Apply(const DstImage& img, Model& m) {
    m.frame = img.frame;
    m.cyl = img.cyl;
    m.pivots[pv::Crosshead].y = img.y3;
    m.pivots[pv::ValveJoint].y = img.y4;
    auto place = [](Pivot& to, const Pivot& from) {
        to.x = from.x;
        to.y = from.y;
    };
    place(m.pivots[pv::BellPivot], img.p6);
    place(m.pivots[pv::BellPivot2], img.p7);
    place(m.pivots[pv::GuideCentre], img.p12);
    place(m.pivots[pv::RevArmPivot], img.p16);
    place(m.pivots[pv::RevArmPivot2], img.p17);
    m.view = img.view;
    m.graphicZoomFactor = img.graphicZoom;
    m.gear.revArmSetting = img.revArmSetting;
    m.diagramSweepWord = img.sweepWord;
    m.diagramVerticalScale = img.verticalScale;
    m.presets = img.presets;
    m.revArmPositions = img.revArm;
    m.lines = img.lines;
}

}  // namespace

namespace {

std::string SizeProblem(std::size_t size) {
    if (size >= kDstBytes) return {};
    return "file is " + std::to_string(size) + " bytes, a dimension file has " +
           std::to_string(kDstBytes);
}

Words ToWords(std::span<const std::uint8_t> bytes) {
    Words w{};
    for (std::size_t i = 0; i < kDstWords; ++i) {
        const std::uint8_t* b = bytes.data() + 4 * i;
        w[i] = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    }
    return w;
}

}  // namespace

std::string DstProblem(std::span<const std::uint8_t> bytes) {
    std::string problem = SizeProblem(bytes.size());
    if (!problem.empty()) return problem;
    const Words w = ToWords(bytes);
    DstImage img;
    Decode(w, Model{}, img, problem);
    return problem;
}

bool ReadDstBytes(Model& m, std::span<const std::uint8_t> bytes, const std::string& name,
                  std::string& error) {
    std::string problem = SizeProblem(bytes.size());
    DstImage img;
    if (problem.empty()) Decode(ToWords(bytes), m, img, problem);
    if (!problem.empty()) {
        error = name + ": " + problem;
        return false;
    }
    Apply(img, m);
    FinishLoad(m);
    return true;
}

std::vector<std::uint8_t> WriteDstBytes(const Model& m) {
    Words w{};
    WordWriter o(w);
    const FrameDimensions& f = m.frame;
    const CylinderDimensions& c = m.cyl;
    const auto& P = m.pivots;
    for (float v :
         {f.bcBackset,   f.stroke,      f.eccCircleDia,    f.driverDia, f.mainRod,      // 1
          f.valveConRod, f.bcVert,      f.bcHorz,          f.transYoke, f.eccRodRight,  // 2
          f.eccRodLeft,  f.eccCrankLen, f.radiusHanger,    f.auxVert,   f.auxHorz,      // 3
          f.revArmLower, f.revArmUpper, f.guideLinkRadius, P[6].x,      P[6].y,         // 4
          P[12].x,       P[12].y,       P[16].x,           P[16].y,     P[7].x,         // 5
          P[7].y,        P[17].x,       P[17].y,           P[3].y,      P[3].y,         // 6
          P[3].y,        c.cylCtr,      c.boreDia,         c.boreLen})
        o.F(v);
    o.Raw(c.spare);
    for (float v : {c.cylPortWidth,      c.pistonRod,
                    c.pistonWidth,       c.valveSurface,
                    c.valveStemCL,       c.exhaustPort,
                    c.bridgeRear,        c.steamPortRear,
                    c.chamberHeight,
                    c.chamberLength,  // 9
                    c.valveHeight,       c.valveRearHalf,
                    c.exhCavRear,        c.valveStem,
                    c.bridgeFront,       c.steamPortFront,
                    c.valveFrontHalf,    c.exhCavFront,
                    c.exhCavFront,       P[4].y,
                    m.view.scale,        m.view.ox,
                    m.graphicZoomFactor, m.view.oy,
                    f.revArmNorm,  // 12
                    f.revArmMax,         m.gear.revArmSetting})
        o.F(v);
    o.Raw(m.diagramSweepWord);
    o.Raw(m.diagramSweepWord);
    o.F(m.diagramVerticalScale);
    for (const auto& p : m.presets) {
        o.F(p.scale);
        o.F(p.ox);
        o.F(p.oy);
    }
    for (int k = 1; k < kRevArmPositions; ++k) o.F(m.revArmPositions[static_cast<std::size_t>(k)]);
    EncodeLines(m.lines, w.data() + o.Index());
    std::size_t i = o.Index() + m.lines.rawWords.size();
    w[i++] = AsWord(f.offsetAngle);
    w[i++] = 0;
    w[i++] = 0;
    w[i++] = 0;
    w[i++] = AsWord(static_cast<float>(m.lines.selected));

    std::vector<std::uint8_t> bytes(kDstBytes);
    for (std::size_t k = 0; k < kDstWords; ++k) {
        for (int b = 0; b < 4; ++b)
            bytes[4 * k + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(w[k] >> (8 * b));
    }
    return bytes;
}

}  // namespace mv::files
