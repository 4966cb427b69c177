#include "cli/sim_session.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

bool SimSession::Start(const SimSelection& selection, const std::string& statePath,
                       std::string& error) {
    std::vector<SimDeviceSpec> specs;
    if (!ResolveSimSpecs(selection, specs, error)) return false;
    auto world = std::make_unique<SimWorld>(std::move(specs));
    if (!statePath.empty()) {
        struct stat st {};
        if (stat(statePath.c_str(), &st) == 0) {
            if (!world->LoadState(statePath, error)) return false;
        } else if (errno != ENOENT) {
            error = "cannot look at " + statePath + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!world->PlugAll()) {
        error = "cannot plug the simulated devices";
        return false;
    }
    world_ = std::move(world);
    statePath_ = statePath;
    return true;
}

bool SimSession::Finish(std::string& error) {
    if (!world_) return true;
    world_->UnplugAll();
    const bool saved = statePath_.empty() || world_->SaveState(statePath_, error);
    world_.reset();
    return saved;
}
