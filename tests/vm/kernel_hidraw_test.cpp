// How the kernel's hidraw moves reports, checked on a uhid device the test
// drives itself, against what the virtual transport promises: the queue of an
// open node, input reports with an id the descriptor does not declare, report
// lengths, too short writes and writes after an unplug.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/hid_interface.h"
#include "link/hid_path.h"
#include "link/hidraw_transport.h"
#include "link/virtual_hid.h"
#include "tests/vm/bridge_process.h"
#include "tests/vm/raw_uhid_device.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kTestVendor = 0x1209, kTestProduct = 0x0001;

// One vendor collection, report id 4, 63 bytes in and out.
const Bytes kCommandCollection = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26,
    0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x01, 0x95, 0x3F, 0x91, 0x02,
    0xC0};

Bytes Report(uint8_t id, uint8_t tag, size_t length = 64) {
    Bytes r(length, 0);
    r[0] = id;
    if (length > 1) r[1] = tag;
    return r;
}

class KernelHidraw : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device_.Create(kTestVendor, kTestProduct, kCommandCollection));
        ASSERT_TRUE(WaitForHidrawNodes(kTestVendor, 1, 5000));
        HidInterface list;
        ASSERT_TRUE(list.Enumerate());
        while (const char* p = list.NextPath())
            if (HidPathNumber(p, "vid_") == kTestVendor) path_ = p;
        ASSERT_FALSE(path_.empty());
    }
    void TearDown() override {
        device_.Destroy();
        EXPECT_TRUE(WaitForHidrawNodes(kTestVendor, 0, 5000));
    }
    RawUhidDevice device_;
    std::string path_;
};

TEST_F(KernelHidraw, AFullQueueKeepsTheOldestReports) {
    HidInterface hid;
    ASSERT_TRUE(hid.Open(path_, true, true, true, false));
    for (int i = 0; i < 80; ++i) ASSERT_TRUE(device_.SendInput(Report(4, static_cast<uint8_t>(i))));
    uint8_t buf[64];
    size_t n = 0;
    size_t kept = 0;
    while (hid.Read(buf, sizeof buf, &n, 100) == 1) {
        EXPECT_EQ(buf[1], kept);
        ++kept;
    }
    EXPECT_EQ(kept, kVirtualQueueLimit);
}

TEST_F(KernelHidraw, InputOfAnUndeclaredReportIdNeverArrives) {
    std::shared_ptr<HidNode> node = OpenHidrawNode(std::string(HidPathNode(path_)), true, false);
    ASSERT_NE(node, nullptr);
    ASSERT_TRUE(device_.SendInput(Report(9, 1)));
    ASSERT_TRUE(device_.SendInput(Report(4, 2)));
    uint8_t buf[64];
    size_t n = 0;
    ASSERT_TRUE(node->Read(buf, sizeof buf, &n, 500));
    EXPECT_EQ(buf[0], 4);
    EXPECT_EQ(buf[1], 2);
    EXPECT_FALSE(node->Read(buf, sizeof buf, &n, 50));
}

TEST_F(KernelHidraw, ReportsShorterThanDeclaredAreDroppedLongerOnesArriveWhole) {
    HidInterface hid;
    ASSERT_TRUE(hid.Open(path_, true, true, true, false));
    struct Case { size_t sent, room, got; } cases[] = {
        {1, 64, 0},       // the id alone
        {63, 64, 0},      // one byte short of the declared 63 after the id
        {64, 64, 64},
        {100, 128, 100},  // longer than declared: not cut
        {64, 10, 10},     // more than the reader's room: the rest is lost
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        ASSERT_TRUE(device_.SendInput(Report(4, 7, c.sent)));
        Bytes buf(c.room);
        size_t n = 0;
        EXPECT_EQ(hid.Read(buf.data(), buf.size(), &n, c.got == 0 ? 100 : 500), c.got == 0 ? 0 : 1);
        EXPECT_EQ(n, c.got);
    }
    uint8_t buf[64];
    size_t n = 0;
    EXPECT_EQ(hid.Read(buf, sizeof buf, &n, 50), 0);  // the cut report left nothing behind
}

TEST_F(KernelHidraw, WritesReachTheDeviceAsWrittenOrFail) {
    HidInterface hid;
    ASSERT_TRUE(hid.Open(path_, true, true, true, false));
    size_t n = 0;
    struct Case { size_t length; bool passes; } cases[] = {
        {64, true}, {2, true}, {1, false}, {kVirtualMaxReport, true}, {kVirtualMaxReport + 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const Bytes frame = Report(4, 0x5A, c.length);
        EXPECT_EQ(hid.Write(frame.data(), frame.size(), &n, 500), c.passes ? 1 : 0);
        Bytes seen;
        if (c.passes) {
            EXPECT_EQ(n, c.length);
            ASSERT_TRUE(device_.NextOutput(seen, 500));
            EXPECT_EQ(seen, frame);
        } else {
            EXPECT_FALSE(device_.NextOutput(seen, 50));
        }
    }
    ASSERT_TRUE(device_.SendInput(Report(4, 1)));
    ASSERT_TRUE(device_.Destroy());
    // The report queued before the unplug is not handed out: the node is gone.
    uint8_t buf[64];
    EXPECT_EQ(hid.Read(buf, sizeof buf, &n, 100), 0);
    EXPECT_FALSE(hid.Present());
    const Bytes frame = Report(4, 1);
    EXPECT_EQ(hid.Write(frame.data(), frame.size(), &n, 100), 0);
}

}  // namespace
