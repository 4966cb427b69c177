#include "link/report_descriptor.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Item types and tags (HID 1.11, 6.2.2).
constexpr uint8_t kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2;
constexpr uint8_t kLongItemPrefix = 0xFE;

enum MainTag : uint8_t {
    kMainInput = 0x8, kMainOutput = 0x9, kMainCollection = 0xA,
    kMainFeature = 0xB, kMainEndCollection = 0xC,
};
enum GlobalTag : uint8_t {
    kGlobalUsagePage = 0x0, kGlobalLogicalMin = 0x1, kGlobalLogicalMax = 0x2,
    kGlobalPhysicalMin = 0x3, kGlobalPhysicalMax = 0x4, kGlobalUnitExponent = 0x5,
    kGlobalUnit = 0x6, kGlobalReportSize = 0x7, kGlobalReportId = 0x8,
    kGlobalReportCount = 0x9, kGlobalPush = 0xA, kGlobalPop = 0xB,
};
enum LocalTag : uint8_t { kLocalUsage = 0x0, kLocalUsageMin = 0x1, kLocalUsageMax = 0x2 };

struct GlobalState {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t physicalMin = 0;
    // The maxima are kept raw: whether they are signed depends on the minimum, which
    // may be declared after them, so they are resolved when a main item uses them.
    uint32_t logicalMaxRaw = 0;
    uint8_t logicalMaxSize = 0;
    uint32_t physicalMaxRaw = 0;
    uint8_t physicalMaxSize = 0;
    int32_t unitExponent = 0;
    uint32_t unit = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// One Usage item, or one Usage Minimum/Maximum pair.
struct UsageItem {
    uint32_t first = 0;  // (page << 16) | id
    uint32_t last = 0;   // same page as first
    bool isRange = false;
    bool extended = false;  // the page came with the usage (4-byte item)
};

struct LocalState {
    std::vector<UsageItem> items;
    size_t usageCount = 0;  // usages after expanding ranges
    bool haveMin = false, haveMax = false;
    uint32_t minValue = 0, maxValue = 0;
    bool minExtended = false, maxExtended = false;
};

int32_t SignExtend(uint32_t raw, uint8_t size) {
    switch (size) {
    case 1: return static_cast<int8_t>(raw);
    case 2: return static_cast<int16_t>(raw);
    default: return static_cast<int32_t>(raw);
    }
}

// Like the Linux HID core: a maximum is signed only when its minimum is negative, so
// "Logical Minimum 0, Logical Maximum 0xFF" in one byte means 0..255.
int32_t ResolveMax(int32_t min, uint32_t raw, uint8_t size) {
    return min < 0 ? SignExtend(raw, size) : static_cast<int32_t>(raw);
}

class Parser {
public:
    explicit Parser(HidReportDescriptor& out) : out_(out) {}

