// The steam layer drawn onto an image with a fixed seed: what appears where, what is asked of
// the sound, and that no outline, however odd, sends a dot outside its region.
#include "mainwin/steam_layer.hpp"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "mainwin/draw_picture.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"
#include "model/steam.hpp"

namespace {

using I64 = long long;

void EnsureApp() {
    if (QGuiApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_draw";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// World to screen as the picture maps pivots and outlines.
mv::ScreenPoint Map(const mv::Model& m, long double h, long double v) {
    const auto& t = m.view;
    return {mv::RoundToScreen(h * t.scale + t.ox), mv::RoundToScreen(-v * t.scale + t.oy)};
}

// The cylinder, piston and valve outlines of the current solution.
void MapOutlines(mv::Model& m) {
    const auto& d = m.cyl;
    const long double E = d.cylCtr, c = m.pivots[mv::pv::Crosshead].y, G = d.boreDia, H = d.boreLen;
    const long double i = d.cylPortWidth, L = d.valveSurface, n = d.exhaustPort;
    const long double o = d.bridgeRear, p = d.bridgeFront, q = d.steamPortRear;
    const long double r = d.steamPortFront, S = d.chamberHeight, T = d.chamberLength;
    const long double h3 = m.pivots[mv::pv::Crosshead].x, h4 = m.pivots[mv::pv::ValveJoint].x,
                      v4 = m.pivots[mv::pv::ValveJoint].y;
    const long double j = d.pistonRod, k = d.pistonWidth, u = d.valveHeight;
    const long double vr = d.valveRearHalf, vf = d.valveFrontHalf, xr = d.exhCavRear;
    const long double xf = d.exhCavFront, z = d.valveStem;
    auto& C = m.outlineC;
    C[0] = Map(m, E - n / 2, c + L + S);
    C[1] = Map(m, E - T / 2, c + L + S);
    C[2] = Map(m, E - T / 2, c + L);
    C[3] = Map(m, E - n / 2 - o - q, c + L);
    C[4] = Map(m, E - n / 2 - o - q, c + L - n / 3);
    C[5] = Map(m, E - H / 2, c + G / 2);
    C[6] = Map(m, E - H / 2, c - G / 2);
    C[7] = Map(m, E + H / 2, c - G / 2);
    C[8] = Map(m, E + H / 2, c + G / 2);
    C[9] = Map(m, E + n / 2 + p + r, c + L - n / 3);
    C[10] = Map(m, E + n / 2 + p + r, c + L);
    C[11] = Map(m, E + T / 2, c + L);
    C[12] = Map(m, E + T / 2, c + L + S);
    C[13] = Map(m, E + n / 2, c + L + S);
    C[14] = Map(m, E - n / 2, c + L - q);
    C[15] = Map(m, E - n / 2, c + L);
    C[16] = Map(m, E - n / 2 - o, c + L);
    C[17] = Map(m, E - n / 2 - o, c + L - n / 1.5L);
    C[18] = Map(m, E - H / 2 + i, c + G / 2);
    C[19] = Map(m, E + H / 2 - i, c + G / 2);
    C[20] = Map(m, E + n / 2 + p, c + L - n / 1.5L);
    C[21] = Map(m, E + n / 2 + p, c + L);
    C[22] = Map(m, E + n / 2, c + L);
    C[23] = Map(m, E + n / 2, c + L - q);
    auto& P = m.outlineP;
    P[0] = Map(m, h3 + j + k / 2, c);
    P[1] = Map(m, h3 + j - k / 2, c + G / 2);
    P[2] = Map(m, h3 + j - k / 2, c - G / 2);
    P[3] = Map(m, h3 + j + k / 2, c - G / 2);
    P[4] = Map(m, h3 + j + k / 2, c + G / 2);
    auto& V = m.outlineV;
    V[0] = Map(m, h4 + z - vr, v4);
    V[1] = Map(m, h4 + z - vr, c + L + u);
    V[2] = Map(m, h4 + z + vf, c + L + u);
    V[3] = Map(m, h4 + z + vf, c + L);
    V[4] = Map(m, h4 + z + xf, c + L);
    V[7] = Map(m, h4 + z - xr, c + L);
    V[8] = Map(m, h4 + z - vr, c + L);
    const int y5 = V[1].y + (V[3].y - V[1].y) / 3;
    V[5] = {Map(m, h4 + z + xf, 0).x, y5};
    V[6] = {Map(m, h4 + z - xr, 0).x, y5};
    for (int n4 = 0; n4 < mv::kMappedPivots; ++n4) {
        const auto s = Map(m, m.pivots[n4].x, m.pivots[n4].y);
        m.pivots[n4].sx = s.x;
        m.pivots[n4].sy = s.y;
    }
}

// The default gear zoomed onto the cylinder (preset 4), solved and mapped at `angle`.
mv::Model CylinderView(float angle) {
    mv::Model m;
    mv::StartUp(m);
    m.view = m.presets[4];
    m.gear.driverAngle = angle;
    mv::SolveLinkage(m);
    mv::SolvePistonAndPorts(m);
    MapOutlines(m);
    m.steam.display = true;
    return m;
}

struct Frame {
    QImage image;
    mv::PictureOutput out;
};

Frame Draw(mv::Model& m, std::mt19937& rng, bool antialias = false) {
    EnsureApp();
    Frame f{QImage(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32), {}};
    f.image.fill(Qt::white);
    QPainter p(&f.image);
    p.setRenderHint(QPainter::Antialiasing, antialias);
    mv::DrawSteamLayer(m, p, rng, f.out);
    p.end();
    return f;
}

QRgb Rgb(std::uint32_t c) {
    return 0xFF000000u | c;
}

struct Box {
    I64 x0, x1, y0, y1;  // inclusive
    bool Contains(I64 x, I64 y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Span covered by a + random(n): a .. a + n - 1, or just a when n <= 0.
std::pair<I64, I64> Span(I64 a, I64 n) {
    return {a, a + std::max<I64>(n - 1, 0)};
}
// a - random(n)
std::pair<I64, I64> Down(I64 a, I64 n) {
    return {a - std::max<I64>(n - 1, 0), a};
}

Box Make(std::pair<I64, I64> x, std::pair<I64, I64> y) {
    return {x.first, x.second, y.first, y.second};
}

// Where each pass may put a dot, written from the outline independently of the drawing code.
std::vector<Box> Regions(const mv::Model& m) {
    const auto& C = m.outlineC;
    const auto& P = m.outlineP;
    const auto& V = m.outlineV;
    const I64 y4 = m.pivots[mv::pv::ValveJoint].sy;
    std::vector<Box> b;
    b.push_back(Make(Span(C[0].x, I64(C[13].x) - C[0].x), Down(C[0].y, I64(C[2].y) - y4)));
    b.push_back(Make(Span(C[1].x, I64(C[12].x) - C[1].x), Span(C[0].y, I64(V[1].y) - C[0].y)));
    b.push_back(Make(Span(C[1].x, I64(V[1].x) - C[1].x), Span(V[1].y, I64(C[2].y) - V[1].y)));
    b.push_back(Make(Span(V[2].x, I64(C[12].x) - V[2].x), Span(V[1].y, I64(C[2].y) - V[1].y)));
    const auto cylY = Span(C[5].y, I64(C[6].y) - C[5].y);
    b.push_back(Make(Span(P[4].x, I64(C[7].x) - P[4].x), cylY));
    b.push_back(Make(Span(C[5].x, I64(P[1].x) - C[5].x), cylY));
    // Port passages: the slant runs over the whole segment, plus the random widening.
    const auto passY = Span(C[17].y, I64(C[5].y) - C[17].y);
    {
        const I64 lo = std::min(C[20].x, C[19].x), hi = std::max(C[20].x, C[19].x);
        b.push_back(
            {lo, hi + std::max<I64>(I64(C[8].x) - C[19].x - 1, 0), passY.first, passY.second});
        const I64 lo2 = std::min(C[17].x, C[18].x), hi2 = std::max(C[17].x, C[18].x);
        b.push_back(
            {lo2 - std::max<I64>(I64(C[18].x) - C[5].x - 1, 0), hi2, passY.first, passY.second});
    }
    b.push_back(Make(Span(C[21].x, I64(C[10].x) - C[21].x), Span(C[2].y, I64(C[20].y) - C[2].y)));
    b.push_back(Make(Span(C[3].x, I64(C[16].x) - C[3].x), Span(C[2].y, I64(C[17].y) - C[2].y)));
    b.push_back(Make(Span(V[6].x, I64(V[4].x) - V[6].x), Span(V[5].y, I64(C[2].y) - V[5].y)));
    b.push_back(Make(Span(C[15].x, I64(C[22].x) - C[15].x), Span(C[2].y, I64(C[2].y) - y4)));
    const I64 w = I64(C[13].x) - C[0].x, h = I64(C[2].y) - C[0].y;
    b.push_back(Make(Span(C[13].x, w), Down(C[0].y, h)));
    // Blast: r < 3h, f = r / h < 3, x = C21.x - w f + random(2 w f).
    const I64 reach = std::abs(w) * 3 + 1;
    b.push_back({I64(C[21].x) - reach, I64(C[21].x) + reach,
                 2 * I64(C[0].y) - C[2].y - std::max<I64>(3 * h - 1, 0), 2 * I64(C[0].y) - C[2].y});
    return b;
}

int CountIn(const QImage& img, const Box& box, QRgb colour) {
    int n = 0;
    for (I64 y = std::max<I64>(box.y0, 0); y <= std::min<I64>(box.y1, img.height() - 1); ++y) {
        for (I64 x = std::max<I64>(box.x0, 0); x <= std::min<I64>(box.x1, img.width() - 1); ++x) {
            n += img.pixel(int(x), int(y)) == colour;
        }
    }
    return n;
}

int NonWhite(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != Rgb(0xFFFFFF);
    }
    return n;
}

// Every coloured pixel lies in a pass's region (or, with screen data on, in the legend).
void ExpectInsideRegions(const QImage& img, const mv::Model& m, const std::vector<Box>& extra) {
    auto boxes = Regions(m);
    boxes.insert(boxes.end(), extra.begin(), extra.end());
    int outside = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) == Rgb(0xFFFFFF)) continue;
            const bool in = std::any_of(boxes.begin(), boxes.end(),
                                        [&](const Box& b) { return b.Contains(x, y); });
            if (!in && ++outside < 5)
                ADD_FAILURE() << "dot outside its region at " << x << "," << y;
        }
    }
    EXPECT_EQ(outside, 0);
}

