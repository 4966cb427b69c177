// What a device object asks of its page. The page (a widget in the desktop
// application) implements it; the command-line tool and the tests give a
// device no page (NullDeviceView) or one that records what it was asked.
#pragma once

#include "devices/preview_engine.h"

class DeviceView {
public:
    virtual ~DeviceView() = default;
    // The page has a layout with a "SelectPanel" (key buttons and LED controls).
    virtual bool HasLayout() const { return false; }
    // Shows the LED colour records on the LED controls (UI thread).
    virtual void ShowLedColours(const LedFrame& leds) { (void)leds; }
    // Shows a function page: page `functionPage` of "device_function_switch";
    // when keyTab >= 0, page 0 of it and tab `keyTab` of "device_key_function_switch".
    virtual void ShowFunctionPage(int functionPage, int keyTab) {
        (void)functionPage;
        (void)keyTab;
    }
    // The device's settings changed: show them again (UI thread).
    virtual void SettingsChanged() {}
    // A battery record for the power display (6 bytes: charge %, charging state,
    // -, through the receiver, -, phone type).
    virtual void ShowStatus(const uint8_t* record, size_t length) {
        (void)record;
        (void)length;
    }
    // A new frame differs from the last one shown (any thread): repaint soon.
    virtual void FrameChanged() {}
    // Someone looks at the frames (the page is shown, or frames are streamed to the
    // device). While nobody does, the lighting thread keeps its state up to date
    // only now and then.
    virtual bool WantsFrames() const { return true; }
};

// The view of a device without a page.
class NullDeviceView final : public DeviceView {
public:
    bool WantsFrames() const override { return false; }
};

// Which page a page type shows on a device of a type.
struct FunctionPageChoice {
    int functionPage = 0;
    int keyTab = -1;  // >= 0: a tab of the key function switch
    bool operator==(const FunctionPageChoice&) const = default;
};
FunctionPageChoice FunctionPageFor(int pageType, int deviceType);