    int Run(const uint8_t* data, size_t length) {
        size_t pos = 0;
        while (pos < length) {
            const uint8_t prefix = data[pos];
            if (prefix == kLongItemPrefix) {
                // Long item: prefix, data size, tag, data. Nothing defines one; skip it.
                if (length - pos < 3 || length - pos - 3 < data[pos + 1]) return kHidParseTruncated;
                pos += 3u + data[pos + 1];
                continue;
            }
            const uint8_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
            if (length - pos - 1 < size) return kHidParseTruncated;
            uint32_t value = 0;
            for (uint8_t i = 0; i < size; ++i) value |= uint32_t{data[pos + 1 + i]} << (8 * i);
            pos += 1u + size;

            const uint8_t tag = static_cast<uint8_t>(prefix >> 4);
            int rc = kHidParseOk;
            switch ((prefix >> 2) & 3) {
            case kTypeMain: rc = Main(tag, value); break;
            case kTypeGlobal: rc = Global(tag, value, size); break;
            case kTypeLocal: rc = Local(tag, value, size); break;
            default: break;  // reserved item type: ignored
            }
            if (rc != kHidParseOk) return rc;
        }
        if (depth_ != 0) return kHidParseUnbalanced;
        if (out_.collections.empty()) return kHidParseEmpty;
        Finish();
        return kHidParseOk;
    }

private:
    int Global(uint8_t tag, uint32_t value, uint8_t size) {
        GlobalState& g = global_;
        switch (tag) {
        case kGlobalUsagePage:
            if (value > 0xFFFF) return kHidParseBadItem;
            g.usagePage = static_cast<uint16_t>(value);
            break;
        case kGlobalLogicalMin: g.logicalMin = SignExtend(value, size); break;
        case kGlobalLogicalMax: g.logicalMaxRaw = value; g.logicalMaxSize = size; break;
        case kGlobalPhysicalMin: g.physicalMin = SignExtend(value, size); break;
        case kGlobalPhysicalMax: g.physicalMaxRaw = value; g.physicalMaxSize = size; break;
        case kGlobalUnitExponent:
            // Many devices give the exponent as a 4-bit two's complement nibble rather
            // than as a signed integer; accept both, as the Linux HID core does.
            g.unitExponent = (value & ~0xFu) == 0 ? static_cast<int32_t>(value ^ 8) - 8
                                                  : SignExtend(value, size);
            break;
        case kGlobalUnit: g.unit = value; break;
        case kGlobalReportSize:
            if (value > kHidMaxReportSize) return kHidParseTooLarge;
            g.reportSize = value;
            break;
        case kGlobalReportId:
            if (value == 0 || value > 0xFF) return kHidParseBadItem;
            g.reportId = static_cast<uint8_t>(value);
            out_.usesReportIds = true;
            break;
        case kGlobalReportCount: g.reportCount = value; break;
        case kGlobalPush:
            if (stackSize_ == stack_.size()) return kHidParseBadNesting;
            stack_[stackSize_++] = g;
            break;
        case kGlobalPop:
            if (stackSize_ == 0) return kHidParseBadNesting;
            g = stack_[--stackSize_];
            break;
        default: return kHidParseBadItem;
        }
        return kHidParseOk;
    }

    uint32_t FullUsage(uint32_t value, uint8_t size) const {
        return size == 4 ? value : (uint32_t{global_.usagePage} << 16) | (value & 0xFFFF);
    }

    int AddUsageItem(const UsageItem& item) {
        const size_t count = (item.last & 0xFFFF) - (item.first & 0xFFFF) + 1u;
        if (local_.usageCount + count > kHidMaxUsagesPerField) return kHidParseTooLarge;
        if (totalUsages_ + count > kHidMaxUsagesTotal) return kHidParseTooLarge;
        local_.usageCount += count;
        totalUsages_ += count;
        local_.items.push_back(item);
        return kHidParseOk;
    }

    int Local(uint8_t tag, uint32_t value, uint8_t size) {
        LocalState& l = local_;
        switch (tag) {
        case kLocalUsage: {
            const uint32_t usage = FullUsage(value, size);
            return AddUsageItem({usage, usage, false, size == 4});
        }
        case kLocalUsageMin:
            if (l.haveMin) return kHidParseBadItem;
            l.haveMin = true;
            l.minValue = FullUsage(value, size);
            l.minExtended = size == 4;
            break;
        case kLocalUsageMax:
            if (l.haveMax) return kHidParseBadItem;
            l.haveMax = true;
            l.maxValue = FullUsage(value, size);
            l.maxExtended = size == 4;
            break;
        default: return kHidParseOk;  // designators, strings, delimiters: not used
        }
        if (!(l.haveMin && l.haveMax)) return kHidParseOk;
        // A page given with one end of the range applies to both ends.
        uint32_t page = l.minValue >> 16;
        if (l.maxExtended && (!l.minExtended || (l.maxValue >> 16) == page)) page = l.maxValue >> 16;
        else if (l.maxExtended) return kHidParseBadItem;  // two different explicit pages
        const uint32_t lo = l.minValue & 0xFFFF, hi = l.maxValue & 0xFFFF;
        if (lo > hi) return kHidParseBadItem;
        l.haveMin = l.haveMax = false;
        return AddUsageItem({(page << 16) | lo, (page << 16) | hi, true,
                             l.minExtended || l.maxExtended});
    }

