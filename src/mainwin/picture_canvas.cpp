#include "mainwin/picture_canvas.hpp"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "mainwin/draw_picture.hpp"

namespace mv {
namespace {

using I64 = std::int64_t;

// The picture's fonts, made once per application and kept (fonts are not free to build and
// the frame path should not allocate). A new application instance rebuilds them.
struct FontSet {
    const QCoreApplication* app = nullptr;
    QFont normal, bold, big, bigBold;
    int ascentNormal = 0, ascentBold = 0, ascentBig = 0, ascentBigBold = 0;
    // The last condensed variant of a face (Text with a width limit), kept so that a name
    // needing it on every frame does not rebuild it.
    mutable QFont fitted;
    mutable const QFont* fittedBase = nullptr;
    mutable int fittedStretch = 0;
};

const FontSet& Fonts() {
    static FontSet* set = new FontSet;  // never destroyed: fonts must not outlive the app's font db
    const QCoreApplication* app = QCoreApplication::instance();
    if (set->app != app || set->ascentNormal == 0) {
        set->app = app;
        set->fittedBase = nullptr;
        set->normal = PictureFont(8, false);
        set->bold = PictureFont(8, true);
        set->big = PictureFont(14, false);
        set->bigBold = PictureFont(14, true);
        set->ascentNormal = QFontMetrics(set->normal).ascent();
        set->ascentBold = QFontMetrics(set->bold).ascent();
        set->ascentBig = QFontMetrics(set->big).ascent();
        set->ascentBigBold = QFontMetrics(set->bigBold).ascent();
        if (set->ascentNormal == 0) set->ascentNormal = 1;
    }
    return *set;
}

// Anything this far outside the picture cannot show a single pixel of text.
constexpr int kTextReach = 100000;

// round-half-up of num / den for den > 0, exact in 64 bits for screen-sized values.
I64 RoundDiv(I64 num, I64 den) {
    const I64 t = 2 * num + den;
    const I64 d = 2 * den;
    I64 q = t / d;
    if ((t % d != 0) && ((t < 0) != (d < 0))) --q;  // floor
    return q;
}

}  // namespace

PictureCanvas::PictureCanvas(QPainter& painter) : p_(painter) {
    const QPaintDevice* d = p_.device();
    const QSize size = LogicalSize(d);
    width_ = size.width();
    height_ = size.height();
    const QPaintEngine* e = p_.paintEngine();
    // Pixel-exact lines only where a picture pixel is a device pixel; on a high-density device
    // the painter's own stroker draws them sharp at the device's resolution.
    exact_ = e && e->type() == QPaintEngine::Raster && p_.transform().isIdentity() && d &&
             d->devicePixelRatioF() == 1;
    p_.setRenderHint(QPainter::Antialiasing, false);
    p_.setRenderHint(QPainter::TextAntialiasing, false);
    p_.setBrush(Qt::NoBrush);
    pen_.setCapStyle(Qt::FlatCap);
    pen_.setJoinStyle(Qt::RoundJoin);
    text_.reserve(128);
}

PictureCanvas::~PictureCanvas() {
    Flush();
}

void PictureCanvas::SetPen(QRgb colour, int width) {
    penColour_ = colour & 0xFFFFFF;
    penWidth_ = std::clamp(width, 1, 16);
}

void PictureCanvas::Invalidate() {
    Flush();
    mode_ = PenMode::None;
    appliedFont_ = nullptr;
    p_.setBrush(Qt::NoBrush);
    p_.setRenderHint(QPainter::Antialiasing, false);
}

void PictureCanvas::ApplyLinePen() {
    Flush();
    if (mode_ == PenMode::Line && appliedColour_ == penColour_ && appliedWidth_ == penWidth_)
        return;
    pen_.setColor(QColor::fromRgb(penColour_));
    pen_.setWidth(penWidth_);
    // Wide pens end round, as wide outline pens always have; one-pixel lines are flat.
    pen_.setCapStyle(penWidth_ > 1 ? Qt::RoundCap : Qt::FlatCap);
    p_.setPen(pen_);
    mode_ = PenMode::Line;
    appliedColour_ = penColour_;
    appliedWidth_ = penWidth_;
}

void PictureCanvas::ApplyTextPen() {
    Flush();
    if (mode_ == PenMode::Text && appliedColour_ == fontColour_) return;
    pen_.setColor(QColor::fromRgb(fontColour_));
    pen_.setWidth(1);
    pen_.setCapStyle(Qt::FlatCap);
    p_.setPen(pen_);
    mode_ = PenMode::Text;
    appliedColour_ = fontColour_;
    appliedWidth_ = 1;
}

void PictureCanvas::Flush() {
    if (pixelCount_ == 0) return;
    if (mode_ != PenMode::Pixel || appliedColour_ != bufColour_) {
        pen_.setColor(QColor::fromRgb(bufColour_));
        pen_.setWidth(1);
        pen_.setCapStyle(Qt::SquareCap);
        p_.setPen(pen_);
        mode_ = PenMode::Pixel;
        appliedColour_ = bufColour_;
        appliedWidth_ = 1;
    }
    p_.drawPoints(pixels_.data(), pixelCount_);
    pixelCount_ = 0;
}

void PictureCanvas::AddPixel(int x, int y) {
    pixels_[static_cast<std::size_t>(pixelCount_++)] = QPoint(x, y);
    if (pixelCount_ == static_cast<int>(pixels_.size())) Flush();
}

void PictureCanvas::ExactLine(int x1, int y1, int x2, int y2) {
    if (pixelCount_ != 0 && bufColour_ != penColour_) Flush();
    bufColour_ = penColour_;
    const I64 dx = I64{x2} - x1, dy = I64{y2} - y1;
    const I64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const I64 n = xMajor ? adx : ady;  // pixels: steps 0 .. n-1, the end point left out
    const I64 major0 = xMajor ? x1 : y1;
    const I64 minor0 = xMajor ? y1 : x1;
    const I64 dMinor = xMajor ? dy : dx;
    const I64 sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const I64 majorLimit = xMajor ? width_ : height_;
    const I64 minorLimit = xMajor ? height_ : width_;
    // Only the steps whose major coordinate lies on the device: at most one device width.
    I64 lo = 0, hi = n - 1;
    if (sMajor > 0) {
        lo = std::max(lo, -major0);
        hi = std::min(hi, majorLimit - 1 - major0);
    } else {
        lo = std::max(lo, major0 - (majorLimit - 1));
        hi = std::min(hi, major0);
    }
    for (I64 i = lo; i <= hi; ++i) {
        const I64 major = major0 + sMajor * i;
        const I64 minor = minor0 + RoundDiv(i * dMinor, n);
        if (minor < 0 || minor >= minorLimit) continue;
        if (xMajor)
            AddPixel(static_cast<int>(major), static_cast<int>(minor));
        else
            AddPixel(static_cast<int>(minor), static_cast<int>(major));
    }
}

void PictureCanvas::LineTo(int x, int y) {
    const int x0 = curX_, y0 = curY_;
    curX_ = x;
    curY_ = y;
    if (x0 == x && y0 == y) return;
    if (exact_ && penWidth_ == 1) {
        ExactLine(x0, y0, x, y);
        return;
    }
    ApplyLinePen();
    p_.drawLine(QLineF(x0, y0, x, y));
}

void PictureCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1) return;
    // Wholly outside the device: nothing of the outline can show.
    const int reach = penWidth_ + 1;
    if (r + reach < 0 || b + reach < 0 || l - reach > width_ || t - reach > height_) return;
    ApplyLinePen();
    p_.drawEllipse(QRectF(l, t, static_cast<double>(r) - l - 1, static_cast<double>(b) - t - 1));
}

