// Opens a DeviceLink on a simulated device the way the program does: find the
// command interface by enumeration, open it under the I/O lock, set the
// connection.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "link/device_link.h"
#include "sim/sim_device.h"

// The path of the interface with these numbers among the interfaces present, or empty.
std::string FindInterfacePath(uint16_t vendor, uint16_t product, uint16_t interfaceNumber,
                              uint16_t collection);

// Opens `link` on the command interface of a cable (kConnectionCable) or receiver connection.
bool OpenLinkOn(DeviceLink& link, SimKind kind, SimConnection& connection, int connectionKind);

// Timeouts short enough for tests that wait for a missing reply, and a 1 ms pause.
LinkTimeouts FastTimeouts();
