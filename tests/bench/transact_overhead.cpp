// Measures what one Transact costs on the virtual transport beyond the pause
// the device protocol demands before the reply is read.
//   transact_overhead [COUNT]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "link/command_frame.h"
#include "link/device_link.h"
#include "link/hid_path.h"
#include "link/result_codes.h"
#include "link/virtual_hid.h"

namespace {

const std::vector<uint8_t> kDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26,
    0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x01, 0x95, 0x3F, 0x91, 0x02, 0xC0};

class EchoDevice : public VirtualHidResponder {
public:
    VirtualWriteResult OnOutputReport(uint32_t id, const uint8_t* report, size_t length) override {
        uint8_t reply[64] = {4};
        reply[3] = length > 3 ? report[3] : 0;
        VirtualHidBus::Instance().SendInput(id, reply, sizeof reply);
        return VirtualWriteResult::Accepted;
    }
};

double MedianOverheadUs(DeviceLink& link, int count, int pauseMs) {
    LinkTimeouts t;
    t.pauseBeforeReadMs = pauseMs;
    link.SetTimeouts(t);
    CommandFrame frame{};
    BuildFrame(frame, 0x05, 0, 0, nullptr, 0);
    uint8_t reply[64];
    std::vector<double> us;
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        size_t n = 0;
        if (link.Transact(frame.data(), frame.size(), reply, sizeof reply, &n) != kResultOk) {
            std::fprintf(stderr, "transaction failed\n");
            std::exit(1);
        }
        const std::chrono::duration<double, std::micro> d = std::chrono::steady_clock::now() - start;
        us.push_back(d.count() - pauseMs * 1000.0);
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const uint32_t id = VirtualHidBus::Instance().Add({0x320F, 0x226E, 0x126, 1, kDescriptor},
                                                      std::make_shared<EchoDevice>());
    DeviceLink link;
    const std::string path = MakeHidPath(VirtualHidBus::NodeName(id), 0x320F, 0x226E, 1, 0);
    if (!link.WiredInterface().Open(path, true, true, true, false)) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    link.SetOpened(true);
    link.SetConnection(kConnectionCable);
    std::printf("median Transact overhead over %d frames, beyond the pause before the read:\n", count);
    std::printf("  with the 10 ms pause: %.1f us\n", MedianOverheadUs(link, count, 10));
    std::printf("  with no pause:        %.1f us\n", MedianOverheadUs(link, count, 0));
    return 0;
}
