// What the secondary windows may ask of the main window's controls. TMainForm implements it;
// tests substitute a recording fake. Model state itself is never kept here.
#pragma once

namespace mv {

class MainControls {
public:
    virtual ~MainControls() = default;

    // The animation's run state (the Run button reads "Stop" while running, "Run" while
    // stopped). SetRunning takes the Run button's steps into that state even when the gear is
    // in it already: starting takes the chosen step, stopping puts the driver bar at the angle.
    virtual bool Running() const = 0;
    virtual void SetRunning(bool run) = 0;

    // SBDrvAng: position, enabled state, small and large change.
    virtual void SetDriverAngleBar(int position) = 0;
    virtual void SetDriverAngleBarEnabled(bool enabled) = 0;
    virtual void SetDriverAngleBarSteps(int smallChange, int largeChange) = 0;

    // SBStepAng position (runs its change handler).
    virtual void SetStepAngleBar(int position) = 0;

    // RefPt1Zero / RefPt2Zero (point 1 or 2).
    virtual void SetRefPointZeroEnabled(int point, bool enabled) = 0;
    // Switches the reference points on or off as RefPointsClick does (nothing when already so).
    virtual void SetReferencePoints(bool on) = 0;

    // Timer1, switched off while a diagram window is active.
    virtual void SetAnimationTimerEnabled(bool enabled) = 0;

    // SBDynVar1..4 and Panel7..9 follow DynamicVariablesVisible.
    virtual void SetDynamicVariableBarsVisible(bool visible) = 0;

    // The platform's default beep.
    virtual void Beep() = 0;
};

}  // namespace mv