TEST(SteamLayer, OffDrawsNothingAndRequestsNoSound) {
    mv::Model m = CylinderView(0);
    m.steam.display = false;
    std::mt19937 rng(7);
    const std::mt19937 before = rng;
    for (float a = 0; a < 360; a += 10) {
        m.gear.driverAngle = a;
        mv::SolveLinkage(m);
        mv::SolvePistonAndPorts(m);
        MapOutlines(m);
        const Frame f = Draw(m, rng);
        ASSERT_EQ(NonWhite(f.image), 0) << a;
        EXPECT_FALSE(f.out.playExhaust);
        EXPECT_EQ(f.out.exhaustVolume, -1);
        EXPECT_FALSE(f.out.beep);
    }
    EXPECT_TRUE(rng == before);  // the generator is not even touched
    EXPECT_EQ(m.steam.front.pressure, 20.0f);
}

TEST(SteamLayer, RedDotsInTheChestAndTheLegendUnderTheBore) {
    mv::Model m = CylinderView(30);
    std::mt19937 rng(12345);
    const Frame f = Draw(m, rng);
    const auto& C = m.outlineC;
    const auto& V = m.outlineV;
    // Above the valve, between the chest walls.
    const Box chest{C[1].x, C[12].x - 1, C[0].y, V[1].y - 1};
    ASSERT_LT(chest.x0, chest.x1);
    ASSERT_LT(chest.y0, chest.y1);
    const int red = CountIn(f.image, chest, Rgb(mv::kSteamRed));
    const int dots = int(std::lround(m.view.scale * 10.8));  // some land on the same pixel
    EXPECT_GT(red, dots / 2);
    EXPECT_LE(red, dots);

    const int fh = QFontMetrics(QFont()).height();
    const auto legend = [&](int dx, int dy, int w) {
        return Box{C[6].x + dx, C[6].x + dx + w, C[6].y + dy, C[6].y + dy + fh};
    };
    EXPECT_GT(CountIn(f.image, legend(-40, 5, 70), Rgb(mv::kSteamRed)), 10);
    EXPECT_GT(CountIn(f.image, legend(40, 5, 70), Rgb(mv::kSteamFuchsia)), 10);
    EXPECT_GT(CountIn(f.image, legend(-40, 17, 60), Rgb(mv::kSteamBlue)), 10);
    EXPECT_GT(CountIn(f.image, legend(24, 17, 90), Rgb(mv::kSteamGreen)), 10);
    // Nothing of the legend above its line.
    EXPECT_EQ(CountIn(f.image, legend(-40, 5 - fh, 200), Rgb(mv::kSteamFuchsia)), 0);

    std::vector<Box> legendBoxes{legend(-40, 5, 200), legend(-40, 17, 200)};
    ExpectInsideRegions(f.image, m, legendBoxes);
}

