// Measures what the lighting threads of four devices with animated effects
// cost together, as a share of one core.
//   lighting_cost [SECONDS]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "devices/device_types.h"
#include "devices/zentrel_usb_device.h"

namespace {

class BenchDevice : public CZentrelUSBDevice {
public:
    explicit BenchDevice(int type) { deviceType_ = type; }
    ~BenchDevice() override { StopThreads(); }
};

// Counts the frames the page would be asked to repaint; `shown` is whether
// the page is on screen.
class CountingView : public DeviceView {
public:
    explicit CountingView(bool shown) : shown_(shown) {}
    void FrameChanged() override { ++frames; }
    bool WantsFrames() const override { return shown_; }
    std::atomic<long> frames{0};

private:
    const bool shown_;
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

// Runs the four devices for `seconds` with `shownPages` of their pages on screen.
void Measure(int seconds, size_t shownPages) {
    struct Setup {
        int type;
        size_t leds;
        uint8_t effect, speed;
        bool overlays;
    } setups[] = {
        {kTypeMousePad, 15, 1, 4, false},   // spectrum, fastest
        {kTypeHeadset, 13, 2, 2, false},    // breathing
        {kTypeMousePad, 15, 4, 4, false},   // flash
        {kTypeHeadset, 13, 0, 3, true},     // wave step with breathing overlays on some LEDs
    };
    std::vector<std::unique_ptr<BenchDevice>> devices;
    std::vector<std::unique_ptr<CountingView>> views;
    for (const Setup& s : setups) {
        auto device = std::make_unique<BenchDevice>(s.type);
        auto view = std::make_unique<CountingView>(views.size() < shownPages);
        device->SetView(view.get());
        device->SetLedCount(s.leds);
        LightInfo light;
        light.selectItem = s.effect;
        light.light = 4;
        light.speed = s.speed;
        light.multiColor = 1;
        device->SetLightInfo(light);
        if (s.overlays) {
            std::vector<LightListItem> items(s.leds, LightListItem{255, 0, 0, 0, 0, 0, 0, 0, 1});
            items[0] = {0, 4, 2, 0, 1, 0, 0, 0, 1};
            items[5] = {0, 4, 4, 0, 0, 255, 0, 0, 1};
            device->SetOverlayList(items);
        }
        device->CommandLink().SetOpened(true);
        devices.push_back(std::move(device));
        views.push_back(std::move(view));
    }
    const double before = CpuSeconds();
    for (auto& d : devices) d->StartLightingThread();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    for (auto& d : devices) d->StopLightingThread();
    const double used = CpuSeconds() - before;
    long frames = 0;
    for (auto& v : views) frames += v->frames;
    std::printf("four animated devices, %zu page(s) shown, %d s: %.3f s of CPU = %.3f %% of one core, "
                "%ld frames published\n",
                shownPages, seconds, used, 100.0 * used / seconds, frames);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    Measure(seconds, 1);  // the application shows one device page at a time
    Measure(seconds, 0);  // window hidden, or the command-line tool
    Measure(seconds, 4);  // for comparison: every page on screen at once
    return 0;
}
