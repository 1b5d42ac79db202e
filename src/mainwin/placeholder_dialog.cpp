#include "mainwin/placeholder_dialog.hpp"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mv {

PlaceholderDialog::PlaceholderDialog(const QString& title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(title, this));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close);
}

}  // namespace mv
