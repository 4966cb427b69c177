#include "link/device_link.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "link/command_frame.h"
#include "link/debug_trace.h"
#include "link/result_codes.h"

namespace {

void CopyFrame(const uint8_t* frame, size_t frameLength, uint8_t* out64) {
    const size_t n = std::min(frameLength, kFrameSize);
    std::copy_n(frame, n, out64);
    std::fill(out64 + n, out64 + kFrameSize, uint8_t{0});
}

// Marks the link busy for the life of one transaction.
class BusyScope {
public:
    explicit BusyScope(std::atomic<bool>& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<bool>& busy_;
};

}  // namespace

DeviceLink::~DeviceLink() {
    opened_ = false;
    wired_.Close();
    receiver_.Close();
}

bool DeviceLink::SetTableLength(unsigned length) {
    const auto value = static_cast<uint16_t>(length);
    if (value > kMaxTableLength) return false;
    tableLength_ = value;
    return true;
}

void DeviceLink::SetConnection(int kind) {
    if (kind == kConnectionReceiver) {
        viaReceiver_ = true;
        chunkSize_ = kChunkReceiver;
    } else {
        viaReceiver_ = false;
        chunkSize_ = kChunkWired;
    }
}

void DeviceLink::TraceFrame(const char* title, const uint8_t* frame64) {
    DebugTrace(title);
    DebugTrace(FormatTraceLine(frame64));
    DebugTrace(FormatTraceLine(frame64 + 32));
}

int DeviceLink::Transact(const uint8_t* frame, size_t frameLength, uint8_t* reply,
                         size_t replyLength, size_t* bytesRead) {
    if (paused_) return kResultOk;
    BusyScope busy(busy_);
    size_t ignored = 0;
    size_t& got = bytesRead ? *bytesRead : ignored;
    got = 0;
    if (!opened_) return kResultNoReply;

    uint8_t sent[kFrameSize];
    CopyFrame(frame, frameLength, sent);
    const bool tracing = DebugTraceEnabled();
    if (tracing) TraceFrame("命令", sent);

    int result = kResultNoReply;
    for (int attempt = 0;;) {
        const bool receiver = viaReceiver_;
        const int timeout = receiver ? timeouts_.receiverMs : timeouts_.wiredMs;
        {
            std::lock_guard io(ioLock_);
            size_t written = 0;
            if (!Current().Write(sent, kFrameSize, &written, timeout)) return kResultWriteFailed;
        }
        std::lock_guard io(ioLock_);
        std::this_thread::sleep_for(std::chrono::milliseconds(timeouts_.pauseBeforeReadMs));
        result = Current().Read(reply, replyLength, &got, timeout);
        const bool echoed = result == 1 && replyLength > kFrameCommandByte &&
                            reply[kFrameCommandByte] == sent[kFrameCommandByte];
        if (echoed) break;
        if (receiver && result == 1 && replyLength > kFrameCommandByte &&
            reply[kFrameCommandByte] == kReplyReceiverUnreachable) {
            result = kResultReceiverRefused;
            break;
        }
        if (++attempt >= 2) break;  // a second mismatch hands the last reply on as it is
    }
    if (tracing) {
        uint8_t shown[kFrameSize] = {};
        std::copy_n(reply, std::min(replyLength, kFrameSize), shown);
        TraceFrame("返回", shown);
    }
    return result;
}

int DeviceLink::TransactQuiet(const uint8_t* frame, size_t frameLength, uint8_t* reply,
                              size_t replyLength, size_t* bytesRead) {
    BusyScope busy(busy_);
    size_t ignored = 0;
    size_t& got = bytesRead ? *bytesRead : ignored;
    got = 0;
    if (!opened_) return kResultNoReply;

    uint8_t sent[kFrameSize];
    CopyFrame(frame, frameLength, sent);
    const bool receiver = viaReceiver_;
    const int timeout = receiver ? timeouts_.quietReceiverMs : timeouts_.quietWiredMs;
    {
        std::lock_guard io(ioLock_);
        size_t written = 0;
        if (!Current().Write(sent, kFrameSize, &written, timeout)) return kResultWriteFailed;
    }
    std::lock_guard io(ioLock_);
    int result = kResultNoReply;
    for (int reads = 0; reads < 2; ++reads) {
        result = Current().Read(reply, replyLength, &got, timeout);
        if (result != 1 || replyLength <= kFrameCommandByte) continue;
        if (reply[kFrameCommandByte] == sent[kFrameCommandByte]) break;
        if (receiver && reply[kFrameCommandByte] == kReplyReceiverUnreachable)
            return kResultReceiverRefused;
    }
    return result;
}