TEST(SteamLayer, LegendOnlyWithScreenData) {
    mv::Model m = CylinderView(30);
    m.display.screenData = false;
    std::mt19937 rng(1);
    const Frame f = Draw(m, rng);
    const auto& C = m.outlineC;
    EXPECT_EQ(CountIn(f.image, Box{C[6].x - 60, C[6].x + 200, C[6].y + 3, C[6].y + 60},
                      Rgb(mv::kSteamGreen)),
              0);
    ExpectInsideRegions(f.image, m, {});
}

TEST(SteamLayer, FixedSeedReproducesTheFrame) {
    mv::Model a = CylinderView(100), b = CylinderView(100), c = CylinderView(100);
    std::mt19937 r1(99), r2(99), r3(100);
    const Frame fa = Draw(a, r1), fb = Draw(b, r2), fc = Draw(c, r3);
    EXPECT_TRUE(fa.image == fb.image);
    EXPECT_FALSE(fa.image == fc.image);
    // The generator runs on from frame to frame instead of starting over.
    const Frame fa2 = Draw(a, r1);
    EXPECT_FALSE(fa.image == fa2.image);
}

TEST(SteamLayer, DotsAreSinglePixelsOfThePhaseColoursEvenWithAntialiasing) {
    mv::Model m = CylinderView(200);
    m.display.screenData = false;
    std::mt19937 rng(3);
    EnsureApp();
    QImage img(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 2));
    mv::PictureOutput out;
    mv::DrawSteamLayer(m, p, rng, out);
    // The painter leaves the layer as it came in.
    EXPECT_TRUE(p.testRenderHint(QPainter::Antialiasing));
    EXPECT_EQ(p.pen().color(), QColor(Qt::black));
    EXPECT_EQ(p.pen().width(), 2);
    p.end();
    const QRgb allowed[] = {Rgb(0xFFFFFF), Rgb(mv::kSteamRed), Rgb(mv::kSteamFuchsia),
                            Rgb(mv::kSteamBlue), Rgb(mv::kSteamGreen)};
    int odd = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            odd += std::find(std::begin(allowed), std::end(allowed), img.pixel(x, y)) ==
                   std::end(allowed);
        }
    }
    EXPECT_EQ(odd, 0);
}

