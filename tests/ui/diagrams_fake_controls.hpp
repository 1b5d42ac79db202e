// A MainControls that records what the windows ask of the main window.
#pragma once

#include <QApplication>
#include <string>
#include <vector>

#include "mainwin/main_controls.hpp"

namespace mv::test {

inline void EnsureApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

class RecordingControls : public MainControls {
public:
    std::string RunCaption() const override { return caption; }
    void SetRunCaption(const std::string& c) override { caption = c; }
    void RunClick() override { calls.push_back("RunClick"); }
    void SetDriverAngleBar(int) override {}
    void SetDriverAngleBarEnabled(bool) override {}
    void SetDriverAngleBarSteps(int, int) override {}
    void SetStepAngleBar(int) override {}
    void SetRefPointZeroEnabled(int, bool) override {}
    void SetReferencePoints(bool) override {}
    void SetAnimationTimerEnabled(bool on) override {
        timer.push_back(on);
        calls.push_back(on ? "TimerOn" : "TimerOff");
    }
    void SetDynamicVariableBarsVisible(bool v) override {
        barsVisible.push_back(v);
        calls.push_back(v ? "BarsShown" : "BarsHidden");
    }
    void Beep() override { calls.push_back("Beep"); }

    std::string caption = "Stop";
    std::vector<bool> timer;
    std::vector<bool> barsVisible;
    std::vector<std::string> calls;
};

}  // namespace mv::test
