// A set of simulated devices and receivers, built from a list of what to
// simulate: plugs them all onto the virtual bus, hands each out by kind, and
// saves or restores the memory of every device (so several runs of a program
// act on the same devices).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_device.h"

struct SimDeviceSpec {
    enum Connection { Cable, Receiver, Both };
    SimKind kind = SimKind::Mouse;
    Connection connection = Cable;
    SimOptions options;
    bool radioReachable = true;
    bool realisticTiming = false;  // about 1 ms per report each way, as a real endpoint
};

const char* SimConnectionName(SimDeviceSpec::Connection connection);  // "cable", "receiver", "both"
bool SimConnectionFromName(std::string_view name, SimDeviceSpec::Connection& connection);

// The mouse, keyboard, mouse pad and headset, each by cable, with factory values.
std::vector<SimDeviceSpec> DefaultSimSpecs();

// Checks one device list: a receiver only for the mouse and the keyboard, each
// kind at most once. False with a message otherwise.
bool CheckSimSpecs(const std::vector<SimDeviceSpec>& specs, std::string& error);

// Parses the LIST of --simulate=LIST: kinds ("mouse", "keyboard", "mousepad",
// "headset") separated by commas, each optionally followed by "@receiver" or
// "@both". The options of every device are the factory ones. False with a
// message when the list is empty or wrong.
bool ParseSimulateList(std::string_view list, std::vector<SimDeviceSpec>& specs,
                       std::string& error);

class SimWorld {
public:
    // The specs should have passed CheckSimSpecs; PlugAll refuses those that did not.
    explicit SimWorld(std::vector<SimDeviceSpec> specs);
    ~SimWorld();
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    // Plugs every cable (in list order), then every receiver. False when the
    // specs are inconsistent (nothing is plugged then).
    bool PlugAll();
    void UnplugAll();

    const std::vector<SimDeviceSpec>& Specs() const { return specs_; }
    // The device or receiver of a kind; null when the world has none.
    SimulatedDevice* Device(SimKind kind);
    SimulatedReceiver* Receiver(SimKind kind);

    // The memory of every device as a JSON document (hex strings), written whole
    // to a temporary file beside `path` and renamed over it.
    bool SaveState(const std::string& path, std::string& error) const;
    // Restores the memory of the devices the file names (devices of other kinds
    // are ignored). Nothing changes unless the whole file is valid.
    bool LoadState(const std::string& path, std::string& error);
    // The same two on text, for callers that keep the document themselves.
    std::string StateText() const;
    bool LoadStateText(const std::string& text, std::string& error);

private:
    struct Entry {
        SimDeviceSpec setup;
        std::unique_ptr<SimulatedDevice> device;
        std::unique_ptr<SimulatedReceiver> receiver;  // declared after the device it refers to
    };
    Entry* Find(SimKind kind);

    std::vector<SimDeviceSpec> specs_;
    std::vector<Entry> entries_;
};