TEST(SteamLayer, ExhaustBeatRequestedOncePerEndPerTurn) {
    mv::Model m = CylinderView(0);
    m.gear.revArmSetting = m.revArmPositions[0] + m.frame.revArmMax;
    m.gear.currentStep = 5;
    std::mt19937 rng(5);
    int beats = 0, withVolume = 0;
    for (int turn = 0; turn < 3; ++turn) {
        for (int i = 0; i < 72; ++i) {
            m.gear.driverAngle = float(i * 5);
            mv::SolveLinkage(m);
            mv::SolvePistonAndPorts(m);
            MapOutlines(m);
            const Frame f = Draw(m, rng);
            if (turn == 2) {
                beats += f.out.playExhaust;
                if (f.out.playExhaust) {
                    withVolume += f.out.exhaustVolume >= 0x0700 && f.out.exhaustVolume <= 0x8000;
                }
            }
            if (!f.out.playExhaust) {
                EXPECT_EQ(f.out.exhaustVolume, -1);
            }
        }
    }
    EXPECT_EQ(beats, 2);
    EXPECT_EQ(withVolume, 2);
}

// Puts every outline point and pivot 4 on one pixel.
void Collapse(mv::Model& m, int x, int y) {
    for (auto& p : m.outlineC) p = {x, y};
    for (auto& p : m.outlineP) p = {x, y};
    for (auto& p : m.outlineV) p = {x, y};
    m.pivots[mv::pv::ValveJoint].sx = x;
    m.pivots[mv::pv::ValveJoint].sy = y;
}

