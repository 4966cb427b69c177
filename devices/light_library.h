// The lighting library of a device kind: its effect list (names, visibility,
// the device's mode numbers), its area names and the names of user-defined
// effects, read from "default_light.json" and the device's library file.
#pragma once

#include <string>
#include <vector>

namespace Json {
class Value;
}

struct LightLibraryLists {
    std::vector<std::string> effectNames;  // UTF-8
    std::vector<bool> visible;
    std::vector<int> modes;
    std::vector<std::string> areaNames;
    std::vector<std::string> customNames;
};

// Fills the lists from the row of each document; a missing row leaves the
// matching lists as they were.
void LoadLightLibrary(const Json::Value& defaultLight, const Json::Value& library, int row,
                      LightLibraryLists& lists);

// The index of the first effect whose mode number is `mode`, or -1.
int MapDeviceMode(const LightLibraryLists& lists, int mode);
