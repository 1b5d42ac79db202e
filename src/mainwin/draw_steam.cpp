#include "mainwin/draw_steam.hpp"

#include <QColor>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPoint>
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
        const QPaintDevice* d = p.device();
        width_ = d ? d->width() : kPictureWidth;
        height_ = d ? d->height() : kPictureHeight;
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

private:
    std::mt19937& rng_;
};

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
    for (int i = 0; i < supply; ++i) {
        dots.Add(X(C[0]) + random(X(C[13]) - X(C[0])), Y(C[0]) - random(Y(C[2]) - g.y4));
    }
    const int chest = PassCount(LD(s) * 10.8L);
    for (int i = 0; i < chest; ++i) {
        dots.Add(X(C[1]) + random(X(C[12]) - X(C[1])), Y(C[0]) + random(Y(V[1]) - Y(C[0])));
    }
    if (X(C[1]) < X(V[1])) {
        for (int i = 0; i < chest; ++i) {
            dots.Add(X(C[1]) + random(X(V[1]) - X(C[1])), Y(V[1]) + random(Y(C[2]) - Y(V[1])));
        }
    }
    if (X(V[2]) < X(C[12])) {
        for (int i = 0; i < chest; ++i) {
            dots.Add(X(V[2]) + random(X(C[12]) - X(V[2])), Y(V[1]) + random(Y(C[2]) - Y(V[1])));
        }
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
        for (int i = 0; i < count; ++i) {
            dots.Add(left + random(right - left), Y(C[5]) + random(Y(C[6]) - Y(C[5])));
        }
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
    for (int i = 0; i < port; ++i) {
        if (front) {
            dots.Add(X(C[21]) + random(X(C[10]) - X(C[21])), Y(C[2]) + random(Y(C[20]) - Y(C[2])));
        } else {
            dots.Add(X(C[3]) + random(X(C[16]) - X(C[3])), Y(C[2]) + random(Y(C[17]) - Y(C[2])));
        }
    }

    // From here on the steam is on its way out: blue while this end exhausts. White dots on
    // the white ground wipe the other end's exhaust dots where the regions overlap.
    dots.SetColour(exhaustOpen ? kSteamBlue : kSteamWhite);
    const int cavity = count / 10;
    for (int i = 0; i < cavity; ++i) {
        dots.Add(X(V[6]) + random(X(V[4]) - X(V[6])), Y(V[5]) + random(Y(C[2]) - Y(V[5])));
    }
    const int exhaust = count / 15;
    for (int i = 0; i < exhaust; ++i) {
        dots.Add(X(C[15]) + random(X(C[22]) - X(C[15])), Y(C[2]) + random(Y(C[2]) - g.y4));
    }
    const I64 width = X(C[13]) - X(C[0]);
    const int stack = count / 20;
    for (int i = 0; i < stack; ++i) {
        dots.Add(X(C[13]) + random(width), Y(C[0]) - random(Y(C[2]) - Y(C[0])));
    }
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

    const Geometry g{m.outlineC, m.outlineP, m.outlineV, m.pivots[4].sy};
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
