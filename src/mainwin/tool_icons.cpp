#include "mainwin/tool_icons.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "mainwin/look.hpp"

namespace mv {

namespace {
constexpr int kW = 20;
constexpr int kH = 16;

QPixmap Blank() {
    QPixmap pm(kW, kH);
    pm.fill(Qt::transparent);
    return pm;
}

void Label(QPainter& p, const char* text, QColor colour) {
    p.setFont(IconLabelFont());
    p.setPen(colour);
    p.drawText(QRect(0, 0, kW, kH), Qt::AlignCenter, QString::fromLatin1(text));
}
}  // namespace

QIcon MakeToolIcon(ToolIcon icon) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPen dark(QColor(0x20, 0x20, 0x20), 1.2);
    switch (icon) {
        case ToolIcon::Open: {
            p.setPen(dark);
            p.setBrush(QColor(0xE8, 0xC8, 0x50));
            QPainterPath folder;
            folder.moveTo(2, 4);
            folder.lineTo(7, 4);
            folder.lineTo(9, 6);
            folder.lineTo(17, 6);
            folder.lineTo(17, 14);
            folder.lineTo(2, 14);
            folder.closeSubpath();
            p.drawPath(folder);
            break;
        }
        case ToolIcon::Save:
            p.setPen(dark);
            p.setBrush(QColor(0x40, 0x60, 0xB0));
            p.drawRect(3, 1, 14, 14);
            p.setBrush(Qt::white);
            p.drawRect(6, 2, 8, 5);
            p.setBrush(QColor(0xA0, 0xA0, 0xA0));
            p.drawRect(6, 10, 8, 5);
            break;
        case ToolIcon::Frame: Label(p, "FD", QColor(0x80, 0, 0)); break;
        case ToolIcon::Cylinder:
            p.setPen(dark);
            p.drawRect(2, 4, 12, 8);
            p.drawLine(14, 8, 18, 8);
            p.setBrush(Qt::black);
            p.drawRect(8, 5, 2, 6);
            break;
        case ToolIcon::DriverAngle:
            p.setPen(dark);
            p.drawEllipse(QPointF(10, 8), 6.5, 6.5);
            p.setPen(QPen(Qt::red, 1.5));
            p.drawLine(QPointF(10, 8), QPointF(14.5, 3.5));
            break;
        case ToolIcon::StepAngle:
            p.setPen(dark);
            p.drawLine(3, 14, 17, 14);
            p.drawLine(3, 14, 15, 3);
            p.drawArc(QRectF(-3, 8, 12, 12), 0, 42 * 16);
            break;
        case ToolIcon::RevArm:
            p.setPen(QPen(QColor(0, 0xA0, 0), 2));
            p.drawLine(6, 14, 14, 2);
            p.setPen(QPen(Qt::red, 1));
            p.drawLine(4, 14, 8, 14);
            break;
        case ToolIcon::MidGear:
            p.setPen(dark);
            p.drawLine(10, 1, 10, 15);
            p.setPen(QPen(QColor(0, 0xA0, 0), 2));
            p.drawLine(4, 8, 16, 8);
            break;
        case ToolIcon::Steam:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xFF, 0, 0));
            for (int i = 0; i < 9; ++i)
                p.drawEllipse(QPointF(3 + (i * 7) % 14, 3 + (i * 5) % 11), 1.2, 1.2);
            break;
        case ToolIcon::RefPoints:
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(3, 8, 17, 8);
            p.drawLine(10, 1, 10, 15);
            break;
        case ToolIcon::Lines:
            p.setPen(QPen(Qt::blue, 1.2));
            p.drawLine(2, 14, 12, 2);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(13, 10), 5, 5);
            break;
        case ToolIcon::PivotData: Label(p, "PD", Qt::red); break;
        case ToolIcon::DynVars: Label(p, "DV", QColor(0, 0, 0x80)); break;
        case ToolIcon::Undo:
            p.setPen(QPen(Qt::black, 1.5));
            p.drawArc(QRectF(5, 3, 11, 10), -90 * 16, 250 * 16);
            p.drawLine(QPointF(5, 6), QPointF(4, 2));
            p.drawLine(QPointF(5, 6), QPointF(9, 6));
            break;
        case ToolIcon::DesignAssistant: {
            // A balance: front and rear brought level.
            p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.6));
            p.drawLine(QPointF(10, 1), QPointF(10, 14));
            p.drawLine(QPointF(5, 14.5), QPointF(15, 14.5));
            p.drawLine(QPointF(1.5, 3), QPointF(18.5, 3));
            p.setPen(dark);
            p.setBrush(QColor(0xE8, 0xC8, 0x50));
            for (const double x : {4.5, 15.5}) {
                QPainterPath pan;
                pan.moveTo(x, 3);
                pan.lineTo(x - 4, 10);
                pan.lineTo(x + 4, 10);
                pan.closeSubpath();
                p.drawPath(pan);
            }
            break;
        }
        case ToolIcon::Fit:
            // Four corners pointing outwards around a small wheel.
            p.setPen(QPen(Qt::black, 1.5));
            p.drawPolyline(QPolygonF({QPointF(2, 6), QPointF(2, 2), QPointF(6, 2)}));
            p.drawPolyline(QPolygonF({QPointF(14, 2), QPointF(18, 2), QPointF(18, 6)}));
            p.drawPolyline(QPolygonF({QPointF(18, 10), QPointF(18, 14), QPointF(14, 14)}));
            p.drawPolyline(QPolygonF({QPointF(6, 14), QPointF(2, 14), QPointF(2, 10)}));
            p.drawEllipse(QPointF(10, 8), 3.5, 3.5);
            break;
    }
    p.end();
    return QIcon(pm);
}

QIcon PaintedToolIcon(void (*paint)(QPainter&)) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (paint) paint(p);
    p.end();
    return QIcon(pm);
}

QIcon ErrorIcon() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::red);
    p.drawEllipse(QPointF(10, 8), 7, 7);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(7, 5, 13, 11);
    p.drawLine(13, 5, 7, 11);
    p.end();
    return QIcon(pm);
}

}  // namespace mv
