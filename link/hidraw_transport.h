// The Linux hidraw transport: nodes found through libudev (a sysfs scan, no
// daemon needed), opened with O_NONBLOCK, waited on with poll() beside an
// eventfd that Cancel() signals.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/hid_node.h"

inline constexpr const char* kHidrawNodePrefix = "/dev/";

// Appends the hidraw nodes present now. False when udev could not be queried.
bool ListHidrawNodes(std::vector<HidNodeInfo>& nodes);

// The node exists and belongs to the HID device `instance` (any, when empty).
bool HidrawNodePresent(const std::string& node, const std::string& instance);

std::shared_ptr<HidNode> OpenHidrawNode(const std::string& node, bool readAccess,
                                        bool writeAccess);
