// The simulated devices of one r730ctl run: built from the simulation options,
// their memory loaded from the state file (when it exists) before they are
// plugged, and saved back to it when the run ends.
#pragma once

#include <memory>
#include <string>

#include "sim/sim_config.h"
#include "sim/sim_world.h"

class SimSession {
public:
    SimSession() = default;
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    // False with a message when the devices, configuration or state are wrong.
    bool Start(const SimSelection& selection, const std::string& statePath, std::string& error);
    // Saves the state (when a state file was named) and unplugs the devices.
    bool Finish(std::string& error);
    SimWorld* World() { return world_.get(); }

private:
    std::unique_ptr<SimWorld> world_;
    std::string statePath_;
};
