#include "mainwin/look.hpp"

#include <QFontMetrics>
#include <QStringList>

namespace mv {

int FontPixelsForPoints(int points) {
    return (points * 96 + 36) / 72;
}

QFont PictureFont(int points, bool bold) {
    QFont f;
    // The design face is the classic 8-point dialog sans; metric-compatible faces come first so
    // the texts keep their design spacing.
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setPixelSize(FontPixelsForPoints(points));
    f.setBold(bold);
    f.setKerning(false);
    return f;
}

QFont DiagramFont(int pixelSize, bool bold) {
    QFont f;
    // The design face first, then metric-compatible ones: the positions were made for its
    // narrow figures, and a wider face runs labels into their ticks and neighbours.
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QFont SheetFont(double millimetres, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                   QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    // Points follow the device's resolution, so a size in points is the same length anywhere.
    f.setPointSizeF(millimetres * 72.0 / 25.4);
    f.setBold(bold);
    return f;
}

QFont ControlFont() {
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(13);
    f.setBold(true);
    f.setUnderline(true);
    return f;
}

QString ControlButtonStyle() {
    return QStringLiteral(
        "QPushButton { padding: 0px; margin: 0px; border: 1px solid #808080;"
        " background: #c0c0c0; color: black; }"
        "QPushButton:pressed { background: #a0a0a0; }"
        "QPushButton:disabled { color: #808080; }");
}

QString GraphicButtonStyle() {
    return QStringLiteral(
        "QPushButton { padding: 0px; margin: 0px; border: 1px solid #808080;"
        " background: #c0c0c0; }"
        "QPushButton:focus { border-color: #000000; }"
        "QPushButton:pressed { background: #a0a0a0; }");
}

QFont MenuFont() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    return f;
}

QFont DialogFont(const QFont& base) {
    QFont f = base;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                   QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("Sans Serif")});
    f.setPixelSize(11);
    return f;
}

QFont PositionsDialogFont() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    for (int px = 14; px >= 8; --px) {
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        if (fm.horizontalAdvance(QStringLiteral("Rev Arm Position  9")) <= 120 &&
            fm.horizontalAdvance(QStringLiteral("Cent -0.000")) <= 78)
            break;
    }
    return f;
}

QFont DataTableFont() {
    // Fixed pitch, so the columns of numbers line up under their headings.
    QFont f;
    f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                   QStringLiteral("Courier New"), QStringLiteral("monospace")});
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    f.setPixelSize(12);
    return f;
}

QFont IconLabelFont() {
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(9);
    f.setBold(true);
    return f;
}

QFont TitleFont(const QFont& base) {
    QFont f = base;
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    return f;
}

void InstallFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman")});
}

}  // namespace mv
