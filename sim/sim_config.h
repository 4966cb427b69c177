// The simulated-device configuration file (JSON) and the command-line options
// that choose the simulated devices, shared by every program that offers them.
//
//   {
//     "devices": [
//       { "kind": "mouse", "connection": "both", "sensor_id": "0x3104", "battery": 60 },
//       { "kind": "mousepad", "phone_type": 2 }
//     ]
//   }
//
// Each entry: "kind" (required), "connection" ("cable", "receiver", "both"),
// "radio_reachable", and the memory values of SimOptions: "sensor_id",
// "key_slots", "macro_capacity", "host_flag", "battery", "charging",
// "phone_type", "firmware_version", "profiles". Without "devices" the four
// default devices are simulated. Unknown keys are ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_world.h"

// Parses a configuration document. False with a message naming the bad value.
bool ParseSimConfig(std::string_view text, std::vector<SimDeviceSpec>& specs, std::string& error);
// Reads and parses a configuration file (the message starts with the path).
bool LoadSimConfig(const std::string& path, std::vector<SimDeviceSpec>& specs, std::string& error);

// What the command line asked to simulate.
struct SimSelection {
    bool simulate = false;   // --simulate or --simulate=LIST seen
    bool listGiven = false;  // --simulate=LIST
    std::string list;
    std::string configPath;  // --sim-config FILE

    bool Active() const { return simulate || !configPath.empty(); }
};

// Takes argv[i] when it is "--simulate", "--simulate=LIST", "--sim-config FILE"
// or "--sim-config=FILE" (moving i onto FILE). 1: taken, 0: not one of these,
// -1: wrong, a LIST included (message in error).
int TakeSimOption(int argc, char** argv, int& i, SimSelection& selection, std::string& error);

// The devices to simulate: those of the list (default: the four by cable, or
// the configuration's devices when a file is given). A device of the list that
// the configuration also describes takes the configuration's values and radio
// state, and the list's connection.
bool ResolveSimSpecs(const SimSelection& selection, std::vector<SimDeviceSpec>& specs,
                     std::string& error);
