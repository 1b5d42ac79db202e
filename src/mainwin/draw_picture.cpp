// One tick of the picture: solve, map, advance the driver, draw every layer.
#include "mainwin/draw_picture.hpp"

#include <QLocale>
#include <QPaintDevice>
#include <QPainter>

#include "mainwin/picture_canvas.hpp"
#include "mainwin/picture_layers.hpp"
#include "mainwin/steam_layer.hpp"
#include "model/gear_geometry.hpp"
#include "model/screen_math.hpp"
#include "model/solver.hpp"

namespace mv {

void MapPivotsAndOutlines(Model& m) {
    const ViewTransform& t = m.view;
    for (int n = 0; n < kMappedPivots; ++n) {
        const ScreenPoint p = MapToScreen(t, m.pivots[n].x, m.pivots[n].y);
        m.pivots[n].sx = p.x;
        m.pivots[n].sy = p.y;
    }

    const GearOutlines w = OutlinesOf(m);
    auto map = [&t](const WorldXY& p) { return MapToScreen(t, p.h, p.v); };
    for (std::size_t k = 0; k < w.cylinder.size(); ++k) m.outlineC[k] = map(w.cylinder[k]);
    for (std::size_t k = 0; k < w.piston.size(); ++k) m.outlineP[k] = map(w.piston[k]);
    auto& V = m.outlineV;
    for (std::size_t k = 0; k < w.valve.size(); ++k) V[k] = map(w.valve[k]);
    // On the screen the cavity's roof is a third of the way down the valve in whole pixels
    // (truncated), as the picture has always drawn it.
    const int roof = V[1].y + (V[3].y - V[1].y) / 3;
    V[5].y = roof;
    V[6].y = roof;
}

void TickSolve(Model& m) {
    SolveLinkage(m);
    SolvePistonAndPorts(m);
    MapPivotsAndOutlines(m);
}

void AdvanceDriverAngle(Model& m) {
    float& a = m.gear.driverAngle;
    a += m.gear.direction == RunDirection::Fwd ? m.gear.currentStep : -m.gear.currentStep;
    if (a > 360.1f) a -= 360.0f;
    if (a < 0.0f) a += 360.0f;
}

namespace {

constexpr const char* kMainTitle = "MERROVAN Outside Admission            ";
constexpr const char* kDataTableTitle = "MERROVAN Outside Admission Pivot Data   ";

QString CaptionTail(const QDateTime& now) {
    const QLocale loc = QLocale::system();
    return QStringLiteral("     ") + loc.toString(now.date(), QLocale::ShortFormat) +
           QStringLiteral("   ") + loc.toString(now.time(), QLocale::LongFormat) +
           QStringLiteral("   Version " MERROVAN_VERSION);
}

// The captions change once a second or when the data set is renamed; keep them between frames
// so a frame costs no string building.
struct CaptionCache {
    qint64 second = -1;
    bool valid = false;
    std::string dataSet;
    std::string comparison;
    WindowCaptions captions;
};

const WindowCaptions& Captions(const Model& m, const QDateTime& now) {
    static CaptionCache* cache = new CaptionCache;  // per process; lives as long as the app
    const qint64 second = now.isValid() ? now.toSecsSinceEpoch() : -1;
    const bool sameComparison = cache->captions.comparing == m.comparison.has_value() &&
                                (!m.comparison || cache->comparison == m.comparison->name);
    if (!cache->valid || cache->second != second || cache->dataSet != m.dataSetName ||
        !sameComparison) {
        cache->valid = true;
        cache->second = second;
        cache->dataSet = m.dataSetName;
        cache->comparison = m.comparison ? m.comparison->name : std::string();
        cache->captions = MakeWindowCaptions(m, now);
    }
    return cache->captions;
}

}  // namespace

WindowCaptions MakeWindowCaptions(const Model& m, const QDateTime& now) {
    // The working gear's name, and the comparison gear's while one is loaded in the windows that
    // draw it: the main window and the four valve diagrams.
    const QString name = QString::fromStdString(m.dataSetName);
    QString compared = name;
    WindowCaptions c;
    c.comparing = m.comparison.has_value();
    if (m.comparison)
        compared += QStringLiteral(" compared with ") + QString::fromStdString(m.comparison->name);
    const QString tail = CaptionTail(now);
    c.main = QString::fromLatin1(kMainTitle) + compared + tail;
    for (const DiagramKindInfo& k : DiagramKinds()) {
        if (!k.captionTitle) continue;
        const bool drawsComparison = k.kind == DiagramKind::Sine || k.kind == DiagramKind::Oval ||
                                     k.kind == DiagramKind::Steam || k.kind == DiagramKind::Port;
        c.diagrams[static_cast<std::size_t>(k.kind)] =
            QString::fromLatin1(k.captionTitle) + (drawsComparison ? compared : name) + tail;
    }
    c.dataTable = QString::fromLatin1(kDataTableTitle) + name + tail;
    return c;
}

QSize LogicalSize(const QPaintDevice* device) {
    if (!device) return {};
    const qreal dpr = device->devicePixelRatioF();
    if (!(dpr > 0) || dpr == 1) return {device->width(), device->height()};
    return {static_cast<int>(device->width() / dpr), static_cast<int>(device->height() / dpr)};
}

PictureOutput RenderPicture(Model& m, QPainter& painter, const PictureInput& in) {
    PictureOutput out;
    painter.save();
    const QSize device = LogicalSize(painter.device());
    const QSize area = in.area.isEmpty() ? device : in.area;
    // 1. A white frame, as a new bitmap would be.
    painter.fillRect(0, 0, device.width(), device.height(), QColor(Qt::white));

    // 2. Steam dots and their legend.
    if (in.rng) DrawSteamLayer(m, painter, *in.rng, out);

    // 3. Window captions.
    out.captions = Captions(m, in.now);

    {
        PictureCanvas canvas(painter);
        canvas.Invalidate();
        picture::DrawFaultOutline(m, canvas);
        // 4..10.
        picture::DrawMechanism(m, canvas);
        // The cut-off measurement follows the valve on every frame; only its display needs
        // the screen data.
        picture::MeasureCutoff(m);
        // 11.
        if (m.display.screenData) {
            picture::DrawScreenData(m, canvas, out);
            picture::DrawFaultText(m, canvas, area);
        }
        // The dynamic-variable bars may move only a slot that holds a dimension.
        for (int k = 1; k <= 4; ++k)
            out.dynBarEnabled[static_cast<std::size_t>(k - 1)] =
                picture::SlotHoldsDimension(m.dynSlots[static_cast<std::size_t>(k)]);
        // 12.
        if (m.dimensionGraphicId != 0) picture::DrawDimensionGraphic(m, canvas, out);
    }
    painter.restore();
    return out;
}

}  // namespace mv
