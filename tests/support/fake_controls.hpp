// A stand-in for the main window's controls that records what the other windows ask of them.
#pragma once

#include <string>
#include <vector>

#include "mainwin/main_controls.hpp"
#include "model/model.hpp"

namespace mvtest {

class FakeControls : public mv::MainControls {
public:
    FakeControls() = default;
    // With a model, starting and stopping set its current step as the main window does.
    explicit FakeControls(mv::Model& m) : m_(&m) {}

    bool Running() const override { return running; }
    void SetRunning(bool run) override {
        log.push_back(run ? "start" : "stop");
        running = run;
        if (m_) m_->gear.currentStep = run ? m_->gear.chosenStep : 0.0f;
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
    void SetAnimationTimerEnabled(bool on) override { timer.push_back(on); }
    void SetDynamicVariableBarsVisible(bool v) override { barsVisible.push_back(v); }
    void Beep() override { ++beeps; }

    bool running = true;
    std::vector<std::string> log;  // "start" / "stop"
    int driverBar = -1;
    bool driverBarEnabled = false;
    int smallChange = -1, largeChange = -1;
    int stepBar = -1;
    bool zeroEnabled[2] = {false, false};
    bool referencePoints = false;
    int referenceCalls = 0;
    std::vector<bool> timer;
    std::vector<bool> barsVisible;
    int beeps = 0;

private:
    mv::Model* m_ = nullptr;
};

}  // namespace mvtest
