// Cost of one animation frame of the main picture against the least any frame can cost: the
// white fill of the 1280 x 1024 buffer and its one copy to the window.
#ifdef MERROVAN_HAVE_GUI

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <random>

#include "mainwin/draw_picture.hpp"

namespace {

void EnsureApp() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "merrovan-bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

// Stands in for the window: the frame is copied once onto its surface.
void CopyToWindow(const QImage& frame, QImage& window) {
    QPainter p(&window);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, frame);
}

void BM_FrameFloor(benchmark::State& state) {
    EnsureApp();
    QImage frame(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    QImage window(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        {
            QPainter p(&frame);
            p.fillRect(0, 0, mv::kPictureWidth, mv::kPictureHeight, QColor(Qt::white));
        }
        CopyToWindow(frame, window);
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_FrameFloor);

void BM_RenderFrame(benchmark::State& state) {
    EnsureApp();
    mv::Model m;
    mv::StartUp(m);
    m.display.screenData = true;
    QImage frame(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    QImage window(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    std::mt19937 rng(1);
    mv::PictureInput in;
    in.now = QDateTime::currentDateTime();
    in.rng = &rng;
    for (auto _ : state) {
        mv::TickSolve(m);
        mv::AdvanceDriverAngle(m);
        {
            QPainter p(&frame);
            benchmark::DoNotOptimize(mv::RenderPicture(m, p, in));
        }
        CopyToWindow(frame, window);
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_RenderFrame);

}  // namespace

#endif  // MERROVAN_HAVE_GUI