void PictureCanvas::Arc(int x1, int y1, int x2, int y2, int xs, int ys, int xe, int ye) {
    const int l = std::min(x1, x2), r = std::max(x1, x2);
    const int t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 2 || b - t < 2) return;
    const int reach = penWidth_ + 1;
    if (r + reach < 0 || b + reach < 0 || l - reach > width_ || t - reach > height_) return;
    const QRectF box(l, t, static_cast<double>(r) - l - 1, static_cast<double>(b) - t - 1);
    const double cx = box.center().x(), cy = box.center().y();
    const double rx = box.width() / 2.0, ry = box.height() / 2.0;
    constexpr double kDeg = 180.0 / std::numbers::pi;
    // Angles of the rays, measured the way the ellipse is parametrised (y up on the screen).
    double a0 = std::atan2(-(ys - cy) / ry, (xs - cx) / rx) * kDeg;
    double a1 = std::atan2(-(ye - cy) / ry, (xe - cx) / rx) * kDeg;
    if (!std::isfinite(a0) || !std::isfinite(a1)) return;
    double span = a1 - a0;
    while (span <= 0.0) span += 360.0;
    while (span > 360.0) span -= 360.0;
    if (std::fabs(span - 360.0) < 1e-9) span = 360.0;
    ApplyLinePen();
    path_.clear();
    path_.arcMoveTo(box, a0);
    path_.arcTo(box, a0, span);
    p_.drawPath(path_);
}

void PictureCanvas::SetFontSize(int points) {
    fontPoints_ = points >= 12 ? 14 : 8;
}

void PictureCanvas::SetFontBold(bool bold) {
    fontBold_ = bold;
}

void PictureCanvas::ApplyFont() {
    const FontSet& f = Fonts();
    const QFont* want =
        fontPoints_ == 14 ? (fontBold_ ? &f.bigBold : &f.big) : (fontBold_ ? &f.bold : &f.normal);
    if (appliedFont_ != want) {
        p_.setFont(*want);
        appliedFont_ = want;
    }
}

void PictureCanvas::Text(int x, int y, std::string_view text) {
    Text(x, y, text, -1);
}

void PictureCanvas::Text(int x, int y, std::string_view text, int maxWidth) {
    if (text.empty()) return;
    if (x < -kTextReach || x > kTextReach || y < -kTextReach || y > kTextReach) return;
    ApplyTextPen();
    ApplyFont();
    const FontSet& f = Fonts();
    const int ascent = fontPoints_ == 14 ? (fontBold_ ? f.ascentBigBold : f.ascentBig)
                                         : (fontBold_ ? f.ascentBold : f.ascentNormal);
    // Reuse one string: the text changes every frame, its capacity need not.
    text_.resize(static_cast<qsizetype>(text.size()));
    QChar* out = text_.data();
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = QChar(static_cast<unsigned char>(text[i]));
    if (maxWidth > 0) {
        const QFont* base = appliedFont_;
        const int width = QFontMetrics(*base).horizontalAdvance(text_);
        if (width > maxWidth) {
            // Glyph advances round to whole pixels, so step down until the text fits.
            int stretch = std::max(50, 100 * maxWidth / width);
            for (;; --stretch) {
                if (f.fittedBase != base || f.fittedStretch != stretch) {
                    f.fitted = *base;
                    f.fitted.setStretch(stretch);
                    f.fittedBase = base;
                    f.fittedStretch = stretch;
                }
                if (stretch <= 50 || QFontMetrics(f.fitted).horizontalAdvance(text_) <= maxWidth)
                    break;
            }
            p_.setFont(f.fitted);
            appliedFont_ = &f.fitted;
        }
    }
    p_.drawText(QPoint(x, y + ascent), text_);
}

}  // namespace mv
