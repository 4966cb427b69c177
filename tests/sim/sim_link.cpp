#include "tests/sim/sim_link.h"

#include <mutex>

#include "link/hid_interface.h"
#include "link/hid_path.h"
#include "link/virtual_hid.h"
#include "sim/sim_descriptors.h"

std::string FindInterfacePath(uint16_t vendor, uint16_t product, uint16_t interfaceNumber,
                              uint16_t collection) {
    HidInterface list;
    if (!list.Enumerate()) return {};
    while (const char* p = list.NextPath()) {
        const std::string path = p;
        if (HidPathNumber(path, "vid_") == vendor && HidPathNumber(path, "pid_") == product &&
            HidPathNumber(path, "&mi_") == interfaceNumber && HidPathNumber(path, "&col") == collection)
            return path;
    }
    return {};
}

bool OpenLinkOn(DeviceLink& link, SimKind kind, SimConnection& connection, int connectionKind) {
    const std::string path = connection.CommandPath();
    std::lock_guard io(link.IoLock());
    HidInterface& hid = connectionKind == kConnectionReceiver ? link.ReceiverInterface() : link.WiredInterface();
    if (!hid.Open(path, true, true, true, false)) return false;
    link.SetOpened(true);
    if (kind == SimKind::Mouse || kind == SimKind::Keyboard) link.SetConnection(connectionKind);
    return true;
}

LinkTimeouts FastTimeouts() {
    LinkTimeouts t;
    t.wiredMs = 200;
    t.receiverMs = 200;
    t.quietWiredMs = 200;
    t.quietReceiverMs = 200;
    t.pauseBeforeReadMs = 1;
    return t;
}
