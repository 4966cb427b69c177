#include "cli/global_options.h"

int ParseGlobalOptions(int argc, char** argv, GlobalOptions& options, std::string& error) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.empty() || arg[0] != '-') break;
        const int taken = TakeSimOption(argc, argv, i, options.sim, error);
        if (taken < 0) return 2;
        if (taken > 0) continue;
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--sim-state" || arg.rfind("--sim-state=", 0) == 0) {
            if (arg == "--sim-state") {
                if (i + 1 >= argc) {
                    error = "--sim-state needs a file name";
                    return 2;
                }
                options.statePath = argv[++i];
            } else {
                options.statePath = arg.substr(12);
            }
            if (options.statePath.empty()) {
                error = "--sim-state needs a file name";
                return 2;
            }
        } else {
            error = "unknown option '" + arg + "' (see r730ctl --help)";
            return 2;
        }
    }
    if (!options.statePath.empty() && !options.sim.Active()) {
        error = "--sim-state needs --simulate or --sim-config";
        return 2;
    }
    options.commandIndex = i;
    return 0;
}
