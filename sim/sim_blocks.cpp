#include "sim/sim_blocks.h"

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

SimDecodedBlock Reject(std::string why) {
    SimDecodedBlock block;
    block.error = std::move(why);
    return block;
}

constexpr size_t kHeaderSize = 16;
constexpr size_t kRecordHeader = 4;
constexpr size_t kEventSize = 4;

}  // namespace

SimDecodedBlock DecodeEventBlock(const uint8_t* data, size_t size, int expectedRecords) {
    if (size < kHeaderSize) return Reject("shorter than the header");
    if (U16(data) != 0x55AA) return Reject("bad magic");
    const size_t total = U16(data + 2);
    const size_t count = U16(data + 4);
    if (total > size) return Reject("longer than the memory it was written to");
    if (expectedRecords >= 0 && count != static_cast<size_t>(expectedRecords))
        return Reject("wrong record count");
    const size_t tableEnd = kHeaderSize + 2 * count;
    if (tableEnd > total) return Reject("offset table runs past the block");
    SimDecodedBlock block;
    size_t expectedOffset = tableEnd;
    for (size_t i = 0; i < count; ++i) {
        const size_t offset = U16(data + kHeaderSize + 2 * i);
        if (offset != expectedOffset) return Reject("record " + std::to_string(i) + " misplaced");
        if (offset + kRecordHeader > total) return Reject("record " + std::to_string(i) + " runs past the block");
        const size_t events = U16(data + offset);
        const size_t end = offset + kRecordHeader + kEventSize * events;
        if (end > total) return Reject("events of record " + std::to_string(i) + " run past the block");
        std::vector<SimEvent> record;
        record.reserve(events);
        for (size_t e = 0; e < events; ++e) {
            const uint8_t* ev = data + offset + kRecordHeader + kEventSize * e;
            record.push_back({U16(ev), ev[2], ev[3]});
        }
        block.records.push_back(std::move(record));
        expectedOffset = end;
    }
    if (expectedOffset != total) return Reject("total length does not match the records");
    block.valid = true;
    return block;
}