    // A Usage Page declared after usages but before their main item still applies to
    // them (some devices put it there); usages that already carry it end the search.
    void ApplyLastUsagePage() {
        const uint32_t page = global_.usagePage;
        for (auto it = local_.items.rbegin(); it != local_.items.rend(); ++it) {
            if (it->extended) continue;
            if ((it->first >> 16) == page) break;
            it->first = (page << 16) | (it->first & 0xFFFF);
            it->last = (page << 16) | (it->last & 0xFFFF);
        }
    }

    int Main(uint8_t tag, uint32_t value) {
        if (local_.haveMin || local_.haveMax) return kHidParseBadItem;  // half a usage range
        ApplyLastUsagePage();
        int rc = kHidParseOk;
        switch (tag) {
        case kMainCollection: rc = OpenCollection(); break;
        case kMainEndCollection:
            if (depth_ == 0) return kHidParseBadNesting;
            --depth_;
            break;
        case kMainInput: rc = AddField(HidReportType::Input, value); break;
        case kMainOutput: rc = AddField(HidReportType::Output, value); break;
        case kMainFeature: rc = AddField(HidReportType::Feature, value); break;
        default: break;  // unknown main item: ignored
        }
        local_ = LocalState{};
        return rc;
    }

    int OpenCollection() {
        if (depth_ == kHidMaxCollectionDepth) return kHidParseBadNesting;
        if (++collectionCount_ > kHidMaxCollections) return kHidParseTooLarge;
        uint16_t link = 0;
        if (depth_ == 0) {
            HidTopCollection& top = out_.collections.emplace_back();
            fieldCounts_ = {};
            if (!local_.items.empty()) {
                top.usagePage = static_cast<uint16_t>(local_.items.front().first >> 16);
                top.usage = static_cast<uint16_t>(local_.items.front().first);
            }
        } else {
            link = out_.collections.back().linkCollectionCount++;
        }
        linkStack_[depth_++] = link;
        return kHidParseOk;
    }

    int AddField(HidReportType type, uint32_t flags) {
        if (depth_ == 0) return kHidParseOk;  // outside any collection: ignored
        const GlobalState& g = global_;
        if (g.reportCount == 0) return kHidParseOk;  // no bits, nothing to describe
        if (g.reportSize == 0) return kHidParseBadItem;
        const auto t = static_cast<size_t>(type);
        uint32_t& used = reportBits_[t][g.reportId];
        const uint64_t bits = uint64_t{g.reportSize} * g.reportCount;
        if (bits > kHidMaxReportBits - used) return kHidParseTooLarge;

        HidTopCollection& top = out_.collections.back();
        if (++fieldCounts_[t] > kHidMaxFields) return kHidParseTooLarge;
        const auto fieldIndex = static_cast<uint32_t>(top.fields.size());
        HidField& f = top.fields.emplace_back();
        f.type = type;
        f.reportId = g.reportId;
        f.bitOffset = used;
        f.reportSize = g.reportSize;
        f.reportCount = g.reportCount;
        f.flags = flags;
        f.usagePage = local_.items.empty() ? g.usagePage
                                           : static_cast<uint16_t>(local_.items.front().first >> 16);
        f.logicalMin = g.logicalMin;
        f.logicalMax = ResolveMax(g.logicalMin, g.logicalMaxRaw, g.logicalMaxSize);
        f.physicalMin = g.physicalMin;
        f.physicalMax = ResolveMax(g.physicalMin, g.physicalMaxRaw, g.physicalMaxSize);
        f.unitExponent = g.unitExponent;
        f.unit = g.unit;
        f.linkCollection = linkStack_[depth_ - 1];
        used += static_cast<uint32_t>(bits);

        f.usages.reserve(local_.usageCount);
        for (const UsageItem& item : local_.items) {
            // Counted loop: a usage of 0xFFFFFFFF must not wrap the counter.
            for (uint32_t n = 0; n <= item.last - item.first; ++n) f.usages.push_back(item.first + n);
        }
        for (const UsageItem& item : local_.items) {
            const auto page = static_cast<uint16_t>(item.first >> 16);
            const auto lo = static_cast<uint16_t>(item.first), hi = static_cast<uint16_t>(item.last);
            if (f.IsButton()) {
                top.buttonCaps[t].push_back({page, f.reportId, f.linkCollection, item.isRange, lo, hi,
                                             fieldIndex});
            } else {
                top.valueCaps[t].push_back({page, f.reportId, f.linkCollection, item.isRange, lo, hi,
                                            f.reportSize, f.reportCount, f.logicalMin, f.logicalMax,
                                            f.physicalMin, f.physicalMax, fieldIndex});
            }
        }
        return kHidParseOk;
    }

