// The device object of a profile or default file: element [index] of the
// top-level "Device" array.
#pragma once

#include <json/json.h>

// file["Device"][index] when it is an object, else a null value.
const Json::Value& DeviceObjectOf(const Json::Value& file, int index);

// file["Device"][index] ← device; a file that is no object becomes one, a
// missing "Device" array is created, every other member and element stays.
// Returns 0, or EINVAL when index is out of range.
int PutDeviceObject(Json::Value& file, int index, const Json::Value& device);
