// The face of the small dialogs. Their layouts were made for a narrow 8-point sans-serif; where
// that face is missing a narrow one keeps the labels clear of each other.
#pragma once

#include <QFont>
#include <QStringList>

namespace mv {

inline QFont DialogFont(const QFont& base) {
    QFont f = base;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                   QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("Sans Serif")});
    f.setPixelSize(11);
    return f;
}

}  // namespace mv
