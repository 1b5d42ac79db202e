// A stand-in secondary window: its title and a Close button, until the real window replaces it.
#pragma once

#include <QDialog>
#include <QString>

namespace mv {

class PlaceholderDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlaceholderDialog(const QString& title, QWidget* parent = nullptr);
};

}  // namespace mv
