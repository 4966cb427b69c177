#include "link/hid_interface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "link/hid_path.h"
#include "link/virtual_hid.h"
#include "tests/link/scripted_interface.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

ScriptedAnswer Silent(const Bytes&, size_t) { return {}; }

bool Send(const ScriptedNode& node, const Bytes& report) {
    return VirtualHidBus::Instance().SendInput(node.Id(), report.data(), report.size());
}

Bytes ConsumerReport(uint16_t usage) { return {3, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)}; }

TEST(HidPath, NumbersAreReadFromThePathIgnoringCase) {
    struct Case {
        const char* path;
        uint16_t mi, col, vid, pid;
    } cases[] = {
        {"/dev/hidraw3#vid_320f&pid_226e&mi_01&col02", 1, 2, 0x320F, 0x226E},
        {"\\\\?\\HID#VID_320F&PID_226E&MI_01&COL02#7&1a", 1, 2, 0x320F, 0x226E},
        {"/dev/hidraw0", 0, 0, 0, 0},
        {"x#vid_0c76&pid_1630&mi_03", 3, 0, 0x0C76, 0x1630},
        {"x&mi_&col", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(HidPathNumber(c.path, "&mi_"), c.mi);
        EXPECT_EQ(HidPathNumber(c.path, "&col"), c.col);
        EXPECT_EQ(HidPathNumber(c.path, "vid_"), c.vid);
        EXPECT_EQ(HidPathNumber(c.path, "pid_"), c.pid);
    }
    EXPECT_EQ(MakeHidPath("virtual:7", 0x320F, 0x226E, 1, 2), "virtual:7#vid_320f&pid_226e&mi_01&col02");
    EXPECT_EQ(MakeHidPath("/dev/hidraw1", 0x0C76, 0x1630, 3, 0), "/dev/hidraw1#vid_0c76&pid_1630&mi_03");
    EXPECT_EQ(HidPathNode("virtual:7#vid_320f"), "virtual:7");
}

TEST(HidInterfaceEnumerate, ListsOnePathPerTopLevelCollectionWhilePresent) {
    auto node = std::make_unique<ScriptedNode>(Silent);
    HidInterface hid;
    EXPECT_EQ(hid.NextPath(), nullptr);  // nothing listed yet
    ASSERT_TRUE(hid.Enumerate());
    std::vector<std::string> paths;
    while (const char* p = hid.NextPath()) paths.emplace_back(p);
    EXPECT_EQ(hid.NextPath(), nullptr);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), node->ConsumerPath()), 1);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), node->CommandPath()), 1);

    const std::string gone = node->CommandPath();
    node.reset();
    ASSERT_TRUE(hid.Enumerate());
    while (const char* p = hid.NextPath()) EXPECT_NE(gone, p);
    hid.FreePaths();
    EXPECT_EQ(hid.NextPath(), nullptr);
}

TEST(HidInterfaceOpen, ReportsIdentityAndLayoutOfTheCollection) {
    ScriptedNode node(Silent);
    HidInterface command;
    ASSERT_TRUE(command.Open(node.CommandPath(), true, true, true, false));
    EXPECT_EQ(command.VendorId(), 0x320F);
    EXPECT_EQ(command.ProductId(), 0x226E);
    EXPECT_EQ(command.VersionNumber(), 0x0126);
    EXPECT_EQ(command.UsagePage(), 0xFF1C);
    EXPECT_EQ(command.Usage(), 0x92);
    EXPECT_EQ(command.InputReportByteLength(), 64);
    EXPECT_EQ(command.OutputReportByteLength(), 64);
    EXPECT_EQ(command.FeatureReportByteLength(), 0);
    EXPECT_EQ(command.InterfaceNumber(), 1);
    EXPECT_EQ(command.CollectionNumber(), 2);
    EXPECT_EQ(command.InputReportBuffer().size(), 64u);

    HidInterface consumer;
    ASSERT_TRUE(consumer.Open(node.ConsumerPath(), true, false, true, false));
    EXPECT_EQ(consumer.UsagePage(), 0x0C);
    EXPECT_EQ(consumer.Usage(), 0x01);
    EXPECT_EQ(consumer.InputReportByteLength(), 3);
    EXPECT_EQ(consumer.OutputReportByteLength(), 0);
    EXPECT_EQ(consumer.CollectionNumber(), 1);
}

