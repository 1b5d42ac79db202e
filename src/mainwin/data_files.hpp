// Where the program's data files (help texts, sounds) are: beside the executable, in the
// install's share folder relative to it, or in the working folder. Never an absolute path.
#pragma once

#include <QString>
#include <QStringList>

namespace mv {

// Folders searched, in order.
QStringList DataFolders();

// Full path of the first existing file of that name, or an empty string.
QString FindDataFile(const QString& name);

}  // namespace mv
