// Where the main window opens its dialogs: beside it, so they never cover the mechanism they
// change, and where the user last left them during the run.
#pragma once

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

namespace mv {

// Top-left of a dialog frame of `dialog` size beside a main window frame `main` on the
// available screen area `screen`: to its right if it fits there, else below it, else against
// the screen's right edge. The dialog is kept on the screen.
QPoint PlaceBeside(const QRect& main, const QSize& dialog, const QRect& screen, int gap = 8);

// Remembers where the user moved each dialog to, for as long as the program runs.
class DialogPlacer {
public:
    // Moves `dialog` before it is shown: where the user left it, else beside `main`.
    void Place(QWidget* dialog, const QWidget* main);
    // The dialog is closing: if the user moved it from where it was put, remember the place.
    void Closing(QWidget* dialog);

private:
    struct Entry {
        QPointer<QWidget> dialog;
        QPoint placedAt;
        QPoint userPlace;
        bool userMoved = false;
    };
    QHash<const QWidget*, Entry> entries_;
};

}  // namespace mv
