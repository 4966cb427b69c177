#include "link/device_commands.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "link/command_frame.h"
#include "link/debug_trace.h"
#include "link/result_codes.h"

namespace {

enum class Lock { Command, Light };

// The common result rule over one reply.
int ResultOf(int transact, const uint8_t* reply) {
    if (transact != kResultOk) return transact;
    if (reply[kFrameStatusByte] == kReplyStatusRefused) return kResultDeviceRefused;
    if (reply[kFrameStatusByte] == kReplyStatusBusy) return kResultDeviceBusy;
    return kResultOk;
}

std::recursive_mutex& LockOf(DeviceLink& link, Lock lock) {
    return lock == Lock::Light ? link.LightLock() : link.CommandLock();
}

// One frame exchange under the command or light lock.
int Exchange(DeviceLink& link, const CommandFrame& frame, uint8_t* reply, Lock lock,
             bool quiet = false) {
    std::lock_guard guard(LockOf(link, lock));
    size_t got = 0;
    const int r = quiet ? link.TransactQuiet(frame.data(), frame.size(), reply, kFrameSize, &got)
                        : link.Transact(frame.data(), frame.size(), reply, kFrameSize, &got);
    return ResultOf(r, reply);
}

int Simple(DeviceLink& link, uint8_t command, Lock lock = Lock::Command) {
    CommandFrame frame{};
    BuildFrame(frame, command, 0, 0, nullptr, 0);
    uint8_t reply[kFrameSize] = {};
    return Exchange(link, frame, reply, lock);
}

struct Chunking {
    uint8_t command;
    size_t total;
    uint32_t base;
    size_t chunk;
    Lock lock = Lock::Command;
};

// A chunked read: each reply's payload goes to destination at the position.
int ChunkedRead(DeviceLink& link, const Chunking& c, uint8_t* destination) {
    CommandFrame frame{};
    BuildFrame(frame, c.command, 0, 0, nullptr, 0);
    for (size_t pos = 0; pos < c.total; pos += c.chunk) {
        const size_t n = std::min(c.chunk, c.total - pos);
        RefillFrame(frame, static_cast<uint8_t>(n), static_cast<uint16_t>(c.base + pos), nullptr, 0);
        uint8_t reply[kFrameSize] = {};
        const int r = Exchange(link, frame, reply, c.lock);
        if (r != kResultOk) return r;
        std::copy_n(reply + kFramePayloadOffset, std::min(n, kFrameMaxPayload), destination + pos);
    }
    return kResultOk;
}

// A chunked write; with `skipWhileBusy` (the light stream) a chunk is dropped
// while another transaction holds the link.
int ChunkedWrite(DeviceLink& link, const Chunking& c, const uint8_t* source,
                 bool stream = false) {
    CommandFrame frame{};
    BuildFrame(frame, c.command, 0, 0, nullptr, 0);
    for (size_t pos = 0; pos < c.total; pos += c.chunk) {
        const size_t n = std::min(c.chunk, c.total - pos);
        if (stream && link.Busy()) {
            DebugTrace("放弃灯光数据");
            continue;
        }
        RefillFrame(frame, static_cast<uint8_t>(n), static_cast<uint16_t>(c.base + pos), source + pos, n);
        uint8_t reply[kFrameSize] = {};
        const int r = Exchange(link, frame, reply, c.lock, stream);
        if (r != kResultOk) return r;
    }
    return kResultOk;
}

}  // namespace

int OpenTransfer(DeviceLink& link) { return Simple(link, kCmdOpenTransfer); }

int CloseTransfer(DeviceLink& link) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Simple(link, kCmdCloseTransfer);
}

int ReadInfoBlock(DeviceLink& link, uint8_t* destination) {
    uint8_t gathered[kInfoBlockSize] = {};
    const int r = ChunkedRead(link, {kCmdReadInfoBlock, kInfoBlockSize, 0, link.ChunkSize()}, gathered);
    if (r == kResultOk) std::copy_n(gathered, kInfoBlockSize, destination);
    return r;
}