    // Report lengths are known only at the end: collections sharing a report id extend
    // the same report.
    void Finish() {
        for (HidTopCollection& top : out_.collections) {
            top.usesReportIds = out_.usesReportIds;
            for (const HidField& f : top.fields) {
                const auto t = static_cast<size_t>(f.type);
                const auto bytes = static_cast<uint16_t>((reportBits_[t][f.reportId] + 7) / 8 + 1);
                top.reportByteLength[t] = std::max(top.reportByteLength[t], bytes);
            }
        }
    }

    HidReportDescriptor& out_;
    GlobalState global_;
    LocalState local_;
    std::array<GlobalState, kHidMaxGlobalStack> stack_{};
    size_t stackSize_ = 0;
    std::array<uint16_t, kHidMaxCollectionDepth> linkStack_{};
    size_t depth_ = 0;
    size_t collectionCount_ = 0;
    // Fields of the current top-level collection, per report type.
    std::array<size_t, kHidReportTypeCount> fieldCounts_{};
    size_t totalUsages_ = 0;  // bounds the memory a hostile descriptor can claim
    // Bits used so far in each report, per type and report id, over the whole descriptor.
    std::array<std::array<uint32_t, 256>, kHidReportTypeCount> reportBits_{};
};

// ---- Report decoding ----

// Up to 32 bits starting at bitOffset of the report data (after the id byte). Bits
// past the end of the buffer read as zero; for wider elements the low 32 bits are kept.
uint32_t ExtractBits(const uint8_t* report, uint32_t reportLength, uint64_t bitOffset,
                     uint32_t bitCount) {
    const uint32_t n = std::min<uint32_t>(bitCount, 32);
    uint64_t acc = 0;
    const uint64_t firstByte = 1 + bitOffset / 8;
    for (uint32_t i = 0; i < 5; ++i) {  // 32 bits at any shift span at most 5 bytes
        const uint64_t idx = firstByte + i;
        if (idx >= reportLength) break;
        acc |= uint64_t{report[idx]} << (8 * i);
    }
    acc >>= bitOffset % 8;
    return static_cast<uint32_t>(n == 32 ? acc : acc & ((uint64_t{1} << n) - 1));
}

int64_t ElementValue(const HidField& f, uint32_t raw) {
    const uint32_t n = std::min<uint32_t>(f.reportSize, 32);
    if (f.logicalMin >= 0 || n == 0) return raw;
    if (n == 32) return static_cast<int32_t>(raw);
    const uint32_t sign = uint32_t{1} << (n - 1);
    return static_cast<int64_t>(raw ^ sign) - static_cast<int64_t>(sign);
}

bool LinkMatches(const HidField& f, uint16_t linkCollection) {
    return linkCollection == 0 || f.linkCollection == linkCollection;
}

bool HasUsageOfPage(const HidField& f, uint16_t page) {
    return std::any_of(f.usages.begin(), f.usages.end(),
                       [page](uint32_t u) { return (u >> 16) == page; });
}

// Element index of a usage within a variable field, or -1.
int64_t ElementOfUsage(const HidField& f, uint32_t fullUsage) {
    const auto it = std::find(f.usages.begin(), f.usages.end(), fullUsage);
    if (it == f.usages.end()) return -1;
    const auto index = static_cast<uint64_t>(it - f.usages.begin());
    return index < f.reportCount ? static_cast<int64_t>(index) : -1;
}

bool LengthValid(const HidTopCollection& c, HidReportType type, const uint8_t* report,
                 uint32_t reportLength) {
    return report != nullptr && reportLength != 0 &&
           reportLength == c.reportByteLength[static_cast<size_t>(type)];
}

// Finds the value field of `type` holding the usage. Status as HidP reports it.
uint32_t FindValue(const HidTopCollection& c, HidReportType type, uint16_t usagePage,
                   uint16_t linkCollection, uint16_t usage, uint8_t reportId,
                   const HidField** field, uint32_t* element) {
    const uint32_t full = (uint32_t{usagePage} << 16) | usage;
    bool otherReport = false;
    for (const HidField& f : c.fields) {
        if (f.type != type || f.IsButton() || !LinkMatches(f, linkCollection)) continue;
        const int64_t index = ElementOfUsage(f, full);
        if (index < 0) continue;
        if (f.reportId != reportId) {
            otherReport = true;
            continue;
        }
        *field = &f;
        *element = static_cast<uint32_t>(index);
        return HIDP_STATUS_SUCCESS;
    }
    return otherReport ? HIDP_STATUS_INCOMPATIBLE_REPORT_ID : HIDP_STATUS_USAGE_NOT_FOUND;
}

}  // namespace

