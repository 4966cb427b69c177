#include "sim/sim_firmware.h"

#include <algorithm>

namespace {

constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusRefused = 0xFF;
constexpr size_t kMaxPayload = 56;

bool ChecksumMatches(const uint8_t* frame) {
    unsigned sum = 0;
    for (size_t i = 3; i < kSimFrameSize; ++i) sum += frame[i];
    return (sum & 0xFFFFu) == static_cast<unsigned>(frame[1] | (frame[2] << 8));
}

}  // namespace

SimFirmware::SimFirmware(SimKind kind, const SimOptions& options)
    : kind_(kind), memory_(FactoryMemory(kind, options)) {}

bool SimFirmware::Supports(uint8_t command) const {
    static const std::vector<uint8_t> mouse = {1, 2, 3, 4, 5, 6, 7, 9, 21, 23, 26, 0xAA};
    static const std::vector<uint8_t> keyboard = {1, 2, 3, 5, 6, 7, 9, 10, 11, 18, 21, 26, 27, 28, 0xAA};
    static const std::vector<uint8_t> pad = {1, 2, 3, 5, 6, 26};
    static const std::vector<uint8_t> headset = {1, 2, 5, 6, 26};
    const std::vector<uint8_t>* set = &mouse;
    switch (kind_) {
        case SimKind::Mouse: set = &mouse; break;
        case SimKind::Keyboard: set = &keyboard; break;
        case SimKind::MousePad: set = &pad; break;
        case SimKind::Headset: set = &headset; break;
    }
    return std::find(set->begin(), set->end(), command) != set->end();
}

uint8_t* SimFirmware::Area(std::vector<uint8_t>& area, size_t offset, size_t length) {
    if (offset > area.size() || length > area.size() - offset) return nullptr;
    return area.data() + offset;
}

SimFrame SimFirmware::Handle(const uint8_t* frame, size_t length) {
    SimFrame reply{};
    reply[0] = 4;
    std::lock_guard lock(mutex_);
    ++stats_.frames;
    if (length < kSimFrameSize) {
        ++stats_.refused;
        reply[7] = kStatusRefused;
        return reply;
    }
    const uint8_t command = frame[3];
    const size_t len = frame[4];
    const size_t offset = static_cast<size_t>(frame[5] | (frame[6] << 8));
    std::copy_n(frame + 3, 4, reply.begin() + 3);  // command, length, offset echoed
    const uint8_t* payload = frame + 8;
    uint8_t* out = reply.data() + 8;

    uint8_t status = kStatusRefused;
    if (!ChecksumMatches(frame)) {
        ++stats_.checksumErrors;
    } else if (Supports(command) && len <= kMaxPayload) {
        auto read = [&](std::vector<uint8_t>& area) {
            if (uint8_t* p = Area(area, offset, len)) {
                std::copy_n(p, len, out);
                status = kStatusOk;
            }
        };
        auto write = [&](std::vector<uint8_t>& area, size_t* highWater = nullptr) {
            if (uint8_t* p = Area(area, offset, len)) {
                std::copy_n(payload, len, p);
                if (highWater) *highWater = std::max(*highWater, offset + len);
                status = kStatusOk;
            }
        };
        std::vector<uint8_t> info(memory_.info.begin(), memory_.info.end());
        std::vector<uint8_t> statusBlock(memory_.status.begin(), memory_.status.end());
        switch (command) {
            case 1:
                transferOpen_ = true;
                macroWritten_ = shootWritten_ = false;
                macroBytes_ = shootBytes_ = 0;
                ++stats_.transfersOpened;
                status = kStatusOk;
                break;
            case 2:
                if (transferOpen_) DecodeWrittenBlocks();
                transferOpen_ = false;
                ++stats_.transfersClosed;
                status = kStatusOk;
                break;
            case 3: read(info); break;
            case 4:
                write(info);
                std::copy(info.begin(), info.end(), memory_.info.begin());
                break;
            case 5: read(memory_.settings); break;
            case 6: write(memory_.settings); break;
            case 7: read(memory_.keyTable); break;
            case 9: write(memory_.keyTable); break;
            case 10: read(memory_.lightTables); break;
            case 11: write(memory_.lightTables); break;
            case 18: write(memory_.lightFrame); break;
            case 21:
                write(memory_.macroData, &macroBytes_);
                macroWritten_ = macroWritten_ || status == kStatusOk;
                break;
            case 23:
                write(memory_.shootData, &shootBytes_);
                shootWritten_ = shootWritten_ || status == kStatusOk;
                break;
            case 26: read(statusBlock); break;
            case 27: read(memory_.ledMap); break;
            case 28:
                lightControl_ = true;
                ++stats_.lightControlEntered;
                status = kStatusOk;
                break;
            case 0xAA:
                out[0] = 0xFF;  // answering for itself: reachable
                status = kStatusOk;
                break;
            default: break;
        }
    }
    if (status == kStatusRefused) ++stats_.refused;
    reply[7] = status;
    return reply;
}

void SimFirmware::DecodeWrittenBlocks() {
    if (macroWritten_)
        macroBlock_ = DecodeEventBlock(memory_.macroData.data(), memory_.macroData.size(), -1);
    if (shootWritten_)
        shootBlock_ = DecodeEventBlock(memory_.shootData.data(), memory_.shootData.size(), 4);
    macroWritten_ = shootWritten_ = false;
}

bool SimFirmware::TakeLightReport(const uint8_t* report, size_t length) {
    if (kind_ != SimKind::Headset || length < 4 || report[0] != 0xFF) return false;
    const uint8_t group = report[1], selector = report[2];
    if ((group != 0x22 && group != 0x44) || selector < 0xAA || selector > 0xAF) return false;
    const size_t index = (group == 0x44 ? 6u : 0u) + (selector - 0xAAu);
    std::lock_guard lock(mutex_);
    std::vector<uint8_t>& slot = memory_.lightReports[index];
    slot.assign(kSimHeadsetLightReport, 0);
    std::copy_n(report, std::min(length, kSimHeadsetLightReport), slot.begin());
    return true;
}

uint16_t SimFirmware::PressProfileButton() {
    std::lock_guard lock(mutex_);
    const int profiles = std::max(1, memory_.profiles);
    const auto next = static_cast<uint8_t>((memory_.settings[0] + 1) % profiles);
    memory_.settings[0] = next;
    return static_cast<uint16_t>(0x1000 | next);
}

SimMemory SimFirmware::Memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void SimFirmware::SetMemory(const SimMemory& memory) {
    std::lock_guard lock(mutex_);
    memory_ = memory;
}

SimFirmwareStats SimFirmware::Stats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

bool SimFirmware::TransferOpen() const {
    std::lock_guard lock(mutex_);
    return transferOpen_;
}

bool SimFirmware::LightControl() const {
    std::lock_guard lock(mutex_);
    return lightControl_;
}

SimDecodedBlock SimFirmware::LastMacroBlock() const {
    std::lock_guard lock(mutex_);
    return macroBlock_;
}

SimDecodedBlock SimFirmware::LastShootBlock() const {
    std::lock_guard lock(mutex_);
    return shootBlock_;
}

void SimFirmware::SetBattery(uint8_t percent, uint8_t charging) {
    std::lock_guard lock(mutex_);
    memory_.status[0] = percent;
    memory_.status[1] = charging;
}

void SimFirmware::SetFirmwareVersion(uint16_t version) {
    std::lock_guard lock(mutex_);
    memory_.firmwareVersion = version;
}
