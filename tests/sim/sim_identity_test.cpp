// The simulated devices present exactly the interfaces the program looks for.
#include <gtest/gtest.h>

#include "link/hid_interface.h"
#include "sim/sim_device.h"
#include "tests/sim/sim_link.h"

namespace {

struct Row {
    uint16_t vendor, product, interfaceNumber, collection, usagePage, usage;
};

// The supported interfaces: command collections (0xFF1C/0x92) and companion
// collections (0x0C/0x01) of the keyboard, mouse, mouse pad and headset.
constexpr Row kInterfaceTable[] = {
    {0x320F, 0x0000, 1, 4, 0xFF1C, 0x92}, {0x320F, 0x0000, 0, 3, 0x000C, 0x01},
    {0x320F, 0x226E, 1, 2, 0xFF1C, 0x92}, {0x320F, 0x226E, 0, 3, 0x000C, 0x01},
    {0x320F, 0x226F, 1, 2, 0xFF1C, 0x92}, {0x320F, 0x226F, 0, 3, 0x000C, 0x01},
    {0x320F, 0x1004, 1, 4, 0xFF1C, 0x92}, {0x320F, 0x1004, 0, 3, 0x000C, 0x01},
    {0x0C76, 0x1630, 3, 0, 0x000C, 0x01},
};

TEST(SimIdentity, EveryTableRowIsPresentWithItsUsagesAndReportLengths) {
    SimulatedDevice mouse(SimKind::Mouse, {}), keyboard(SimKind::Keyboard, {}),
        pad(SimKind::MousePad, {}), headset(SimKind::Headset, {});
    SimulatedReceiver mouseReceiver(mouse);
    for (SimulatedDevice* d : {&mouse, &keyboard, &pad, &headset}) ASSERT_TRUE(d->PlugCable());
    ASSERT_TRUE(mouseReceiver.Plug());

    for (const Row& row : kInterfaceTable) {
        SCOPED_TRACE(testing::Message() << std::hex << row.product << " mi " << row.interfaceNumber
                                        << " col " << row.collection);
        const std::string path = FindInterfacePath(row.vendor, row.product, row.interfaceNumber, row.collection);
        ASSERT_FALSE(path.empty());
        HidInterface probe;
        ASSERT_TRUE(probe.Open(path, true, false, true, false));
        EXPECT_EQ(probe.VendorId(), row.vendor);
        EXPECT_EQ(probe.ProductId(), row.product);
        EXPECT_EQ(probe.UsagePage(), row.usagePage);
        EXPECT_EQ(probe.Usage(), row.usage);
        EXPECT_EQ(probe.InterfaceNumber(), row.interfaceNumber);
        EXPECT_EQ(probe.CollectionNumber(), row.collection);
        if (row.usagePage == 0xFF1C || row.product == 0x1630) {
            EXPECT_EQ(probe.InputReportByteLength(), 64);
            EXPECT_EQ(probe.OutputReportByteLength(), 64);
        } else {
            EXPECT_EQ(probe.InputReportByteLength(), 3);
        }
    }
    // The ordinary collections beside them do not look like command interfaces.
    HidInterface probe;
    ASSERT_TRUE(probe.Open(FindInterfacePath(0x320F, 0x226E, 1, 1), true, false, true, false));
    EXPECT_EQ(probe.UsagePage(), 0x01);
    EXPECT_EQ(probe.Usage(), 0x06);
}

TEST(SimIdentity, PlugAndUnplugAreSeenByEnumerationAndListeners) {
    std::vector<VirtualHidEvent::Kind> events;
    const int token = VirtualHidBus::Instance().Subscribe([&](const VirtualHidEvent& e) { events.push_back(e.kind); });
    SimulatedDevice pad(SimKind::MousePad, {});
    EXPECT_TRUE(FindInterfacePath(0x320F, 0x1004, 1, 4).empty());
    ASSERT_TRUE(pad.PlugCable());
    EXPECT_FALSE(FindInterfacePath(0x320F, 0x1004, 1, 4).empty());
    pad.UnplugCable();
    EXPECT_TRUE(FindInterfacePath(0x320F, 0x1004, 1, 4).empty());
    EXPECT_TRUE(FindInterfacePath(0x320F, 0x1004, 0, 3).empty());
    VirtualHidBus::Instance().Unsubscribe(token);
    using K = VirtualHidEvent::Kind;
    EXPECT_EQ(events, (std::vector<K>{K::Added, K::Added, K::Removed, K::Removed}));
}

}  // namespace
