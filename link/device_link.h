// The command link of one device: its cable and receiver interfaces, the
// locks that serialise frames from several threads, the connection flags, and
// the transaction that sends one command frame and collects its reply.
//
// Lock order: the command (or light) lock first, then the I/O lock. Nothing
// takes the command or light lock while holding the I/O lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "link/hid_interface.h"

// Transaction timing. The defaults are the device protocol's; tests shorten them.
struct LinkTimeouts {
    int wiredMs = 1000;          // write and read on the cable
    int receiverMs = 5000;       // write and read through the receiver
    int quietWiredMs = 1000;     // light stream on the cable
    int quietReceiverMs = 500;   // light stream through the receiver
    int pauseBeforeReadMs = 10;  // the device needs this long before its reply is read
};

inline constexpr uint16_t kMaxTableLength = 512;
inline constexpr uint8_t kChunkWired = 56;
inline constexpr uint8_t kChunkReceiver = 24;
inline constexpr int kConnectionCable = 1;
inline constexpr int kConnectionReceiver = 2;

class DeviceLink {
public:
    DeviceLink() = default;
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Sends one frame and reads one reply on the current interface. Result codes:
    // 1 reply read (or link paused), 0 not opened / no reply, -1 write failed,
    // -101 the receiver answered 0xAA. bytesRead may be null.
    int Transact(const uint8_t* frame, size_t frameLength, uint8_t* reply, size_t replyLength,
                 size_t* bytesRead);
    // The light stream's transaction: no trace, no pause before the read, no paused
    // check, one write, at most two reads, short receiver timeout.
    int TransactQuiet(const uint8_t* frame, size_t frameLength, uint8_t* reply,
                      size_t replyLength, size_t* bytesRead);

    bool SetTableLength(unsigned length);
    uint16_t TableLength() const { return tableLength_; }
    // 2 selects the receiver (chunks of 24); anything else the cable (chunks of 56).
    void SetConnection(int kind);
    bool ViaReceiver() const { return viaReceiver_; }
    uint8_t ChunkSize() const { return chunkSize_; }

    bool Busy() const { return busy_; }
    bool Opened() const { return opened_; }
    void SetOpened(bool opened) { opened_ = opened; }
    bool LightPause() const { return lightPause_; }
    void SetLightPause(bool pause) { lightPause_ = pause; }
    bool Paused() const { return paused_; }
    void SetPaused(bool paused) { paused_ = paused; }

    HidInterface& WiredInterface() { return wired_; }
    HidInterface& ReceiverInterface() { return receiver_; }
    std::recursive_mutex& IoLock() { return ioLock_; }
    std::recursive_mutex& CommandLock() { return commandLock_; }
    std::recursive_mutex& LightLock() { return lightLock_; }

    void SetTimeouts(const LinkTimeouts& timeouts) { timeouts_ = timeouts; }
    const LinkTimeouts& Timeouts() const { return timeouts_; }

private:
    HidInterface& Current() { return viaReceiver_ ? receiver_ : wired_; }
    static void TraceFrame(const char* title, const uint8_t* frame64);

    std::atomic<uint16_t> tableLength_{kMaxTableLength};
    std::atomic<bool> busy_{false};
    std::atomic<bool> opened_{false};
    std::atomic<bool> lightPause_{false};
    HidInterface wired_;
    HidInterface receiver_;
    std::recursive_mutex ioLock_;
    std::recursive_mutex commandLock_;
    std::recursive_mutex lightLock_;
    std::atomic<bool> viaReceiver_{false};
    std::atomic<uint8_t> chunkSize_{kChunkReceiver};
    std::atomic<bool> paused_{false};
    LinkTimeouts timeouts_;
};