TEST(HidInterfaceOpen, FailsWithoutKeepingAHandle) {
    ScriptedNode node(Silent);
    const std::string node0 = VirtualHidBus::NodeName(node.Id());
    const std::string tooLong = node.CommandPath() + std::string(260, 'x');
    for (const std::string& path : {std::string("virtual:999999#vid_320f"), tooLong,
                                    MakeHidPath(node0, 0x320F, 0x226E, 1, 3), std::string("/nonexistent/x")}) {
        SCOPED_TRACE(path);
        HidInterface hid;
        EXPECT_FALSE(hid.Open(path, true, true, true, false));
        EXPECT_FALSE(hid.IsOpen());
        size_t n = 9;
        uint8_t buf[64];
        EXPECT_EQ(hid.Write(buf, 64, &n, 10), 0);
        EXPECT_EQ(n, 0u);
    }
}

TEST(HidInterfaceRead, DeliversOnlyReportsOfItsOwnCollection) {
    ScriptedNode node(Silent);
    HidInterface command, consumer;
    ASSERT_TRUE(command.Open(node.CommandPath(), true, true, true, false));
    ASSERT_TRUE(consumer.Open(node.ConsumerPath(), true, true, true, false));
    Bytes reply = ReplyWithCommand(0x21);
    ASSERT_TRUE(Send(node, ConsumerReport(0xE9)));
    ASSERT_TRUE(Send(node, reply));

    uint8_t buf[64] = {};
    size_t n = 0;
    ASSERT_EQ(command.Read(buf, sizeof buf, &n, 1000), 1);
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(Bytes(buf, buf + 64), reply);

    ASSERT_EQ(consumer.Read(buf, sizeof buf, &n, 1000), 1);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(Bytes(buf, buf + 3), ConsumerReport(0xE9));
    EXPECT_EQ(consumer.Read(buf, sizeof buf, &n, 20), 0);  // the vendor reply was not for it
}

TEST(HidInterfaceRead, TimesOutWithNothingRead) {
    ScriptedNode node(Silent);
    HidInterface hid;
    ASSERT_TRUE(hid.Open(node.CommandPath(), true, true, true, false));
    uint8_t buf[64];
    size_t n = 7;
    const auto start = Clock::now();
    EXPECT_EQ(hid.Read(buf, sizeof buf, &n, 80), 0);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(n, 0u);
    EXPECT_GE(elapsed, 80ms);
    EXPECT_LT(elapsed, 1000ms);
}

TEST(HidInterfaceRead, CloseFromAnotherThreadEndsAnEndlessWait) {
    ScriptedNode node(Silent);
    HidInterface hid;
    ASSERT_TRUE(hid.Open(node.CommandPath(), true, true, true, false));
    std::atomic<int> result{-1};
    std::thread reader([&] {
        uint8_t buf[64];
        size_t n = 0;
        result = hid.Read(buf, sizeof buf, &n, -1);
    });
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(result, -1);  // still waiting
    const auto start = Clock::now();
    hid.Close();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_FALSE(hid.IsOpen());
}

TEST(HidInterfaceRead, UnplugFailsPendingAndLaterTransfers) {
    ScriptedNode node(Silent);
    HidInterface hid;
    ASSERT_TRUE(hid.Open(node.CommandPath(), true, true, true, false));
    EXPECT_TRUE(hid.Present());
    std::atomic<int> result{-1};
    std::thread reader([&] {
        uint8_t buf[64];
        size_t n = 0;
        result = hid.Read(buf, sizeof buf, &n, -1);
    });
    std::this_thread::sleep_for(20ms);
    node.Unplug();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(hid.Present());
    uint8_t frame[64] = {4};
    size_t n = 0;
    EXPECT_EQ(hid.Write(frame, 64, &n, 100), 0);
    EXPECT_EQ(hid.Read(frame, 64, &n, 0), 0);
    EXPECT_FALSE(hid.Open(node.CommandPath(), true, true, true, false));
}

