// Cost of the steam layer per frame: the default view and the largest zoom at full pressure.
#ifdef MERROVAN_HAVE_GUI
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <random>

#include "mainwin/draw_picture.hpp"
#include "mainwin/steam_layer.hpp"
#include "model/model.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"

namespace {

// A plausible cylinder outline around the picture's centre, spread by the scale.
void SyntheticOutline(mv::Model& m, float scale) {
    auto at = [&](float h, float v) {
        return mv::ScreenPoint{mv::RoundToScreen(640 + h * scale),
                               mv::RoundToScreen(500 - v * scale)};
    };
    auto& C = m.outlineC;
    C[0] = at(-0.2f, 2.2f), C[1] = at(-1.2f, 2.2f), C[2] = at(-1.2f, 1.4f);
    C[3] = at(-0.6f, 1.4f), C[5] = at(-2.0f, 0.8f), C[6] = at(-2.0f, -0.8f);
    C[7] = at(2.0f, -0.8f), C[8] = at(2.0f, 0.8f), C[10] = at(0.6f, 1.4f);
    C[12] = at(1.2f, 2.2f), C[13] = at(0.2f, 2.2f), C[15] = at(-0.2f, 1.4f);
    C[16] = at(-0.4f, 1.4f), C[17] = at(-0.4f, 1.1f), C[18] = at(-1.7f, 0.8f);
    C[19] = at(1.7f, 0.8f), C[20] = at(0.4f, 1.1f), C[21] = at(0.4f, 1.4f);
    C[22] = at(0.2f, 1.4f);
    m.outlineP[1] = at(-0.2f, 0.8f);
    m.outlineP[4] = at(0.2f, 0.8f);
    m.outlineV[1] = at(-0.7f, 1.8f), m.outlineV[2] = at(0.7f, 1.8f);
    m.outlineV[4] = at(0.3f, 1.4f), m.outlineV[5] = at(0.3f, 1.6f), m.outlineV[6] = at(-0.3f, 1.6f);
    m.pivots[mv::pv::ValveJoint].sy = at(0, 1.6f).y;
}

void BM_SteamLayer(benchmark::State& state) {
    mv::Model m;
    mv::StartUp(m);
    m.steam.display = true;
    m.display.screenData = false;
    m.view.scale = static_cast<float>(state.range(0));
    SyntheticOutline(m, m.view.scale);
    m.steam.front.pressure = m.steam.rear.pressure = 2000;
    m.gear.currentStep = 0;  // hold the pressure
    QImage img(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    std::mt19937 rng(1);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        mv::PictureOutput out;
        mv::DrawSteamLayer(m, p, rng, out);
        benchmark::DoNotOptimize(out.playExhaust);
    }
}
BENCHMARK(BM_SteamLayer)->Arg(28)->Arg(80)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
