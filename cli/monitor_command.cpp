#include "cli/monitor_command.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/device_monitor.h"
#include "cli/stop_signals.h"

namespace {

constexpr double kLongestRunSeconds = 366.0 * 24 * 3600;
// How often the wait looks whether the discovery thread has ended by itself.
constexpr int kThreadCheckMs = 1000;

bool ParseSeconds(const char* text, long long& ms) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(seconds) || seconds <= 0 ||
        seconds > kLongestRunSeconds)
        return false;
    ms = std::llround(seconds * 1000);
    return true;
}

// -1 for "until a signal"; false with a message on wrong use.
bool ParseArguments(int argc, char** argv, int first, long long& ms, std::string& error) {
    ms = -1;
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = nullptr;
        if (arg == "--for") {
            if (i + 1 >= argc) {
                error = "monitor: --for needs a number of seconds";
                return false;
            }
            value = argv[++i];
        } else if (arg.rfind("--for=", 0) == 0) {
            value = argv[i] + 6;
        } else {
            error = "monitor: unknown argument '" + arg + "'";
            return false;
        }
        if (!ParseSeconds(value, ms)) {
            error = "monitor: --for takes a number of seconds above 0, not '" +
                    std::string(value) + "'";
            return false;
        }
    }
    return true;
}

}  // namespace

int RunMonitorCommand(int argc, char** argv, int first, std::FILE* out, std::FILE* err) {
    long long limitMs = -1;
    std::string error;
    if (!ParseArguments(argc, argv, first, limitMs, error)) {
        std::fprintf(err, "r730ctl: %s\n", error.c_str());
        return 2;
    }
    StopSignals signals;  // before the thread starts, so no signal can end the process
    if (!signals.Ok()) {
        std::fprintf(err, "r730ctl: monitor: cannot watch for SIGINT and SIGTERM\n");
        return 1;
    }
    using Time = std::chrono::steady_clock;
    const Time::time_point end = Time::now() + std::chrono::milliseconds(std::max(limitMs, 0LL));
    DeviceMonitor monitor(out);
    monitor.Start();
    int code = 0;
    for (;;) {
        long long wait = kThreadCheckMs;
        if (limitMs >= 0) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(end - Time::now()).count();
            if (left <= 0) break;
            wait = std::min<long long>(wait, left);
        }
        if (signals.Wait(static_cast<int>(wait))) break;
        if (!monitor.Running()) {
            std::fprintf(err, "r730ctl: monitor: cannot list HID interfaces (udev unavailable)\n");
            code = 1;
            break;
        }
    }
    monitor.Stop();
    return code;
}
