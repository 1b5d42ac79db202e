// Helpers of the picture tests: an application for fonts, a default gear, one frame as an image.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>

#include "mainwin/draw_picture.hpp"

namespace picture_test {

inline void EnsureApp() {
    if (QGuiApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_draw";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

inline mv::Model DefaultGear() {
    EnsureApp();
    mv::Model m;
    mv::StartUp(m);
    return m;
}

// One tick as the window runs it, without the advance (the state the CLI renders).
inline QImage Frame(mv::Model& m, mv::PictureOutput* out = nullptr, bool solve = true) {
    if (solve) mv::TickSolve(m);
    QImage img(mv::kPictureWidth, mv::kPictureHeight, QImage::Format_RGB32);
    img.fill(0x123456);
    QPainter p(&img);
    mv::PictureInput in;
    in.now = QDateTime::currentDateTime();
    const mv::PictureOutput o = mv::RenderPicture(m, p, in);
    p.end();
    if (out) *out = o;
    return img;
}

inline QRgb Px(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

inline int InkIn(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Px(img, x, y) != 0xFFFFFF) ++n;
    return n;
}

inline int Differences(const QImage& a, const QImage& b, const QRect& outside = QRect()) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!outside.contains(x, y) && Px(a, x, y) != Px(b, x, y)) ++n;
    return n;
}

}  // namespace picture_test
