// The live values written over the picture, the undo line, pivot data, reference points,
// dynamic variables and the geometry-error indicator.
#include <cmath>
#include <numbers>
#include <string_view>

#include "mainwin/picture_layers.hpp"
#include "model/pivot_table.hpp"
#include "model/screen_math.hpp"
#include "model/text.hpp"

namespace mv::picture {
namespace {

// One line of text assembled without touching the heap for the usual lengths.
class TextLine {
public:
    TextLine& operator<<(std::string_view s) {
        for (char ch : s) {
            if (len_ < kCap) buf_[len_++] = ch;
        }
        return *this;
    }
    // A value too wide for its w:d field shows as w stars rather than running into its neighbours.
    TextLine& Fixed(double v, int w, int d) { return *this << FormatFixedOrStars(v, w, d); }
    std::string_view View() const { return {buf_.data(), len_}; }
    void Clear() { len_ = 0; }

private:
    static constexpr std::size_t kCap = 200;
    std::array<char, kCap> buf_{};
    std::size_t len_ = 0;
};

struct Scale {
    long double fx, fy;
    int X(int x) const { return RoundToScreen(x * fx); }
    int Y(int y) const { return RoundToScreen(y * fy); }
};

void Put(PictureCanvas& c, const Scale& s, int x, int y, std::string_view text) {
    c.Text(s.X(x), s.Y(y), text);
}

// "label" + value w:d + two blanks, as every live value is written.
std::string_view Labelled(TextLine& t, std::string_view label, double v, int w, int d) {
    t.Clear();
    t << label;
    t.Fixed(v, w, d);
    t << "  ";
    return t.View();
}

void LiveValues(PictureCanvas& c, const Model& m, const Scale& s) {
    TextLine t;
    Put(c, s, 199, 25, "Pan Vert");
    Put(c, s, 199, 39, "Pan Horz");
    Put(c, s, 199, 53, "Zoom");
    Put(c, s, 459, 25, Labelled(t, "Rev Arm ", m.gear.revArmSetting, 6, 3));
    Put(c, s, 459, 39, Labelled(t, "Driv Ang ", m.gear.driverAngle, 6, 2));
    Put(c, s, 459, 53, Labelled(t, "Step Ang", m.gear.chosenStep, 6, 2));
    const double piston = static_cast<double>(m.valve.piston) / 6.4 + 0.00001;
    Put(c, s, 545, 25, Labelled(t, "Piston % ", piston, 6, 2));
    Put(c, s, 545, 37, Labelled(t, "ValveCen", m.valve.displacement, 7, 3));
    Put(c, s, 545, 49, Labelled(t, "ValveFSt", m.valve.frontSteam, 7, 3));
    Put(c, s, 545, 61, Labelled(t, "ValveFEx", m.valve.frontExhaust, 7, 3));
    Put(c, s, 545, 73, Labelled(t, "ValveRSt", m.valve.rearSteam, 7, 3));
    Put(c, s, 545, 85, Labelled(t, "ValveREx", m.valve.rearExhaust, 7, 3));
    const double hanger = static_cast<double>(m.gear.radiusHangerAngle) * 180.0 / std::numbers::pi;
    Put(c, s, 545, 97, Labelled(t, "RadHagA", hanger, 7, 2));
}

void CutoffValues(PictureCanvas& c, Model& m, const Scale& s) {
    const float step = m.gear.currentStep;
    if (!(step > 0.0f && step < 23.0f)) return;
    CutoffState& k = m.cutoff;
    Put(c, s, 545, 109, "FrontCO% ");
    if (k.frontCountdown > 0) {
        Put(c, s, 600, 109, k.frontText);
        --k.frontCountdown;
    }
    Put(c, s, 545, 121, "RearCO% ");
    if (k.rearCountdown > 0) {
        Put(c, s, 600, 121, k.rearText);
        --k.rearCountdown;
    }
}

void UndoLine(PictureCanvas& c, Model& m, const Scale& s, PictureOutput& out) {
    if (!m.display.undoLineVisible) {
        out.undoButtonVisible = false;
        return;
    }
    const UndoEntry& e = m.undo[1];
    TextLine t;
    t << FormatFixed(m.undoCount, 2, 0) << "- " << e.name << " ";
    t.Fixed(e.newValue, 6, 3) << " to ";
    t.Fixed(e.oldValue, 6, 3);
    out.undoButtonVisible = true;
    const bool high = m.display.dynamicVariablesVisible;
    out.undoButtonTop = s.Y(high ? 127 : 72);
    Put(c, s, 320, high ? 128 : 73, t.View());
    if (m.undoLineText != t.View()) m.undoLineText.assign(t.View());
}

void PivotData(PictureCanvas& c, const Model& m, const Scale& s) {
    Put(c, s, 1, 128, "    Pivot Data");
    Put(c, s, 1, 138, "No.  Vert     Horz");
    const std::array<int, 6> chosen = ChosenPivots(m);
    const ViewTransform& v = m.view;
    static constexpr std::array<std::string_view, 7> kDigits = {"0", "1", "2", "3", "4", "5", "6"};
    TextLine t;
    for (int k = 1; k <= 6; ++k) {
        const int y = 140 + 10 * k;
        c.SetFontColour(kRed);
        Put(c, s, 3, y, kDigits[static_cast<std::size_t>(k)]);
        c.SetFontColour(kBlack);
        if (!m.picks[static_cast<std::size_t>(k)].assigned) continue;
        const Pivot& p =
            m.pivots[static_cast<std::size_t>(chosen[static_cast<std::size_t>(k - 1)])];
        t.Clear();
        Put(c, s, 12, y, t.Fixed(p.y, 7, 3).View());
        t.Clear();
        Put(c, s, 50, y, t.Fixed(p.x, 7, 3).View());
        c.SetFontColour(kRed);
        const long double sc = v.scale;
        c.Text(RoundToScreen(p.x * sc + v.ox + 4), RoundToScreen(-p.y * sc + v.oy - 12),
               kDigits[static_cast<std::size_t>(k)]);
        c.SetFontColour(kBlack);
    }
    for (int pair = 0; pair < 3; ++pair) {
        const int a = 1 + 2 * pair, b = a + 1;
        if (!m.picks[static_cast<std::size_t>(a)].assigned ||
            !m.picks[static_cast<std::size_t>(b)].assigned)
            continue;
        const Pivot& pa =
            m.pivots[static_cast<std::size_t>(chosen[static_cast<std::size_t>(a - 1)])];
        const Pivot& pb =
            m.pivots[static_cast<std::size_t>(chosen[static_cast<std::size_t>(b - 1)])];
        const long double dv = static_cast<long double>(pa.y) - pb.y;
        const long double dh = static_cast<long double>(pa.x) - pb.x;
        t.Clear();
        Put(c, s, 90, 155 + 20 * pair,
            t.Fixed(static_cast<double>(std::sqrt(dv * dv + dh * dh)), 7, 3).View());
    }
}

void PickPrompts(PictureCanvas& c, const Model& m, const Scale& s) {
    const int sel = m.lines.selected;
    const bool twoPivots = sel >= 1 && sel <= kLineEntries &&
                           m.lines.entries[static_cast<std::size_t>(sel - 1)].reference == 3;
    c.SetFontColour(kRed);
    c.SetFontBold(true);
    if (twoPivots) {
        Put(c, s, 10, 130, "STOP MOTION AND SELECT PIVOT 1 AND PIVOT 2");
        Put(c, s, 10, 143, "USE LEFT MOUSE BUTTON FIRST THEN RIGHT");
        Put(c, s, 10, 156, "MOVE MOTION IF NECESSARY TO CLEAR PIVOTS");
    } else {
        Put(c, s, 10, 130, "STOP MOTION AND SELECT PIVOT 1");
        Put(c, s, 10, 143, "USE LEFT MOUSE BUTTON");
        Put(c, s, 10, 156, "MOVE MOTION IF NECESSARY TO CLEAR PIVOT");
    }
    c.SetFontBold(false);
    c.SetFontColour(kBlack);
}

void ReferencePoints(PictureCanvas& c, const Model& m, const Scale& s) {
    // The crosses use the pen the lines and circles left behind.
    for (int n : {pv::Ref1, pv::Ref2}) {
        const int x = m.pivots[static_cast<std::size_t>(n)].sx;
        const int y = m.pivots[static_cast<std::size_t>(n)].sy;
        c.Line(x - 10, y, x + 10, y);
        c.Line(x, y - 10, x, y + 10);
        c.Text(x + 3, y - 17, n == pv::Ref1 ? "1" : "2");
    }
    const Pivot& p1 = m.pivots[pv::Ref1];
    const Pivot& p2 = m.pivots[pv::Ref2];
    TextLine t;
    auto value = [&t](std::string_view label, double v) {
        t.Clear();
        t << label;
        return t.Fixed(v, 6, 3).View();
    };
    Put(c, s, 143, 95, value("Pt2V ", p2.y));
    Put(c, s, 143, 107, value("Pt2H ", p2.x));
    Put(c, s, 143, 71, value("Pt1V ", p1.y));
    Put(c, s, 143, 83, value("Pt1H ", p1.x));
    const long double dv = static_cast<long double>(p1.y) - p2.y;
    const long double dh = static_cast<long double>(p1.x) - p2.x;
    t.Clear();
    Put(c, s, 210, 71, t.Fixed(static_cast<double>(dv), 6, 3).View());
    t.Clear();
    Put(c, s, 210, 83, t.Fixed(static_cast<double>(dh), 6, 3).View());
    Put(c, s, 207, 95, "Pt1-Pt2");
    t.Clear();
    Put(c, s, 209, 107, t.Fixed(static_cast<double>(std::sqrt(dv * dv + dh * dh)), 6, 3).View());
}

void DynamicVariables(PictureCanvas& c, const Model& m, const Scale& s) {
    if (SlotHoldsDimension(m.dynSlots[1])) {
        TextLine t;
        for (int k = 1; k <= 4; ++k) {
            const DynSlot& slot = m.dynSlots[static_cast<std::size_t>(k)];
            const int y = 71 + 12 * (k - 1);
            // The name ends before its value's column, which starts with a blank.
            c.Text(s.X(377), s.Y(y), slot.name, s.X(498) - s.X(377) - 1);
            t.Clear();
            Put(c, s, 498, y, t.Fixed(slot.value, 6, 3).View());
        }
    } else {
        c.SetFontColour(kRed);
        Put(c, s, 377, 71, "*******************************");
        Put(c, s, 377, 81, "* First Select Dimensions *");
        Put(c, s, 377, 95, "*******************************");
        c.SetFontColour(kBlack);
    }
}

void ErrorIndicator(Model& m, PictureOutput& out) {
    if (!m.gear.geometryError) return;
    int& n = m.steam.errorFrameCounter;
    ++n;
    if (n < 10) out.errorItemVisible = true;
    if (n == 10) out.playError = true;
    if (n > 20) {
        n = 0;
        m.gear.geometryError = false;
    }
}

}  // namespace

bool SlotHoldsDimension(const DynSlot& slot) {
    return slot.name != kEmptySlotName;
}

void MeasureCutoff(Model& m) {
    CutoffState& k = m.cutoff;
    const ValveEvents& v = m.valve;
    const float step = m.gear.currentStep;
    auto countdown = [step] {
        return RoundToScreen(400.0L / (static_cast<long double>(step) + 0.1L));
    };
    // The admission edge closed between the frames: interpolate the piston position at zero.
    if (k.prevFrontSteam > 0.0f && v.frontSteam < 0.0f) {
        const long double pp = k.prevPiston, op = k.prevFrontSteam;
        const long double cut = pp - op * (v.piston - pp) / (v.frontSteam - op);
        k.prevPiston = static_cast<float>(cut);
        k.frontText = FormatFixedOrStars(static_cast<double>(static_cast<float>(cut)) / 6.4, 4, 1);
        k.frontCountdown = countdown();
    }
    if (k.prevRearSteam > 0.0f && v.rearSteam < 0.0f) {
        const long double pp = k.prevPiston, op = k.prevRearSteam;
        const long double cut = pp - op * (v.piston - pp) / (v.rearSteam - op);
        k.prevPiston = static_cast<float>(cut);
        k.rearText =
            FormatFixedOrStars((640.0 - static_cast<double>(static_cast<float>(cut))) / 6.4, 4, 1);
        k.rearCountdown = countdown();
    }
    k.prevPiston = v.piston;
    k.prevFrontSteam = v.frontSteam;
    k.prevRearSteam = v.rearSteam;
}

void DrawScreenData(Model& m, PictureCanvas& c, PictureOutput& out) {
    const Scale s{m.display.textScaleX, m.display.textScaleY};
    c.SetFontColour(kBlack);
    c.SetFontBold(false);
    c.SetFontSize(8);
    LiveValues(c, m, s);
    CutoffValues(c, m, s);
    UndoLine(c, m, s, out);
    if (m.display.pivotData) PivotData(c, m, s);
    if (m.lines.promptOn) PickPrompts(c, m, s);
    if (m.display.referencePoints) ReferencePoints(c, m, s);
    if (m.display.dynamicVariablesVisible) DynamicVariables(c, m, s);
    ErrorIndicator(m, out);
}

}  // namespace mv::picture