TEST(HidInterfaceRead, EveryOpenHasItsOwnBoundedQueue) {
    ScriptedNode node(Silent);
    HidInterface first, second;
    ASSERT_TRUE(first.Open(node.CommandPath(), true, true, true, false));
    ASSERT_TRUE(second.Open(node.CommandPath(), true, true, true, false));
    for (int i = 0; i < 70; ++i) ASSERT_TRUE(Send(node, ReplyWithCommand(static_cast<uint8_t>(i))));
    uint8_t buf[64];
    size_t n = 0;
    ASSERT_EQ(second.Read(buf, sizeof buf, &n, 100), 1);
    EXPECT_EQ(buf[3], 0);
    // A full queue drops the newest reports: the oldest are kept in order (63, as
    // hidraw keeps them).
    for (int i = 0; i < static_cast<int>(kVirtualQueueLimit); ++i) {
        ASSERT_EQ(first.Read(buf, sizeof buf, &n, 100), 1);
        EXPECT_EQ(buf[3], i);
    }
    EXPECT_EQ(first.Read(buf, sizeof buf, &n, 10), 0);
}

TEST(HidInterfaceRead, ReportsWithoutIdGetAZeroIdByte) {
    // A three-button mouse without report ids.
    const Bytes mouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
                         0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01,
                         0x81, 0x02, 0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30,
                         0x09, 0x31, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06,
                         0xC0, 0xC0};
    VirtualHidSpec setup{0x1234, 0x5678, 1, 0, mouse};
    const uint32_t id = VirtualHidBus::Instance().Add(setup, nullptr);
    HidInterface hid;
    ASSERT_TRUE(hid.Open(MakeHidPath(VirtualHidBus::NodeName(id), 0x1234, 0x5678, 0, 0), true, true, true, false));
    EXPECT_EQ(hid.InputReportByteLength(), 4);
    const Bytes raw = {0x05, 0xFB, 0x02};  // buttons 1 and 3, x = -5, y = 2
    ASSERT_TRUE(VirtualHidBus::Instance().SendInput(id, raw.data(), raw.size()));
    uint8_t buf[4] = {9, 9, 9, 9};
    size_t n = 0;
    ASSERT_EQ(hid.Read(buf, sizeof buf, &n, 100), 1);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(Bytes(buf, buf + 4), (Bytes{0, 0x05, 0xFB, 0x02}));
    ASSERT_TRUE(hid.UnpackInputReport(buf, n));
    const auto& entries = hid.InputDataEntries();
    ASSERT_EQ(entries.size(), 3u);  // the buttons, then x and y
    EXPECT_TRUE(entries[0].isButton);
    EXPECT_EQ(entries[0].usages[0], 1);
    EXPECT_EQ(entries[0].usages[1], 3);
    EXPECT_EQ(entries[0].usages[2], 0);
    EXPECT_EQ(entries[1].usage, 0x30);
    EXPECT_EQ(entries[1].scaledValue, -5);
    EXPECT_EQ(entries[2].scaledValue, 2);
    VirtualHidBus::Instance().Remove(id);
}

TEST(HidInterfaceUnpack, TouchesOnlyEntriesOfTheReportsId) {
    ScriptedNode node(Silent);
    HidInterface consumer;
    ASSERT_TRUE(consumer.Open(node.ConsumerPath(), true, false, true, false));
    ASSERT_FALSE(consumer.InputDataEntries().empty());
    const Bytes other = {4, 1, 2};
    EXPECT_TRUE(consumer.UnpackInputReport(other.data(), other.size()));
    EXPECT_FALSE(consumer.InputDataEntries()[0].isSet);

    const Bytes report = ConsumerReport(0x10C2);  // outside the 0..0x3FF range: no usage
    EXPECT_TRUE(consumer.UnpackInputReport(report.data(), report.size()));
    EXPECT_EQ(consumer.InputDataEntries()[0].usages[0], 0);
    const Bytes volumeUp = ConsumerReport(0xE9);
    EXPECT_TRUE(consumer.UnpackInputReport(volumeUp.data(), volumeUp.size()));
    const HidDataEntry& e = consumer.InputDataEntries()[0];
    EXPECT_TRUE(e.isSet);
    EXPECT_EQ(e.status, HIDP_STATUS_SUCCESS);
    EXPECT_EQ(e.usages[0], 0xE9);
}