int WriteInfoBlock(DeviceLink& link, const uint8_t* source) {
    CommandFrame frame{};
    BuildFrame(frame, kCmdWriteInfoBlock, kInfoBlockSize, 0, source, kInfoBlockSize);
    uint8_t reply[kFrameSize] = {};
    return Exchange(link, frame, reply, Lock::Command);
}

int ReadSettings(DeviceLink& link, uint8_t* destination, size_t total, uint16_t base) {
    return ChunkedRead(link, {kCmdReadSettings, total, base, link.ChunkSize()}, destination);
}

int WriteSettings(DeviceLink& link, const uint8_t* source, size_t total, uint16_t base) {
    return ChunkedWrite(link, {kCmdWriteSettings, total, base, link.ChunkSize()}, source);
}

int ReadKeyTable(DeviceLink& link, uint8_t* destination) {
    return ChunkedRead(link, {kCmdReadKeyTable, link.TableLength(), 0, link.ChunkSize()}, destination);
}

int WriteKeyTable(DeviceLink& link, const uint8_t* source, int block) {
    if (block != 0) return kResultBadBlock;
    return ChunkedWrite(link, {kCmdWriteKeyTable, link.TableLength(), 0, link.ChunkSize()}, source);
}

int ReadLightTable(DeviceLink& link, uint8_t* destination, size_t total, int block,
                   size_t blockSize) {
    const auto base = static_cast<uint32_t>(block * blockSize);
    return ChunkedRead(link, {kCmdReadLightTable, total, base, link.ChunkSize()}, destination);
}

int WriteLightTable(DeviceLink& link, const uint8_t* source, size_t total, int block,
                    size_t blockSize) {
    const auto base = static_cast<uint32_t>(block * blockSize);
    return ChunkedWrite(link, {kCmdWriteLightTable, total, base, link.ChunkSize(), Lock::Light}, source);
}

int StreamLight(DeviceLink& link, const uint8_t* source, size_t total) {
    return ChunkedWrite(link, {kCmdStreamLight, total, 0, link.ChunkSize(), Lock::Light}, source, true);
}

int WriteMacroData(DeviceLink& link, const uint8_t* source, size_t total) {
    return ChunkedWrite(link, {kCmdWriteMacroData, total, 0, link.ChunkSize()}, source);
}

int WriteShootData(DeviceLink& link, const uint8_t* source, size_t total) {
    return ChunkedWrite(link, {kCmdWriteShootData, total, 0, kShootChunkSize}, source);
}

int ReadStatus(DeviceLink& link, uint8_t* destination, uint8_t count, uint16_t offset) {
    CommandFrame frame{};
    BuildFrame(frame, kCmdReadStatus, count, offset, nullptr, 0);
    uint8_t reply[kFrameSize] = {};
    const int r = Exchange(link, frame, reply, Lock::Command);
    if (r == kResultOk) std::copy_n(reply + kFramePayloadOffset, std::min<size_t>(count, kFrameMaxPayload), destination);
    return r;
}

int ReadLedMap(DeviceLink& link, uint8_t* destination) {
    return ChunkedRead(link, {kCmdReadLedMap, link.TableLength() / 3u, 0, link.ChunkSize()}, destination);
}

int EnterLightControl(DeviceLink& link) { return Simple(link, kCmdEnterLightControl); }

bool QueryWireless(DeviceLink& link) {
    if (!link.ViaReceiver()) return true;
    CommandFrame frame{};
    BuildFrame(frame, kCmdQueryWireless, 0, 0, nullptr, 0);
    uint8_t reply[kFrameSize] = {};
    std::lock_guard guard(link.CommandLock());
    size_t got = 0;
    const int r = link.Transact(frame.data(), frame.size(), reply, kFrameSize, &got);
    return r == kResultOk && reply[kFramePayloadOffset] == 0xFF &&
           reply[kFrameStatusByte] != kReplyStatusRefused && reply[kFrameStatusByte] != kReplyStatusBusy;
}
