// Shared by the dialog tests: the application object and a recording stand-in for the main
// window's controls.
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "dialogs_qstring_print.hpp"
#include "mainwin/main_controls.hpp"
#include "model/model.hpp"

namespace mvtest {

inline void EnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Records every request and keeps the run caption the way the real Run button does.
class FakeControls : public mv::MainControls {
public:
    explicit FakeControls(mv::Model& m) : m_(m) {}

    std::string RunCaption() const override { return caption; }
    void SetRunCaption(const std::string& c) override {
        caption = c;
        log.push_back("caption " + c);
    }
    // Mirrors the main window's run handler: "Stop" showing means running.
    void RunClick() override {
        log.push_back("run");
        if (caption == "Stop") {
            m_.gear.currentStep = 0;
            caption = "Run";
        } else {
            m_.gear.currentStep = m_.gear.chosenStep;
            caption = "Stop";
        }
    }
    void SetDriverAngleBar(int p) override { driverBar = p; }
    void SetDriverAngleBarEnabled(bool e) override { driverBarEnabled = e; }
    void SetDriverAngleBarSteps(int s, int l) override {
        smallChange = s;
        largeChange = l;
    }
    void SetStepAngleBar(int p) override { stepBar = p; }
    void SetRefPointZeroEnabled(int point, bool e) override { zeroEnabled[point == 2 ? 1 : 0] = e; }
    void SetReferencePoints(bool on) override {
        referencePoints = on;
        ++referenceCalls;
    }
    void SetAnimationTimerEnabled(bool e) override { timer = e; }
    void SetDynamicVariableBarsVisible(bool v) override { dynBars = v; }
    void Beep() override { ++beeps; }

    std::string caption = "Stop";
    std::vector<std::string> log;
    int driverBar = -1;
    bool driverBarEnabled = false;
    int smallChange = -1, largeChange = -1;
    int stepBar = -1;
    bool zeroEnabled[2] = {false, false};
    bool referencePoints = false;
    int referenceCalls = 0;
    bool timer = true;
    bool dynBars = false;
    int beeps = 0;

private:
    mv::Model& m_;
};

// Shows a window and waits until it has the keyboard focus, so focus changes behave as on a
// desktop.
inline bool ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

}  // namespace mvtest
