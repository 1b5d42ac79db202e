#include "mainwin/picture_widget.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "mainwin/main_layout.hpp"

namespace mv {

PictureWidget::PictureWidget(const QImage& buffer, QWidget* parent)
    : QWidget(parent), buffer_(buffer) {
    setObjectName(QStringLiteral("Picture"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(kClientWidth, kClientHeight);
}

QSize PictureWidget::sizeHint() const {
    return {kClientWidth, kClientHeight};
}

void PictureWidget::paintEvent(QPaintEvent* /*e*/) {
    QPainter p(this);
    p.drawImage(0, 0, buffer_);
    // Moved to a screen of another pixel ratio: the window makes a buffer to match.
    if (buffer_.devicePixelRatio() != devicePixelRatioF() && resized)
        QMetaObject::invokeMethod(
            this, [this] { resized(); }, Qt::QueuedConnection);
}

void PictureWidget::mousePressEvent(QMouseEvent* e) {
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::MiddleButton) {
        dragFrom_ = pt;
        dragging_ = true;
        return;
    }
    if ((e->button() == Qt::LeftButton || e->button() == Qt::RightButton) && pressed)
        pressed(e->button(), pt);
}

void PictureWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_ || !(e->buttons() & Qt::MiddleButton)) return;
    const QPoint pt = e->position().toPoint();
    const QPoint delta = pt - dragFrom_;
    dragFrom_ = pt;
    if (!delta.isNull() && panned) panned(delta);
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton) dragging_ = false;
}

void PictureWidget::wheelEvent(QWheelEvent* e) {
    const int dy = e->angleDelta().y();
    if (dy == 0 || !wheeled) {
        e->ignore();
        return;
    }
    wheeled(e->position().toPoint(), dy / 120.0);
    e->accept();
}

void PictureWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (resized) resized();
}

}  // namespace mv
