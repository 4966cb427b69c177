// Measures what the discovery thread costs while four simulated devices are
// present and nothing changes.
//   discovery_cost [SECONDS]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "link/discovery.h"
#include "sim/sim_device.h"

namespace {

class CountingSink : public DiscoverySink {
public:
    void InterfaceArrived(int) override { ++arrivals; }
    void InterfaceRemoved(int) override { ++removals; }
    void FirstPassDone() override {}
    int arrivals = 0, removals = 0;
};

double CpuSeconds() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        std::perror("getrusage");
        std::exit(1);
    }
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    SimulatedDevice mouse(SimKind::Mouse, {}), keyboard(SimKind::Keyboard, {}), pad(SimKind::MousePad, {}),
        headset(SimKind::Headset, {});
    for (SimulatedDevice* d : {&mouse, &keyboard, &pad, &headset}) d->PlugCable();
    CountingSink sink;
    Discovery discovery(sink);
    discovery.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the first pass claims them
    const double before = CpuSeconds();
    const int enumerations = discovery.EnumerationCount();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = CpuSeconds() - before;
    std::printf("discovery with four devices present for %d s: %.4f s of CPU (%.4f %% of one core), "
                "%d enumerations, %d arrivals, %d removals\n",
                seconds, used, 100.0 * used / seconds, discovery.EnumerationCount() - enumerations,
                sink.arrivals, sink.removals);
    discovery.Stop();
    return 0;
}
