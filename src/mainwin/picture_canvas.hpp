// The drawing state of the mechanism picture over a QPainter: pen colour and width, a current
// point for move-to/line-to, outline ellipses and arcs given by their bounding boxes, and text
// placed by its top-left corner with its own font colour.
//
// On a raster image the one-pixel lines are set pixel by pixel so that a line includes its
// start point and excludes its end point whatever its direction (Qt's own stroker always drops
// the lower-right end instead). Wider pens and vector devices use Qt's stroker. Everything is
// clipped to the device first, so coordinates near the saturation limit stay cheap.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPoint>
#include <QString>
#include <array>
#include <string_view>

#include "mainwin/look.hpp"

namespace mv {

class PictureCanvas {
public:
    explicit PictureCanvas(QPainter& painter);
    ~PictureCanvas();
    PictureCanvas(const PictureCanvas&) = delete;
    PictureCanvas& operator=(const PictureCanvas&) = delete;

    void SetPen(QRgb colour, int width);
    void SetPenColour(QRgb colour) { SetPen(colour, penWidth_); }
    void SetPenWidth(int width) { SetPen(penColour_, width); }
    QRgb PenColour() const { return penColour_; }
    int PenWidth() const { return penWidth_; }

    void MoveTo(int x, int y) {
        curX_ = x;
        curY_ = y;
    }
    // Straight line from the current point; the end point is not drawn and becomes current.
    void LineTo(int x, int y);
    void Line(int x1, int y1, int x2, int y2) {
        MoveTo(x1, y1);
        LineTo(x2, y2);
    }
    // Outline ellipse inside the box (x1, y1)-(x2, y2); the box is normalised and its right and
    // lower edges are outside the ellipse. Empty boxes draw nothing.
    void Ellipse(int x1, int y1, int x2, int y2);
    // Arc of the ellipse of that box, counter-clockwise as seen on the screen from the ray
    // through (xs, ys) to the ray through (xe, ye); equal rays give the whole ellipse.
    void Arc(int x1, int y1, int x2, int y2, int xs, int ys, int xe, int ye);

    void SetFontColour(QRgb colour) { fontColour_ = colour; }
    QRgb FontColour() const { return fontColour_; }
    // Point size 8 (normal) or 14 (the dimension graphic's label); bold for the pick prompts.
    void SetFontSize(int points);
    void SetFontBold(bool bold);
    int FontSize() const { return fontPoints_; }
    // Latin-1 text with its top-left corner at (x, y), transparent background.
    void Text(int x, int y, std::string_view text);
    // As Text, condensed as far as needed to end within maxWidth pixels: the faces here are
    // wider than the one the positions were designed for, and a name must not run into the
    // value written beside it.
    void Text(int x, int y, std::string_view text, int maxWidth);

    // Hands buffered pixels to the painter; called before any other kind of drawing.
    void Flush();
    // The painter was used directly (steam dots): forget what was set on it.
    void Invalidate();

    QPainter& Painter() { return p_; }
    bool Exact() const { return exact_; }

private:
    void ApplyLinePen();
    void ApplyTextPen();
    void ApplyFont();
    void ExactLine(int x1, int y1, int x2, int y2);
    void AddPixel(int x, int y);

    QPainter& p_;
    bool exact_ = false;
    int width_ = 0;
    int height_ = 0;

    QRgb penColour_ = kBlack;
    int penWidth_ = 1;
    QRgb fontColour_ = kBlack;
    int fontPoints_ = 8;
    bool fontBold_ = false;
    int curX_ = 0;
    int curY_ = 0;

    // What the painter currently holds.
    enum class PenMode { None, Line, Pixel, Text };
    PenMode mode_ = PenMode::None;
    QRgb appliedColour_ = 0;
    QRgb bufColour_ = 0;  // colour of the buffered pixels
    int appliedWidth_ = 0;
    const QFont* appliedFont_ = nullptr;

    std::array<QPoint, 2048> pixels_{};
    int pixelCount_ = 0;
    QPen pen_;
    QPainterPath path_;
    QString text_;
};

}  // namespace mv
