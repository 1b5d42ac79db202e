// Shared by the widget tests: the application object, a recording stand-in for the main
// window's controls and showing a window the way a desktop does.
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "support/fake_controls.hpp"
#include "support/qstring_print.hpp"

namespace mvtest {

inline void EnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Shows a window and waits until it has the keyboard focus, so focus changes behave as on a
// desktop.
inline bool ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

}  // namespace mvtest
