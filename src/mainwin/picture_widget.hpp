// The main window's drawing area: shows the frame buffer and turns the mouse into requests. The
// window decides what they do; the widget keeps no state of the view.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>

namespace mv {

class PictureWidget : public QWidget {
public:
    PictureWidget(const QImage& buffer, QWidget* parent);

    QSize sizeHint() const override;

    // A left or right press that reached no control, in picture pixels.
    std::function<void(Qt::MouseButton, QPoint)> pressed;
    // The wheel turned by `notches` (120ths of a turn over 120; fractions from fine wheels).
    std::function<void(QPoint, double notches)> wheeled;
    // The middle button dragged the picture by `delta` pixels.
    std::function<void(QPoint delta)> panned;
    // The widget changed size, or shows on a screen of another pixel ratio than the buffer.
    std::function<void()> resized;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    const QImage& buffer_;
    QPoint dragFrom_;
    bool dragging_ = false;
};

}  // namespace mv
