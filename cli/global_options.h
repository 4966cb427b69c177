// The options r730ctl takes before its command.
#pragma once

#include <string>

#include "sim/sim_config.h"

struct GlobalOptions {
    SimSelection sim;       // --simulate[=LIST], --sim-config FILE
    std::string statePath;  // --sim-state FILE
    bool trace = false;     // --trace
    bool help = false;      // -h, --help
    int commandIndex = 0;   // argv index of the command (argc when there is none)
};

// Reads the options up to the first argument that is not one. 0 on success,
// else the exit code for a usage error (message in error).
int ParseGlobalOptions(int argc, char** argv, GlobalOptions& options, std::string& error);
