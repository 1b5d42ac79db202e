// Rendering helpers for the diagram tests.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "diagrams/diagram_canvas.hpp"
#include "diagrams/draw_diagrams.hpp"
#include "diagrams/rev_arm_positions.hpp"
#include "model/model.hpp"

namespace mv::test {

inline void EnsureGui() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_draw";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// Default gear with the positions the dialog shows after start-up (mid gear, +Norm, -Norm).
inline Model StartModel() {
    Model m;
    StartUp(m);
    NormalizeRevArmPositions(m);
    return m;
}

inline QImage Render(DiagramKind kind, Model& m) {
    EnsureGui();
    QImage img(DiagramClientSize(kind), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    BeginDiagramPainting(p);
    DiagramOptions opt;
    opt.clearRect = img.rect();
    DrawDiagram(kind, m, p, opt);
    return img;
}

inline QRgb At(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

inline int CountInRow(const QImage& img, int y, QRgb colour, int x0, int x1) {
    int n = 0;
    for (int x = x0; x <= x1; ++x) n += At(img, x, y) == colour;
    return n;
}

inline int CountInRect(const QImage& img, QRect r, QRgb colour) {
    r = r.intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += At(img, x, y) == colour;
    return n;
}

inline bool AnyNonWhite(const QImage& img, QRect r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (At(img, x, y) != 0xFFFFFF) return true;
    return false;
}

// The pixels a text would get at (x, y) in the diagram font, on white.
inline QImage TextImage(Model& m, QSize size, int x, int y, const QString& s, bool bold = false) {
    EnsureGui();
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    BeginDiagramPainting(p);
    diagram::Canvas c(m, p);
    c.Bold(bold);
    c.Text(x, y, s);
    return img;
}

inline bool SameRegion(const QImage& a, const QImage& b, QRect r) {
    r = r.intersected(a.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (At(a, x, y) != At(b, x, y)) return false;
    return true;
}

}  // namespace mv::test

namespace mv::test {

// Where a text lands in the diagram font.
inline QRect TextRect(int x, int y, const QString& s, bool bold = false) {
    EnsureGui();
    QImage probe(1, 1, QImage::Format_RGB32);
    const QFontMetrics fm(mv::DiagramFont(11, bold), &probe);
    return QRect(x, y, fm.horizontalAdvance(s), fm.height());
}

}  // namespace mv::test

namespace mv::test {

// Every dark pixel of the expected text is dark in the image too (lines drawn later may cross
// the text's background).
inline bool GlyphsPresent(const QImage& img, const QImage& expected, QRect r) {
    int glyph = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            if (At(expected, x, y) != 0x000000) continue;
            ++glyph;
            if (At(img, x, y) != 0x000000) return false;
        }
    return glyph > 0;
}

}  // namespace mv::test
