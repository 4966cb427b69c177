#include "link/device_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "link/command_frame.h"
#include "link/debug_trace.h"
#include "link/result_codes.h"
#include "tests/link/scripted_interface.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Collects the debug texts of one test.
class TraceCapture {
public:
    TraceCapture() {
        SetDebugTraceSink([this](std::string_view t) {
            std::lock_guard lock(mutex_);
            lines_.emplace_back(t);
        });
    }
    ~TraceCapture() { SetDebugTraceSink(nullptr); }
    std::vector<std::string> Lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    size_t Count(const std::string& text) {
        auto lines = Lines();
        return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

ScriptedAnswer Echo(const Bytes& request, size_t) { return {VirtualWriteResult::Accepted, {ReplyTo(request)}}; }

LinkTimeouts Short() {
    LinkTimeouts t;
    t.wiredMs = 60;
    t.receiverMs = 250;
    t.quietWiredMs = 60;
    t.quietReceiverMs = 120;
    t.pauseBeforeReadMs = 1;
    return t;
}

// A link opened on a scripted node, the way the main window opens it.
struct OpenLink {
    ScriptedNode node;
    DeviceLink link;
    explicit OpenLink(ScriptedResponder::Handler handler, int connection = kConnectionCable)
        : node(std::move(handler)) {
        link.SetTimeouts(Short());
        std::lock_guard io(link.IoLock());
        HidInterface& hid = connection == kConnectionReceiver ? link.ReceiverInterface() : link.WiredInterface();
        EXPECT_TRUE(hid.Open(node.CommandPath(), true, true, true, false));
        link.SetOpened(true);
        link.SetConnection(connection);
    }
    int Transact(const Bytes& frame, uint8_t* reply) {
        size_t n = 0;
        return link.Transact(frame.data(), frame.size(), reply, 64, &n);
    }
};

Bytes Frame(uint8_t command, size_t length = 64) {
    CommandFrame f{};
    BuildFrame(f, command, 0, 0, nullptr, 0);
    Bytes b(f.begin(), f.end());
    b.resize(length, 0xEE);
    return b;
}

TEST(CommandFrame, ChecksumCoversBytes3To63) {
    uint8_t frame[64] = {};
    std::fill(frame + 3, frame + 64, 0xFF);
    SetFrameChecksum(frame);
    EXPECT_EQ(frame[1], 0xC3);
    EXPECT_EQ(frame[2], 0x3C);
    EXPECT_EQ(frame[0], 0);  // byte 0 is neither summed nor touched
}

TEST(CommandFrame, ReusedFrameKeepsThePreviousChunkBehindAShorterOne) {
    const Bytes first(56, 0x11), last(8, 0x22);
    CommandFrame f{};
    f.fill(0x77);
    BuildFrame(f, 6, 56, 0x0100, first.data(), first.size());
    EXPECT_EQ(f[0], 4);
    EXPECT_EQ(f[3], 6);
    EXPECT_EQ(f[4], 56);
    EXPECT_EQ(f[5], 0x00);
    EXPECT_EQ(f[6], 0x01);
    EXPECT_EQ(f[7], 0);
    RefillFrame(f, 8, 0x0138, last.data(), last.size());
    EXPECT_EQ(f[4], 8);
    EXPECT_EQ(f[5], 0x38);
    EXPECT_EQ(f[8 + 7], 0x22);
    EXPECT_EQ(f[8 + 8], 0x11);   // left over from the first chunk
    EXPECT_EQ(f[63], 0x11);
    EXPECT_EQ(f[1] | (f[2] << 8), FrameChecksum(f.data()));
}

TEST(DeviceLinkSettings, TableLengthAndConnection) {
    DeviceLink link;
    EXPECT_EQ(link.TableLength(), 512);
    EXPECT_EQ(link.ChunkSize(), 24);
    EXPECT_FALSE(link.ViaReceiver());
    struct { unsigned length; bool ok; uint16_t stored; } cases[] = {
        {513, false, 512}, {300, true, 300}, {512, true, 512}, {0x10005, true, 5}, {0xFFFF, false, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(link.SetTableLength(c.length), c.ok) << c.length;
        EXPECT_EQ(link.TableLength(), c.stored) << c.length;
    }
    link.SetConnection(kConnectionReceiver);
    EXPECT_TRUE(link.ViaReceiver());
    EXPECT_EQ(link.ChunkSize(), 24);
    link.SetConnection(kConnectionCable);
    EXPECT_FALSE(link.ViaReceiver());
    EXPECT_EQ(link.ChunkSize(), 56);
    link.SetConnection(0);
    EXPECT_EQ(link.ChunkSize(), 56);
}

TEST(DeviceLinkTransact, SendsExactly64BytesPaddedOrCut) {
    OpenLink t(Echo);
    uint8_t reply[64];
    const Bytes shortFrame = {4, 0x10, 0, 0x0A, 2};
    ASSERT_EQ(t.Transact(shortFrame, reply), kResultOk);
    const Bytes longFrame = Frame(0x0B, 70);
    ASSERT_EQ(t.Transact(longFrame, reply), kResultOk);
    const auto sent = t.node.Received();
    ASSERT_EQ(sent.size(), 2u);
    Bytes padded = shortFrame;
    padded.resize(64, 0);
    EXPECT_EQ(sent[0], padded);
    EXPECT_EQ(sent[1], Bytes(longFrame.begin(), longFrame.begin() + 64));
    EXPECT_EQ(reply[3], 0x0B);
    EXPECT_FALSE(t.link.Busy());
}

TEST(DeviceLinkTransact, NotOpenedOrPaused) {
    TraceCapture trace;
    OpenLink t(Echo);
    uint8_t reply[64] = {};
    size_t n = 99;
    t.link.SetOpened(false);
    EXPECT_EQ(t.link.Transact(Frame(1).data(), 64, reply, 64, &n), kResultNoReply);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(t.link.Busy());
    EXPECT_TRUE(t.node.Received().empty());

    t.link.SetOpened(true);
    t.link.SetPaused(true);
    EXPECT_EQ(t.Transact(Frame(1), reply), kResultOk);
    EXPECT_TRUE(t.node.Received().empty());
    EXPECT_TRUE(trace.Lines().empty());
    // The light stream is not held back by the pause.
    EXPECT_EQ(t.link.TransactQuiet(Frame(18).data(), 64, reply, 64, &n), kResultOk);
    EXPECT_EQ(t.node.Received().size(), 1u);
    EXPECT_TRUE(trace.Lines().empty());
}

TEST(DeviceLinkTransact, WrongEchoIsRetriedOnce) {
    TraceCapture trace;
    OpenLink t([](const Bytes& request, size_t index) {
        return ScriptedAnswer{VirtualWriteResult::Accepted,
                              {index == 0 ? ReplyWithCommand(0x33) : ReplyTo(request, 0, {0xAB})}};
    });
    uint8_t reply[64];
    EXPECT_EQ(t.Transact(Frame(5), reply), kResultOk);
    EXPECT_EQ(t.node.Received().size(), 2u);
    EXPECT_EQ(reply[3], 5);
    EXPECT_EQ(reply[8], 0xAB);
    EXPECT_EQ(trace.Count("命令"), 1u);
    EXPECT_EQ(trace.Count("返回"), 1u);
}

TEST(DeviceLinkTransact, SecondWrongEchoIsHandedOnAsRead) {
    OpenLink t([](const Bytes&, size_t index) {
        return ScriptedAnswer{VirtualWriteResult::Accepted, {ReplyWithCommand(static_cast<uint8_t>(0x40 + index))}};
    });
    uint8_t reply[64];
    EXPECT_EQ(t.Transact(Frame(5), reply), kResultOk);
    EXPECT_EQ(t.node.Received().size(), 2u);
    EXPECT_EQ(reply[3], 0x41);
}

TEST(DeviceLinkTransact, ReceiverRefusalEndsAtOnceButIsAMismatchOnTheCable) {
    auto refuse = [](const Bytes&, size_t) {
        return ScriptedAnswer{VirtualWriteResult::Accepted, {ReplyWithCommand(0xAA)}};
    };
    uint8_t reply[64];
    OpenLink viaReceiver(refuse, kConnectionReceiver);
    EXPECT_EQ(viaReceiver.Transact(Frame(3), reply), kResultReceiverRefused);
    EXPECT_EQ(viaReceiver.node.Received().size(), 1u);

    OpenLink cable(refuse, kConnectionCable);
    EXPECT_EQ(cable.Transact(Frame(3), reply), kResultOk);
    EXPECT_EQ(cable.node.Received().size(), 2u);

    size_t n = 0;
    OpenLink quiet(refuse, kConnectionReceiver);
    EXPECT_EQ(quiet.link.TransactQuiet(Frame(18).data(), 64, reply, 64, &n), kResultReceiverRefused);
}

TEST(DeviceLinkTransact, WriteFailureIsNotRetriedAndNotAnswered) {
    TraceCapture trace;
    OpenLink t([](const Bytes&, size_t) { return ScriptedAnswer{VirtualWriteResult::Failed, {}}; });
    uint8_t reply[64];
    EXPECT_EQ(t.Transact(Frame(2), reply), kResultWriteFailed);
    EXPECT_EQ(t.node.Received().size(), 1u);
    EXPECT_EQ(trace.Count("命令"), 1u);
    EXPECT_EQ(trace.Count("返回"), 0u);
    EXPECT_FALSE(t.link.Busy());
}

TEST(DeviceLinkTransact, TimeoutsFollowTheConnection) {
    auto stall = [](const Bytes&, size_t) { return ScriptedAnswer{VirtualWriteResult::Stalled, {}}; };
    uint8_t reply[64];
    size_t n = 0;
    struct Case { int connection; bool quiet; std::chrono::milliseconds expected; } cases[] = {
        {kConnectionCable, false, 60ms}, {kConnectionReceiver, false, 250ms},
        {kConnectionCable, true, 60ms}, {kConnectionReceiver, true, 120ms}};
    for (const auto& c : cases) {
        OpenLink t(stall, c.connection);
        const auto start = Clock::now();
        const int r = c.quiet ? t.link.TransactQuiet(Frame(2).data(), 64, reply, 64, &n)
                              : t.Transact(Frame(2), reply);
        const auto elapsed = Clock::now() - start;
        EXPECT_EQ(r, kResultWriteFailed);
        EXPECT_GE(elapsed, c.expected);
        EXPECT_LT(elapsed, c.expected + 150ms);
    }
}

TEST(DeviceLinkTransact, MissingReplyIsAskedForTwiceThenNoReply) {
    OpenLink t([](const Bytes&, size_t) { return ScriptedAnswer{}; });
    uint8_t reply[64];
    const auto start = Clock::now();
    EXPECT_EQ(t.Transact(Frame(4), reply), kResultNoReply);
    EXPECT_GE(Clock::now() - start, 120ms);  // two reads of 60 ms
    EXPECT_EQ(t.node.Received().size(), 2u);
}

TEST(DeviceLinkTransactQuiet, WritesOnceAndReadsAtMostTwice) {
    TraceCapture trace;
    OpenLink t([](const Bytes& request, size_t) {
        return ScriptedAnswer{VirtualWriteResult::Accepted, {ReplyWithCommand(0x01), ReplyTo(request)}};
    });
    uint8_t reply[64];
    size_t n = 0;
    EXPECT_EQ(t.link.TransactQuiet(Frame(18).data(), 64, reply, 64, &n), kResultOk);
    EXPECT_EQ(reply[3], 18);
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(t.node.Received().size(), 1u);
    EXPECT_TRUE(trace.Lines().empty());

    OpenLink silent([](const Bytes&, size_t) { return ScriptedAnswer{}; });
    EXPECT_EQ(silent.link.TransactQuiet(Frame(18).data(), 64, reply, 64, &n), kResultNoReply);
    EXPECT_EQ(silent.node.Received().size(), 1u);
}

TEST(DeviceLinkTransact, TraceHasTheProgramsFormat) {
    TraceCapture trace;
    OpenLink t(Echo);
    Bytes frame(64);
    for (size_t i = 0; i < 64; ++i) frame[i] = static_cast<uint8_t>(i);
    uint8_t reply[64];
    ASSERT_EQ(t.Transact(frame, reply), kResultOk);
    const auto lines = trace.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1],
              "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  "
              "18 19 1a 1b  1c 1d 1e 1f");
    EXPECT_EQ(lines[2].substr(0, 11), "20 21 22 23");
    EXPECT_EQ(lines[3], "返回");
    EXPECT_EQ(lines[4].substr(0, 11), "04 00 00 03");
}

TEST(DeviceLinkTransact, CloseFromAnotherThreadEndsAWaitingTransaction) {
    OpenLink t([](const Bytes&, size_t) { return ScriptedAnswer{}; });
    LinkTimeouts slow = Short();
    slow.wiredMs = 10000;
    t.link.SetTimeouts(slow);
    std::atomic<int> result{99};
    std::thread worker([&] {
        uint8_t reply[64];
        result = t.Transact(Frame(7), reply);
    });
    std::this_thread::sleep_for(50ms);
    const auto start = Clock::now();
    t.link.SetOpened(false);
    t.link.WiredInterface().Close();
    worker.join();
    EXPECT_LT(Clock::now() - start, 1000ms);
    EXPECT_NE(result, kResultOk);
}

TEST(DeviceLinkTransact, ConcurrentCommandsEachGetTheirOwnReply) {
    OpenLink t([](const Bytes& request, size_t) {
        return ScriptedAnswer{VirtualWriteResult::Accepted,
                              {ReplyTo(request, 0, Bytes(request.begin() + 8, request.begin() + 16))}};
    });
    constexpr int kThreads = 4, kFrames = 25;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int th = 0; th < kThreads; ++th) {
        threads.emplace_back([&, th] {
            for (int i = 0; i < kFrames; ++i) {
                CommandFrame f{};
                const uint8_t tag[2] = {static_cast<uint8_t>(th), static_cast<uint8_t>(i)};
                BuildFrame(f, static_cast<uint8_t>(0x10 + th), 2, 0, tag, 2);
                uint8_t reply[64] = {};
                size_t n = 0;
                std::lock_guard command(t.link.CommandLock());
                const int r = t.link.Transact(f.data(), f.size(), reply, 64, &n);
                if (r != kResultOk || reply[3] != f[3] || reply[8] != th || reply[9] != i) ++wrong;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(t.node.Received().size(), static_cast<size_t>(kThreads * kFrames));
}

}  // namespace
