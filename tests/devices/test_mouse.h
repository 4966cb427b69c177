// A mouse object set up as the device manager sets up the real one, with
// short link timeouts for the simulated devices.
#pragma once

#include "devices/zentrel_mouse_device.h"

inline void SetUpTestMouse(CZentrelMouseDevice& mouse) {
    mouse.SetFolderName("mouse");
    mouse.SetLibraryName("ozmar_light");
    mouse.SetLibraryRow(1);
    mouse.SetLedCount(15);
    mouse.SetKeyCount(11);
    mouse.SetWireless(true);
    mouse.LoadLibraries();
    LinkTimeouts t;
    t.wiredMs = t.receiverMs = 300;
    t.pauseBeforeReadMs = 1;
    mouse.CommandLink().SetTimeouts(t);
}
