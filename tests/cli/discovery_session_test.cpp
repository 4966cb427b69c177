// The devices r730ctl finds: one device object per device however it is
// connected, with its command link opened on the right connection.
#include <gtest/gtest.h>

#include "cli/discovery_session.h"
#include "link/device_commands.h"
#include "link/result_codes.h"
#include "link/virtual_hid.h"
#include "sim/sim_world.h"
#include "tests/cli/device_rows.h"

namespace {

std::vector<SimDeviceSpec> Specs(const char* list) {
    std::vector<SimDeviceSpec> specs;
    std::string error;
    EXPECT_TRUE(ParseSimulateList(list, specs, error)) << error;
    return specs;
}

std::vector<DeviceRow> Rows(const std::vector<SessionDevice>& devices) {
    std::vector<DeviceRow> rows;
    for (const SessionDevice& d : devices)
        rows.push_back({d.kind, d.connection, d.vendorId, d.productId});
    return rows;
}

TEST(DiscoverySession, EachDeviceIsOneObjectOnItsBestConnection) {
    const struct {
        const char* list;
        std::vector<DeviceRow> expected;
    } cases[] = {
        {"mouse@both", {{"mouse", "both", 0x320F, 0x226E}}},
        {"keyboard@both", {{"keyboard", "both", 0x320F, 0x0000}}},
        {"headset,mousepad,keyboard,mouse", kAllFourByCable},
        {"mouse@receiver", {{"mouse", "receiver", 0x320F, 0x226F}}},
        // The keyboard's receiver has the keyboard's own ids and collections: the
        // first of its command interfaces found takes the cable's entry.
        {"keyboard@receiver", {{"keyboard", "cable", 0x320F, 0x0000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        SimWorld world(Specs(c.list));
        ASSERT_TRUE(world.PlugAll());
        DiscoverySession session;
        ASSERT_TRUE(session.Scan());
        const std::vector<SessionDevice> devices = session.Devices();
        EXPECT_EQ(Rows(devices), c.expected);
        for (const SessionDevice& d : devices) {
            SCOPED_TRACE(d.kind);
            DeviceLink& link = d.device->CommandLink();
            ASSERT_TRUE(link.Opened());
            const bool receiver = d.connection == "receiver";
            EXPECT_EQ(d.device->ThroughReceiver(), receiver);  // the cable wins when both are there
            const bool cableChunks = !receiver && (d.kind == "mouse" || d.kind == "keyboard");
            EXPECT_EQ(link.ChunkSize(), cableChunks ? 56 : 24);
            if (d.kind == "headset") continue;  // its firmware refuses the information block
            uint8_t info[kInfoBlockSize] = {};
            EXPECT_EQ(ReadInfoBlock(link, info), kResultOk);
        }
    }
}

TEST(DiscoverySession, ADeviceWithoutItsCommandInterfaceIsNotListed) {
    SimWorld world(Specs("mousepad,mouse"));
    ASSERT_TRUE(world.PlugAll());
    SimulatedDevice* pad = world.Device(SimKind::MousePad);
    VirtualHidBus::Instance().SetOpenRefused(pad->Cable().CommandId(), true);
    DiscoverySession session;
    ASSERT_TRUE(session.Scan());
    // The pad's companion interface alone makes a device object, but no device to list.
    EXPECT_EQ(Rows(session.Devices()),
              (std::vector<DeviceRow>{{"mouse", "cable", 0x320F, 0x226E}}));
    EXPECT_TRUE(session.Interfaces()[9].inUse);

    VirtualHidBus::Instance().SetOpenRefused(pad->Cable().CommandId(), false);
    ASSERT_TRUE(session.Scan());
    EXPECT_EQ(Rows(session.Devices()),
              (std::vector<DeviceRow>{{"mouse", "cable", 0x320F, 0x226E},
                                      {"mousepad", "cable", 0x320F, 0x1004}}));

    // Gone again: the object stays, the listing forgets it.
    world.Device(SimKind::Mouse)->UnplugCable();
    ASSERT_TRUE(session.Scan());
    EXPECT_EQ(Rows(session.Devices()),
              (std::vector<DeviceRow>{{"mousepad", "cable", 0x320F, 0x1004}}));
}

}  // namespace
