#include "mainwin/data_files.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace mv {

QStringList DataFolders() {
    QStringList dirs;
    if (QCoreApplication::instance()) {
        const QString app = QCoreApplication::applicationDirPath();
        dirs << app << QDir::cleanPath(app + QStringLiteral("/../share/merrovan"));
    }
    dirs << QDir::currentPath();
    return dirs;
}

QString FindDataFile(const QString& name) {
    for (const QString& dir : DataFolders()) {
        const QFileInfo fi(QDir(dir).filePath(name));
        if (fi.isFile()) return fi.absoluteFilePath();
    }
    return {};
}

}  // namespace mv
