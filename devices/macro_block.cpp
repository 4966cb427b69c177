// Packing of the macro and firing blocks.
#include "devices/macro_block.h"

#include "link/device_commands.h"
#include "link/result_codes.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"

namespace {

void PutU16(std::vector<uint8_t>& out, size_t at, size_t value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

size_t EventCount(const Json::Value& record) { return record.isArray() ? record.size() : 0; }

// The low bits of an integer member; 0 for anything else (a number outside
// the 64-bit ranges, a fraction, text). jsoncpp throws when asked for an
// integer it cannot give, so the ranges are checked first.
uint64_t LowBits(const Json::Value& value) {
    if (value.isUInt64())
        return value.asUInt64();
    if (value.isInt64())
        return static_cast<uint64_t>(value.asInt64());
    return 0;
}

// Decimal text to a number, the leading digits only; wraps like the 16-bit field.
uint16_t DelayOf(const Json::Value& delay) {
    std::string text;
    if (delay.isString())
        text = delay.asString();
    else if (delay.isUInt64())
        text = std::to_string(delay.asUInt64());
    else if (delay.isInt64())
        text = std::to_string(delay.asInt64());  // negative: no digits, 0
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');  // unsigned: wraps, low bits kept
    return static_cast<uint16_t>(value & 0xFFFF);
}

uint8_t ByteOf(const Json::Value& value) { return static_cast<uint8_t>(LowBits(value) & 0xFF); }

}  // namespace

BlockEvent DeviceEvent(const Json::Value& event) {
    if (!event.isObject())
        return {};
    BlockEvent out;
    out.delay = DelayOf(event["Delay"]);
    out.code = ByteOf(event["Type"]);
    if (event["Action"].isString() && event["Action"].asString() == "down")
        out.code = static_cast<uint8_t>(out.code | 0x80);
    out.button = ByteOf(event["Button"]);
    return out;
}

size_t EventBlockLength(std::span<const size_t> eventCounts) {
    size_t total = kEventBlockHeaderSize + (2 + kEventRecordHeaderSize) * eventCounts.size();
    for (size_t count : eventCounts)
        total += kEventBlockEventSize * count;
    return total;
}

std::vector<uint8_t> PackEventBlock(std::span<const Json::Value> records) {
    std::vector<size_t> counts;
    for (const Json::Value& record : records)
        counts.push_back(EventCount(record));
    const size_t total = EventBlockLength(counts);
    if (total > kMaxEventBlockLength)
        return {};  // its length and offsets would not fit their 16-bit fields
    std::vector<uint8_t> block(total, 0);
    PutU16(block, 0, 0x55AA);
    PutU16(block, 2, total);
    PutU16(block, 4, records.size());
    size_t offset = kEventBlockHeaderSize + 2 * records.size();
    for (size_t r = 0; r < records.size(); ++r) {
        PutU16(block, kEventBlockHeaderSize + 2 * r, offset);
        PutU16(block, offset, counts[r]);
        size_t at = offset + kEventRecordHeaderSize;
        for (Json::ArrayIndex e = 0; e < counts[r]; ++e, at += kEventBlockEventSize) {
            const BlockEvent ev = DeviceEvent(records[r][e]);
            PutU16(block, at, ev.delay);
            block[at + 2] = ev.code;
            block[at + 3] = ev.button;
        }
        offset = at;
    }
    return block;
}

int EncodeMacroBlock(std::span<const Json::Value> macros, uint8_t capacityUnits,
                     std::vector<uint8_t>& block) {
    block.clear();
    if (macros.empty())
        return 0;
    std::vector<size_t> counts;
    for (const Json::Value& macro : macros) {
        const size_t count = EventCount(macro);
        if (count > kMaxDeviceMacroEvents)
            return static_cast<int>(count);
        counts.push_back(count);
    }
    const size_t total = EventBlockLength(counts);
    const size_t capacity = static_cast<size_t>(capacityUnits) * kMacroCapacityUnit;
    if (total > capacity)
        return static_cast<int>((total - capacity) / kEventBlockEventSize) + 1;
    block = PackEventBlock(macros);
    return 0;
}

int EncodeLibraryMacroBlock(const std::string& folder, std::span<const int> slotOrder,
                            uint8_t capacityUnits, std::vector<uint8_t>& block) {
    block.clear();
    if (slotOrder.empty())
        return 0;
    CMacroLibrary library(folder);
    if (!CJsonFileUtil::ReadJsonFile(library.IndexPath()).isObject())
        return 0;
    library.Load();
    std::vector<Json::Value> macros;
    for (int index : slotOrder)
        macros.push_back(library.ReadEvents(index));
    return EncodeMacroBlock(macros, capacityUnits, block);
}

std::vector<uint8_t> EncodeFiringBlock(std::span<const Json::Value, kFiringPatternCount> patterns) {
    return PackEventBlock(patterns);
}

void SendMacroBlockInBracket(DeviceLink& link, std::span<const uint8_t> block) {
    OpenTransfer(link);
    WriteMacroData(link, block.data(), block.size());
    CloseTransfer(link);
}

int SendMacroBlockWhileReachable(DeviceLink& link, std::span<const uint8_t> block,
                                 const std::function<bool()>& reachable) {
    if (!reachable()) return -1;
    OpenTransfer(link);
    if (!reachable()) return -1;
    const int written = WriteMacroData(link, block.data(), block.size());
    if (!reachable()) return -1;
    CloseTransfer(link);
    // A refused or lost block is a failed write, not a success.
    return written == kResultOk ? 0 : -1;
}

int SendMacroBlockWhileOpen(DeviceLink& link, std::span<const uint8_t> block) {
    int written = kResultOk;
    if (link.Opened()) {
        OpenTransfer(link);
        written = WriteMacroData(link, block.data(), block.size());
    }
    CloseTransfer(link);
    return written == kResultOk ? 0 : -1;
}

void SendFiringBlockInBracket(DeviceLink& link, std::span<const uint8_t> block) {
    OpenTransfer(link);
    WriteShootData(link, block.data(), block.size());
    CloseTransfer(link);
}
