// What a device object tells the main window. The application queues these
// onto its UI thread; the command-line tool and the tests record or ignore them.
#pragma once

class DeviceEvents {
public:
    virtual ~DeviceEvents() = default;
    // Arms a timer of the device's entry in the device list (1001, 1002, 1007, ...).
    virtual void ArmEntryTimer(int timerId, int ms) {
        (void)timerId;
        (void)ms;
    }
    // A message to the main window (3333 device error / take-over, ...).
    virtual void PostMessage(int message, long wParam, long lParam) {
        (void)message;
        (void)wParam;
        (void)lParam;
    }
};