bool HidTopCollection::HasReport(HidReportType type, uint8_t reportId) const {
    return std::any_of(fields.begin(), fields.end(), [&](const HidField& f) {
        return f.type == type && f.reportId == reportId;
    });
}

bool HidTopCollection::OwnsReportId(uint8_t reportId) const {
    return std::any_of(fields.begin(), fields.end(),
                       [&](const HidField& f) { return f.reportId == reportId; });
}

int ParseReportDescriptor(const uint8_t* data, size_t length, HidReportDescriptor& out) {
    out = HidReportDescriptor{};
    if (data == nullptr || length == 0) return kHidParseEmpty;
    if (length > kHidMaxDescriptorSize) return kHidParseTooLarge;
    HidReportDescriptor parsed;
    const int rc = Parser(parsed).Run(data, length);
    if (rc == kHidParseOk) out = std::move(parsed);
    return rc;
}

uint32_t HidMaxUsageListLength(const HidTopCollection& collection, HidReportType type,
                               uint16_t usagePage) {
    uint32_t total = 0;
    for (const HidButtonCaps& caps : collection.buttonCaps[static_cast<size_t>(type)]) {
        if (usagePage != 0 && caps.usagePage != usagePage) continue;
        const HidField& f = collection.fields[caps.fieldIndex];
        total += f.IsArray() ? f.reportCount : uint32_t{caps.usageMax} - caps.usageMin + 1;
    }
    return total;
}

uint32_t HidGetUsages(const HidTopCollection& collection, HidReportType type, uint16_t usagePage,
                      uint16_t linkCollection, uint16_t* usageList, uint32_t* usageLength,
                      const uint8_t* report, uint32_t reportLength) {
    if (usageLength == nullptr) return HIDP_STATUS_BUFFER_TOO_SMALL;
    if (!LengthValid(collection, type, report, reportLength)) return HIDP_STATUS_INVALID_REPORT_LENGTH;
    const uint8_t reportId = report[0];
    const uint32_t capacity = usageList != nullptr ? *usageLength : 0;
    uint32_t needed = 0;
    // Usage 0 means "no usage" on every page (an empty array slot); it is never listed.
    auto emit = [&](uint32_t usage) {
        if ((usage >> 16) != usagePage || (usage & 0xFFFF) == 0) return;
        if (needed < capacity) usageList[needed] = static_cast<uint16_t>(usage);
        ++needed;
    };
    bool found = false, otherReport = false;
    for (const HidField& f : collection.fields) {
        if (f.type != type || !f.IsButton() || !LinkMatches(f, linkCollection) ||
            !HasUsageOfPage(f, usagePage)) {
            continue;
        }
        if (f.reportId != reportId) {
            otherReport = true;
            continue;
        }
        found = true;
        const size_t usageCount = f.usages.size();
        bool lastListed = false;
        for (uint32_t i = 0; i < f.reportCount; ++i) {
            const uint64_t bit = f.bitOffset + uint64_t{i} * f.reportSize;
            const uint32_t raw = ExtractBits(report, reportLength, bit, f.reportSize);
            if (f.IsArray()) {
                // A value outside the logical range (0 when the minimum is 1) is an empty slot.
                const int64_t v = ElementValue(f, raw);
                const int64_t index = v - f.logicalMin;
                if (v <= f.logicalMax && index >= 0 && static_cast<uint64_t>(index) < usageCount) {
                    emit(f.usages[static_cast<size_t>(index)]);
                }
            } else if (raw != 0) {
                // Elements past the usage list repeat its last usage: list that one once.
                const size_t k = std::min<size_t>(i, usageCount - 1);
                if (k + 1 == usageCount) {
                    if (lastListed) continue;
                    lastListed = true;
                }
                emit(f.usages[k]);
            }
        }
    }
    if (!found) return otherReport ? HIDP_STATUS_INCOMPATIBLE_REPORT_ID : HIDP_STATUS_USAGE_NOT_FOUND;
    *usageLength = needed;
    return needed > capacity ? HIDP_STATUS_BUFFER_TOO_SMALL : HIDP_STATUS_SUCCESS;
}

