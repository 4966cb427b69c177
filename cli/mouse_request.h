// What `r730ctl mouse` was asked to do: the subcommand and its values, read
// and range-checked before any device is touched.
#pragma once

#include <string>

#include "cli/button_function.h"
#include "devices/zentrel_mouse_device.h"

enum class MouseAction {
    Show,
    Dpi,
    Stage,
    ActiveStage,
    Rate,
    LiftOff,
    Calibration,
    Ripple,
    Debounce,
    Sleep,
    Defaults,
    Buttons,
    Assign,
};

struct MouseRequest {
    MouseAction action = MouseAction::Show;
    std::string name;  // the subcommand as typed
    int stage = 0;     // dpi, stage, active-stage
    int value = 0;     // dpi (a DPI value), rate, liftoff, calibration, ripple, debounce, sleep
    bool on = false;   // stage
    MouseSleep sleep = MouseSleep::Ble1;
    int button = 0;           // assign
    ButtonFunction function;  // assign
    bool json = false;
};

// The stages the page shows and the profile block carries.
inline constexpr int kMouseStageMax = 6;

// Reads argv[first..argc). 0 on success, else 2 with a message in error that
// names the accepted values.
int ParseMouseRequest(int argc, char** argv, int first, MouseRequest& request, std::string& error);

// "ble1", "ble2", "dev1", "dev2".
const char* MouseSleepName(MouseSleep which);
