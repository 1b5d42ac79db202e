#include "mainwin/dialog_placement.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace mv {

QPoint PlaceBeside(const QRect& main, const QSize& dialog, const QRect& screen, int gap) {
    const auto keepOn = [&screen, &dialog](QPoint p) {
        p.setX(std::clamp(p.x(), screen.left(),
                          std::max(screen.left(), screen.right() + 1 - dialog.width())));
        p.setY(std::clamp(p.y(), screen.top(),
                          std::max(screen.top(), screen.bottom() + 1 - dialog.height())));
        return p;
    };
    const QPoint right(main.right() + 1 + gap, main.top());
    if (right.x() + dialog.width() <= screen.right() + 1) return keepOn(right);
    const QPoint below(main.left(), main.bottom() + 1 + gap);
    if (below.y() + dialog.height() <= screen.bottom() + 1) return keepOn(below);
    return keepOn(QPoint(screen.right() + 1 - dialog.width(), main.top()));
}

void DialogPlacer::Place(QWidget* dialog, const QWidget* main) {
    if (!dialog || !main) return;
    Entry& e = entries_[dialog];
    if (e.dialog != dialog) e = Entry{dialog, {}, {}, false};
    if (e.userMoved) {
        dialog->move(e.userPlace);
        e.placedAt = e.userPlace;
        return;
    }
    const QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Frames of windows never shown have no decorations yet: borrow the main window's.
    const QSize decoration = main->frameGeometry().size() - main->size();
    const QSize inner = dialog->testAttribute(Qt::WA_Resized) ? dialog->size() : dialog->sizeHint();
    const QSize frame = dialog->isVisible() ? dialog->frameGeometry().size() : inner + decoration;
    e.placedAt = PlaceBeside(main->frameGeometry(), frame, avail);
    dialog->move(e.placedAt);
}

void DialogPlacer::Closing(QWidget* dialog) {
    auto it = entries_.find(dialog);
    if (it == entries_.end() || it->dialog != dialog) return;
    if (dialog->pos() != it->placedAt) {
        it->userMoved = true;
        it->userPlace = dialog->pos();
    }
}

}  // namespace mv