uint32_t HidGetUsageValue(const HidTopCollection& collection, HidReportType type,
                          uint16_t usagePage, uint16_t linkCollection, uint16_t usage,
                          uint32_t* value, const uint8_t* report, uint32_t reportLength) {
    if (value == nullptr) return HIDP_STATUS_BUFFER_TOO_SMALL;
    if (!LengthValid(collection, type, report, reportLength)) return HIDP_STATUS_INVALID_REPORT_LENGTH;
    const HidField* f = nullptr;
    uint32_t element = 0;
    const uint32_t status =
        FindValue(collection, type, usagePage, linkCollection, usage, report[0], &f, &element);
    if (status != HIDP_STATUS_SUCCESS) return status;
    *value = ExtractBits(report, reportLength, f->bitOffset + uint64_t{element} * f->reportSize,
                         f->reportSize);
    return HIDP_STATUS_SUCCESS;
}

uint32_t HidGetScaledUsageValue(const HidTopCollection& collection, HidReportType type,
                                uint16_t usagePage, uint16_t linkCollection, uint16_t usage,
                                int32_t* value, const uint8_t* report, uint32_t reportLength) {
    if (value == nullptr) return HIDP_STATUS_BUFFER_TOO_SMALL;
    if (!LengthValid(collection, type, report, reportLength)) return HIDP_STATUS_INVALID_REPORT_LENGTH;
    const HidField* f = nullptr;
    uint32_t element = 0;
    const uint32_t status =
        FindValue(collection, type, usagePage, linkCollection, usage, report[0], &f, &element);
    if (status != HIDP_STATUS_SUCCESS) return status;

    const int64_t logMin = f->logicalMin, logMax = f->logicalMax;
    int64_t phyMin = f->physicalMin, phyMax = f->physicalMax;
    if (phyMin == 0 && phyMax == 0) {
        phyMin = logMin;
        phyMax = logMax;
    }
    if (logMin >= logMax || phyMin > phyMax) return HIDP_STATUS_BAD_LOG_PHY_VALUES;
    const int64_t v = ElementValue(
        *f, ExtractBits(report, reportLength, f->bitOffset + uint64_t{element} * f->reportSize,
                        f->reportSize));
    if (v < logMin || v > logMax) {
        return (f->flags & kHidMainNullState) != 0 ? HIDP_STATUS_NULL : HIDP_STATUS_VALUE_OUT_OF_RANGE;
    }
    // Both factors are below 2^32, so the product fits in 64 unsigned bits.
    const uint64_t scaled = static_cast<uint64_t>(v - logMin) * static_cast<uint64_t>(phyMax - phyMin) /
                            static_cast<uint64_t>(logMax - logMin);
    *value = static_cast<int32_t>(phyMin + static_cast<int64_t>(scaled));
    return HIDP_STATUS_SUCCESS;
}
