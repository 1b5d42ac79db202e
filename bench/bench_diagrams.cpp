// Cost of one redraw of each diagram, as a bar drag causes it.
#ifdef MERROVAN_HAVE_GUI

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdlib>

#include "aids/build_sheet.hpp"
#include "diagrams/draw_diagrams.hpp"
#include "diagrams/rev_arm_positions.hpp"
#include "model/model.hpp"

namespace {

void EnsureGui() {
    if (QCoreApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "merrovan-bench";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// Default gear with nine positions across the travel.
mv::Model NinePositions() {
    mv::Model m;
    mv::StartUp(m);
    const float mid = m.revArmPositions[0], max = m.frame.revArmMax;
    for (int k = 1; k <= 9; ++k) m.revArmPositions[k] = mid - max + static_cast<float>(k) * max / 5;
    mv::NormalizeRevArmPositions(m);
    return m;
}

void Draw(benchmark::State& state, mv::DiagramKind kind) {
    EnsureGui();
    mv::Model m = NinePositions();
    QImage img(mv::DiagramClientSize(kind), QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        mv::BeginDiagramPainting(p);
        mv::DrawDiagram(kind, m, p);
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}

void BM_SineDiagram(benchmark::State& s) {
    Draw(s, mv::DiagramKind::Sine);
}
void BM_OvalDiagram(benchmark::State& s) {
    Draw(s, mv::DiagramKind::Oval);
}
void BM_SteamDiagram(benchmark::State& s) {
    Draw(s, mv::DiagramKind::Steam);
}
void BM_PortDiagram(benchmark::State& s) {
    Draw(s, mv::DiagramKind::Port);
}
BENCHMARK(BM_SineDiagram)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OvalDiagram)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SteamDiagram)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PortDiagram)->Unit(benchmark::kMillisecond);

// merrovan-cli sheet without the process: the rows at four cut-offs and full gear each way,
// and the two-page PDF written. It must stay well under 2 s.
void BM_BuildSheetPdf(benchmark::State& state) {
    EnsureGui();
    mv::Model m;
    mv::StartUp(m);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    for (auto _ : state) {
        const mv::SheetData d = mv::MakeSheetData(m, m.dataSetName, QDate(2024, 1, 1));
        benchmark::DoNotOptimize(mv::WriteSheetPdf(path, d, QPageSize::A4, nullptr));
    }
}
BENCHMARK(BM_BuildSheetPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

#endif  // MERROVAN_HAVE_GUI