TEST(SteamLayer, CollapsedOutlineDrawsOnOnePixelAndBeeps) {
    mv::Model m = CylinderView(0);
    m.display.screenData = false;
    m.valve = mv::ValveEvents{0, 0, -1, -1, -1, 0.2f};  // rear exhausting: its blast is last
    Collapse(m, 100, 100);
    std::mt19937 rng(8);
    Frame f = Draw(m, rng);
    EXPECT_EQ(NonWhite(f.image), 1);
    EXPECT_EQ(f.image.pixel(100, 100), Rgb(mv::kSteamBlue));
    EXPECT_TRUE(f.out.beep);  // the zero divisor spans

    m.gear.errorBeep = false;
    f = Draw(m, rng);
    EXPECT_FALSE(f.out.beep);
}

TEST(SteamLayer, NoBeepForAnOrdinaryOutline) {
    mv::Model m = CylinderView(45);
    std::mt19937 rng(8);
    EXPECT_FALSE(Draw(m, rng).out.beep);
}

TEST(SteamLayer, OddOutlinesKeepDotsInsideTheirRegions) {
    std::mt19937 shapes(2024);
    std::uniform_int_distribution<int> coord(-300, 1500);
    std::uniform_int_distribution<int> pick(0, 9);
    const int extremes[] = {mv::kScreenLimit, -mv::kScreenLimit, 0, 1279, 1023};
    int drawn = 0;
    for (int trial = 0; trial < 40; ++trial) {
        mv::Model m = CylinderView(float(trial * 37 % 360));
        m.display.screenData = false;
        m.steam.front.pressure = m.steam.rear.pressure = 2000;
        auto rnd = [&] { return pick(shapes) == 0 ? extremes[pick(shapes) % 5] : coord(shapes); };
        for (auto& p : m.outlineC) p = {rnd(), rnd()};
        for (auto& p : m.outlineP) p = {rnd(), rnd()};
        for (auto& p : m.outlineV) p = {rnd(), rnd()};
        m.pivots[mv::pv::ValveJoint].sy = rnd();
        std::mt19937 rng(trial);
        const Frame f = Draw(m, rng);
        SCOPED_TRACE(trial);
        ExpectInsideRegions(f.image, m, {});
        if (NonWhite(f.image) > 0) ++drawn;
    }
    // Most odd shapes still hold dots; a layer that drew none would pass the check above.
    EXPECT_GE(drawn, 20);
}

TEST(SteamLayer, ExtremeOutlineAndZoomStayDefined) {
    mv::Model m = CylinderView(0);
    m.display.screenData = false;
    m.view.scale = 3000;  // the largest zoom
    m.steam.front.pressure = m.steam.rear.pressure = 2000;
    for (int i = 0; i < 24; ++i) {
        m.outlineC[i] = {i % 2 ? mv::kScreenLimit : -mv::kScreenLimit,
                         i % 3 ? -mv::kScreenLimit : mv::kScreenLimit};
    }
    for (auto& p : m.outlineP) p = {mv::kScreenLimit, -mv::kScreenLimit};
    for (auto& p : m.outlineV) p = {-mv::kScreenLimit, mv::kScreenLimit};
    m.pivots[mv::pv::ValveJoint].sy = mv::kScreenLimit;
    std::mt19937 rng(4);
    const Frame f = Draw(m, rng);
    ExpectInsideRegions(f.image, m, {});
    EXPECT_GE(m.steam.front.dots, 300000);
}

}  // namespace

namespace {

// A region half off the bitmap gets half its dots on the bitmap, spread over the visible half.
TEST(SteamLayer, RegionPartlyOffThePictureKeepsItsDensity) {
    mv::Model m = CylinderView(0);
    m.display.screenData = false;
    m.view.scale = 100;       // chest: 1080 dots
    Collapse(m, 2000, 2000);  // everything else off the picture
    auto& C = m.outlineC;
    C[1] = {-1280, 0};
    C[12] = {1280, 0};
    C[0] = {0, 0};
    m.outlineV[1] = {2000, 1000};  // chest from y 0 to 1000
    std::mt19937 rng(77);
    const Frame f = Draw(m, rng);
    // Row 0 also carries the supply dots (a pass of no height, at the chest's top).
    const int left = CountIn(f.image, Box{0, 639, 1, 999}, Rgb(mv::kSteamRed));
    const int right = CountIn(f.image, Box{640, 1279, 1, 999}, Rgb(mv::kSteamRed));
    EXPECT_GT(left + right, 440);
    EXPECT_LT(left + right, 640);
    EXPECT_GT(left, (left + right) / 3);  // no bunching at the bitmap's edge
    EXPECT_GT(right, (left + right) / 3);
}

}  // namespace
