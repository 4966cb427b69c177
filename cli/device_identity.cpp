#include "cli/device_identity.h"

#include <algorithm>

namespace {

struct KnownInterface {
    uint16_t vendorId;
    uint16_t productId;
    const char* kind;
    bool receiver;
};

// The keyboard's receiver has the keyboard's own ids; see IdentifyDevices.
constexpr KnownInterface kKnown[] = {
    {0x320F, 0x226E, "mouse", false},    {0x320F, 0x226F, "mouse", true},
    {0x320F, 0x0000, "keyboard", false}, {0x320F, 0x1004, "mousepad", false},
    {0x0C76, 0x1630, "headset", false},
};
constexpr const char* kKindOrder[] = {"mouse", "keyboard", "mousepad", "headset"};

constexpr uint16_t kCommandUsagePage = 0xFF1C;
constexpr uint16_t kCommandUsage = 0x92;
constexpr uint16_t kHeadsetVendor = 0x0C76;
constexpr uint16_t kHeadsetProduct = 0x1630;
constexpr uint16_t kHeadsetInterface = 3;

struct Seen {
    const KnownInterface* row;
    bool receiver;
    std::string path;
};

}  // namespace

bool IsCommandInterface(const ProbedInterface& p) {
    if (p.vendorId == kHeadsetVendor && p.productId == kHeadsetProduct)
        return p.interfaceNumber == kHeadsetInterface;
    return p.usagePage == kCommandUsagePage && p.usage == kCommandUsage;
}

std::vector<FoundDevice> IdentifyDevices(const std::vector<ProbedInterface>& interfaces) {
    std::vector<Seen> seen;
    for (const ProbedInterface& p : interfaces) {
        if (!IsCommandInterface(p)) continue;
        const auto row =
            std::find_if(std::begin(kKnown), std::end(kKnown), [&](const KnownInterface& k) {
                return k.vendorId == p.vendorId && k.productId == p.productId;
            });
        if (row == std::end(kKnown)) continue;
        bool receiver = row->receiver;
        if (std::string(row->kind) == "keyboard") {
            const auto before = std::count_if(seen.begin(), seen.end(),
                                              [&](const Seen& s) { return s.row == row; });
            receiver = before % 2 == 1;
        }
        seen.push_back({row, receiver, p.path});
    }

    std::vector<FoundDevice> devices;
    for (const char* kind : kKindOrder) {
        std::vector<const Seen*> cables, receivers;
        for (const Seen& s : seen) {
            if (std::string(s.row->kind) != kind) continue;
            (s.receiver ? receivers : cables).push_back(&s);
        }
        const size_t both = std::min(cables.size(), receivers.size());
        for (size_t i = 0; i < std::max(cables.size(), receivers.size()); ++i) {
            const Seen* cable = i < cables.size() ? cables[i] : nullptr;
            const Seen* receiver = i < receivers.size() ? receivers[i] : nullptr;
            const KnownInterface* row = cable ? cable->row : receiver->row;
            const char* connection = i < both ? "both" : (cable ? "cable" : "receiver");
            devices.push_back({kind, connection, row->vendorId, row->productId,
                               cable ? cable->path : std::string(),
                               receiver ? receiver->path : std::string()});
        }
    }
    return devices;
}
