#include "mainwin/steam_layer.hpp"

#include <QColor>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <algorithm>
#include <array>
#include <cstdint>

#include "mainwin/draw_picture.hpp"
#include "model/screen_math.hpp"
#include "model/steam.hpp"

namespace mv {

namespace {

using LD = long double;
using I64 = long long;

// Collects single pixels of one colour and hands them to the painter in blocks, so tens of
// thousands of dots per frame cost a handful of paint calls and no allocation.
class DotBatch {
public:
    explicit DotBatch(QPainter& p) : painter_(p) {
        const QSize size =
            p.device() ? LogicalSize(p.device()) : QSize(kPictureWidth, kPictureHeight);
        width_ = size.width();
        height_ = size.height();
    }
    ~DotBatch() { Flush(); }
    DotBatch(const DotBatch&) = delete;
    DotBatch& operator=(const DotBatch&) = delete;

    void SetColour(std::uint32_t rgb) {
        if (rgb == colour_ && havePen_) return;
        Flush();
        colour_ = rgb;
        havePen_ = true;
        QPen pen{QColor::fromRgb(static_cast<QRgb>(rgb))};
        pen.setWidth(1);
        painter_.setPen(pen);
    }
    // Dots off the bitmap would be clipped anyway; skipping them keeps huge zooms cheap.
    void Add(I64 x, I64 y) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        points_[count_++] = QPoint(static_cast<int>(x), static_cast<int>(y));
        if (count_ == points_.size()) Flush();
    }
    void Flush() {
        if (count_ != 0) painter_.drawPoints(points_.data(), static_cast<int>(count_));
        count_ = 0;
    }
    I64 width() const { return width_; }
    I64 height() const { return height_; }

private:
    QPainter& painter_;
    std::array<QPoint, 512> points_{};
    std::size_t count_ = 0;
    std::uint32_t colour_ = 0;
    bool havePen_ = false;
    I64 width_ = 0, height_ = 0;
};

// Uniform integer in 0 .. n-1; 0 when the span is empty or negative.
class Random {
public:
    explicit Random(std::mt19937& rng) : rng_(rng) {}
    I64 operator()(I64 n) {
        if (n <= 0) return 0;
        return std::uniform_int_distribution<I64>(0, n - 1)(rng_);
    }
    // How many of n dots, each landing on the bitmap with probability p, do land there.
    int Visible(int n, LD p) { return std::binomial_distribution<int>(n, double(p))(rng_); }

private:
    std::mt19937& rng_;
};

// n dots at x0 + random(w), y0 + random(h) (or y0 - random(h) when `upward`). Only the part of
// the rectangle on the bitmap is sprinkled, with as many dots as would have landed there: at a
// high zoom most of a region lies off the picture and would cost random numbers for nothing.
void Sprinkle(I64 x0, I64 w, I64 y0, I64 h, bool upward, int n, Random& random, DotBatch& dots) {
    if (n <= 0) return;
    const I64 wx = std::max<I64>(w, 1), hy = std::max<I64>(h, 1);
    if (upward) y0 -= hy - 1;  // the same rows, counted from the top
    const I64 vx0 = std::max<I64>(x0, 0), vx1 = std::min<I64>(x0 + wx, dots.width());
    const I64 vy0 = std::max<I64>(y0, 0), vy1 = std::min<I64>(y0 + hy, dots.height());
    if (vx0 >= vx1 || vy0 >= vy1) return;
    if (vx0 > x0 || vy0 > y0 || vx1 < x0 + wx || vy1 < y0 + hy) {
        const LD share = LD(vx1 - vx0) / LD(wx) * (LD(vy1 - vy0) / LD(hy));
        n = random.Visible(n, share);
        x0 = vx0;
        y0 = vy0;
    }
    const I64 vw = vx1 - x0, vh = vy1 - y0;
    for (int i = 0; i < n; ++i) dots.Add(x0 + random(vw), y0 + random(vh));
}

// Dots of a pass for a count given by the view scale; never negative.
int PassCount(LD v) {
    const int n = RoundToScreen(v);
    return n > 0 ? n : 0;
}

struct Geometry {
    const std::array<ScreenPoint, 24>& C;
    const std::array<ScreenPoint, 5>& P;
    const std::array<ScreenPoint, 9>& V;
    I64 y4;
};

I64 X(const ScreenPoint& p) {
    return p.x;
}
I64 Y(const ScreenPoint& p) {
    return p.y;
}

void SupplyAndChest(const Geometry& g, float s, Random& random, DotBatch& dots) {
    const auto& C = g.C;
    const auto& V = g.V;
    dots.SetColour(kSteamRed);
    const int supply = PassCount(LD(s) * 5.4L);
    Sprinkle(X(C[0]), X(C[13]) - X(C[0]), Y(C[0]), Y(C[2]) - g.y4, true, supply, random, dots);
    const int chest = PassCount(LD(s) * 10.8L);
    Sprinkle(X(C[1]), X(C[12]) - X(C[1]), Y(C[0]), Y(V[1]) - Y(C[0]), false, chest, random, dots);
    if (X(C[1]) < X(V[1])) {
        Sprinkle(X(C[1]), X(V[1]) - X(C[1]), Y(V[1]), Y(C[2]) - Y(V[1]), false, chest, random,
                 dots);
    }
    if (X(V[2]) < X(C[12])) {
        Sprinkle(X(V[2]), X(C[12]) - X(V[2]), Y(V[1]), Y(C[2]) - Y(V[1]), false, chest, random,
                 dots);
    }
}

// A span used as a divisor: 0 becomes 1, and asks for a beep.
I64 Divisor(I64 span, bool& zero) {
    if (span != 0) return span;
    zero = true;
    return 1;
}

void CylinderEnd(const Geometry& g, bool front, const SteamEnd& end, bool exhaustOpen,
                 Random& random, DotBatch& dots, bool& zeroSpan) {
    const auto& C = g.C;
    const auto& P = g.P;
    const auto& V = g.V;
    const int count = end.dots;
    dots.SetColour(end.colour);

    // Cylinder: between the piston and the cylinder cover of this end.
    const I64 left = front ? X(P[4]) : X(C[5]);
    const I64 right = front ? X(C[7]) : X(P[1]);
    if (left < right) {
        Sprinkle(left, right - left, Y(C[5]), Y(C[6]) - Y(C[5]), false, count, random, dots);
    }

    // Port passage: a slanted band from the steam port down to the bore.
    const int passage = count / 8;
    for (int i = 0; i < passage; ++i) {
        const I64 span = Divisor(Y(C[5]) - Y(C[17]), zeroSpan);
        const I64 r = random(Y(C[5]) - Y(C[17]));
        const LD f = LD(r) / LD(span);
        I64 x;
        if (front) {
            x = X(C[20]) + RoundToScreen(LD(X(C[19]) - X(C[20])) * f) + random(X(C[8]) - X(C[19]));
        } else {
            x = X(C[17]) + RoundToScreen(LD(X(C[18]) - X(C[17])) * f) - random(X(C[18]) - X(C[5]));
        }
        dots.Add(x, Y(C[17]) + r);
    }

    const int port = count / 20;
    if (front) {
        Sprinkle(X(C[21]), X(C[10]) - X(C[21]), Y(C[2]), Y(C[20]) - Y(C[2]), false, port, random,
                 dots);
    } else {
        Sprinkle(X(C[3]), X(C[16]) - X(C[3]), Y(C[2]), Y(C[17]) - Y(C[2]), false, port, random,
                 dots);
    }

    // From here on the steam is on its way out: blue while this end exhausts. White dots on
    // the white ground wipe the other end's exhaust dots where the regions overlap.
    dots.SetColour(exhaustOpen ? kSteamBlue : kSteamWhite);
    Sprinkle(X(V[6]), X(V[4]) - X(V[6]), Y(V[5]), Y(C[2]) - Y(V[5]), false, count / 10, random,
             dots);
    Sprinkle(X(C[15]), X(C[22]) - X(C[15]), Y(C[2]), Y(C[2]) - g.y4, false, count / 15, random,
             dots);
    const I64 width = X(C[13]) - X(C[0]);
    Sprinkle(X(C[13]), width, Y(C[0]), Y(C[2]) - Y(C[0]), true, count / 20, random, dots);
    const int blast = count / 6;
    for (int i = 0; i < blast; ++i) {
        const I64 height = Y(C[2]) - Y(C[0]);
        const I64 span = Divisor(height, zeroSpan);
        const I64 r = random(3 * height);
        const LD f = LD(r) / LD(span);
        const LD spread = LD(width) * f;
        const I64 x =
            RoundToScreen(LD(random(RoundToScreen(spread * 2.0L))) + LD(X(C[21])) - spread);
        dots.Add(x, 2 * Y(C[0]) - Y(C[2]) - r);
    }
}

// Text with its top-left corner at (x, y), as every text of the picture is placed.
void TextAt(QPainter& p, int x, int y, const QString& text, std::uint32_t rgb) {
    p.setPen(QColor::fromRgb(static_cast<QRgb>(rgb)));
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

void Legend(QPainter& p, const ScreenPoint& c6) {
    TextAt(p, c6.x - 40, c6.y + 5, QStringLiteral("ADMISSION"), kSteamRed);
    TextAt(p, c6.x + 40, c6.y + 5, QStringLiteral("EXPANSION"), kSteamFuchsia);
    TextAt(p, c6.x - 40, c6.y + 17, QStringLiteral("EXHAUST"), kSteamBlue);
    TextAt(p, c6.x + 24, c6.y + 17, QStringLiteral("COMPRESSION"), kSteamGreen);
    p.setPen(QColor(Qt::black));
}

}  // namespace

void DrawSteamLayer(Model& m, QPainter& painter, std::mt19937& rng, PictureOutput& out) {
    if (!m.steam.display) return;

    const SteamBeat beat = AdvanceSteam(m);
    if (beat.play) {
        out.playExhaust = true;
        if (beat.volume >= 0) out.exhaustVolume = beat.volume;
    }

    const QPen oldPen = painter.pen();
    const bool antialias = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing, false);

    const Geometry g{m.outlineC, m.outlineP, m.outlineV, m.pivots[pv::ValveJoint].sy};
    Random random(rng);
    bool zeroSpan = false;
    {
        DotBatch dots(painter);
        SupplyAndChest(g, m.view.scale, random, dots);
        CylinderEnd(g, true, m.steam.front, m.valve.frontExhaust > 0, random, dots, zeroSpan);
        CylinderEnd(g, false, m.steam.rear, m.valve.rearExhaust > 0, random, dots, zeroSpan);
    }
    if (zeroSpan && m.gear.errorBeep) out.beep = true;

    if (m.display.screenData) Legend(painter, m.outlineC[6]);
    painter.setPen(oldPen);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
}

}  // namespace mv