TEST(HidInterfaceWrite, DeliversTheReportOrFailsAsTheDeviceDecides) {
    ScriptedNode node([](const Bytes& request, size_t) {
        ScriptedAnswer a;
        if (request[3] == 1) a.write = VirtualWriteResult::Failed;
        if (request[3] == 2) a.write = VirtualWriteResult::Stalled;
        return a;
    });
    HidInterface hid;
    ASSERT_TRUE(hid.Open(node.CommandPath(), true, true, true, false));
    uint8_t frame[64] = {4, 0x11, 0x22, 0, 5};
    const Bytes first(frame, frame + 64);
    size_t n = 0;
    EXPECT_EQ(hid.Write(frame, 64, &n, 100), 1);
    EXPECT_EQ(n, 64u);
    frame[3] = 1;
    EXPECT_EQ(hid.Write(frame, 64, &n, 100), 0);
    frame[3] = 2;
    const auto start = Clock::now();
    EXPECT_EQ(hid.Write(frame, 64, &n, 60), 0);
    EXPECT_GE(Clock::now() - start, 60ms);
    ASSERT_EQ(node.Received().size(), 3u);
    EXPECT_EQ(node.Received()[0], first);  // byte for byte, report id first

    HidInterface readOnly;
    ASSERT_TRUE(readOnly.Open(node.CommandPath(), true, false, true, false));
    frame[3] = 0;
    EXPECT_EQ(readOnly.Write(frame, 64, &n, 100), 0);
    EXPECT_EQ(node.Received().size(), 3u);
}

// What the kernel does with a uhid device's reports (checked in the virtual
// machine test), the virtual bus does too.
TEST(VirtualHidBus, MovesReportsAsHidrawDoes) {
    ScriptedNode node(Silent);
    std::shared_ptr<HidNode> raw = OpenHidNode(VirtualHidBus::NodeName(node.Id()), true, true);
    ASSERT_NE(raw, nullptr);
    Bytes shortReply = ReplyWithCommand(2);
    shortReply.pop_back();  // one byte short of the declared 63 after the id
    struct Case { Bytes sent; size_t delivered; } inputs[] = {
        {Bytes(64, 9), 0},                // id 9 is no input report of the node
        {ReplyWithCommand(1), 64},
        {shortReply, 0},
        {Bytes{4}, 0},                    // the id alone
        {Bytes(100, 4), 100},             // longer than declared: whole
        {ConsumerReport(0xE9), 3},
    };
    for (const Case& c : inputs) {
        SCOPED_TRACE(c.sent.size());
        EXPECT_TRUE(Send(node, c.sent));
        uint8_t buf[128];
        size_t n = 0;
        EXPECT_EQ(raw->Read(buf, sizeof buf, &n, c.delivered ? 100 : 10), c.delivered != 0);
        EXPECT_EQ(n, c.delivered);
    }
    struct Write { size_t length; bool passes; } writes[] = {
        {1, false}, {2, true}, {kVirtualMaxReport, true}, {kVirtualMaxReport + 1, false}};
    for (const Write& w : writes) {
        const Bytes frame(w.length, 4);
        size_t n = 0;
        EXPECT_EQ(raw->Write(frame.data(), frame.size(), &n, 100), w.passes) << w.length;
    }
    EXPECT_EQ(node.Received().size(), 2u);
}

TEST(VirtualHidBus, ReportsArrivalsAndRemovals) {
    std::vector<std::pair<VirtualHidEvent::Kind, uint32_t>> events;
    const int token = VirtualHidBus::Instance().Subscribe(
        [&](const VirtualHidEvent& e) { events.emplace_back(e.kind, e.interfaceId); });
    uint32_t id;
    {
        ScriptedNode node(Silent);
        id = node.Id();
    }
    VirtualHidBus::Instance().Unsubscribe(token);
    { ScriptedNode unseen(Silent); }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_pair(VirtualHidEvent::Kind::Added, id));
    EXPECT_EQ(events[1], std::make_pair(VirtualHidEvent::Kind::Removed, id));
}

}  // namespace
