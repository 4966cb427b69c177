// HID report-descriptor parser and the input-report decoding built on it.
//
// A descriptor is untrusted input (it comes from whatever is plugged in): the
// parser bounds every count, size and nesting depth and reports a broken
// descriptor as an error code, never by crashing or allocating without limit.
//
// The model follows what the Windows HID parser exposes, because the rest of
// the program was written against it: one entry per top-level collection,
// report byte lengths that count the report id byte (also when the descriptor
// uses no ids), button and value capabilities, and HidP-style usage decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class HidReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };
inline constexpr int kHidReportTypeCount = 3;

// Parser results.
inline constexpr int kHidParseOk = 0;
inline constexpr int kHidParseEmpty = -1;             // no bytes, or no top-level collection
inline constexpr int kHidParseTruncated = -2;         // an item runs past the end
inline constexpr int kHidParseTooLarge = -3;          // descriptor, report, count or usage limit exceeded
inline constexpr int kHidParseBadNesting = -4;        // end collection without collection, pop without push, stack too deep
inline constexpr int kHidParseBadItem = -5;           // invalid value (report id 0, size 0 with a count, min > max, ...)
inline constexpr int kHidParseUnbalanced = -6;        // collections still open at the end

// Limits (aligned with what the Linux HID core accepts).
inline constexpr size_t kHidMaxDescriptorSize = 4096;
inline constexpr size_t kHidMaxGlobalStack = 16;
inline constexpr size_t kHidMaxCollectionDepth = 32;
inline constexpr size_t kHidMaxCollections = 256;      // all collections, nested ones included
inline constexpr size_t kHidMaxFields = 256;           // main items per top-level collection and report type
inline constexpr size_t kHidMaxUsagesPerField = 0x10000;  // usages after expanding ranges
inline constexpr size_t kHidMaxUsagesTotal = 0x20000;     // all usage items of a descriptor
inline constexpr uint32_t kHidMaxReportBits = 4096 * 8;
inline constexpr uint32_t kHidMaxReportSize = 256;     // bits of one field element

// HidP status values (the Windows numbers, so traces read the same).
inline constexpr uint32_t HIDP_STATUS_SUCCESS = 0x00110000;
inline constexpr uint32_t HIDP_STATUS_NULL = 0x80110001;
inline constexpr uint32_t HIDP_STATUS_INVALID_REPORT_LENGTH = 0xC0110003;
inline constexpr uint32_t HIDP_STATUS_USAGE_NOT_FOUND = 0xC0110004;
inline constexpr uint32_t HIDP_STATUS_VALUE_OUT_OF_RANGE = 0xC0110005;
inline constexpr uint32_t HIDP_STATUS_BAD_LOG_PHY_VALUES = 0xC0110006;
inline constexpr uint32_t HIDP_STATUS_BUFFER_TOO_SMALL = 0xC0110007;
inline constexpr uint32_t HIDP_STATUS_INCOMPATIBLE_REPORT_ID = 0xC011000A;

// Main item flag bits.
inline constexpr uint32_t kHidMainConstant = 0x01;
inline constexpr uint32_t kHidMainVariable = 0x02;
inline constexpr uint32_t kHidMainRelative = 0x04;
inline constexpr uint32_t kHidMainNullState = 0x40;

// One main item (Input, Output or Feature) of a top-level collection.
struct HidField {
    HidReportType type = HidReportType::Input;
    uint8_t reportId = 0;        // 0 when the descriptor uses no report ids
    uint32_t bitOffset = 0;      // first bit of the field, counted after the report id byte
    uint32_t reportSize = 0;     // bits per element
    uint32_t reportCount = 0;    // elements
    uint32_t flags = 0;          // main item data bits
    uint16_t usagePage = 0;      // page of the first usage
    // Usages assigned to the elements, expanded: element i takes usages[min(i, size-1)]
    // for variable items; for array items the list maps logical values to usages
    // (logicalMin -> usages[0], ...). Each value is (page << 16) | id.
    std::vector<uint32_t> usages;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    int32_t unitExponent = 0;
    uint32_t unit = 0;
    uint16_t linkCollection = 0; // index among the collections of its top-level collection; 0 is the top-level one

    bool IsConstant() const { return (flags & kHidMainConstant) != 0; }
    bool IsArray() const { return (flags & kHidMainVariable) == 0; }
    // Buttons, as Windows classifies them: array items, and variable one-bit items.
    bool IsButton() const { return IsArray() || reportSize == 1; }
};

// Button capability: one per button field and usage page range.
struct HidButtonCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    uint16_t linkCollection = 0;
    bool isRange = false;
    uint16_t usageMin = 0;   // equal to usageMax for a single usage
    uint16_t usageMax = 0;
    uint32_t fieldIndex = 0; // into HidTopCollection::fields
};

// Value capability: one per value field and usage (or usage range).
struct HidValueCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    uint16_t linkCollection = 0;
    bool isRange = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t fieldIndex = 0;
};

struct HidTopCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    bool usesReportIds = false;  // true when the descriptor declares any report id
    // Longest report of each type in bytes, plus one for the report id byte; 0 when the
    // collection has no report of that type.
    uint16_t reportByteLength[kHidReportTypeCount] = {0, 0, 0};
    uint16_t linkCollectionCount = 1;
    std::vector<HidField> fields;
    std::vector<HidButtonCaps> buttonCaps[kHidReportTypeCount];
    std::vector<HidValueCaps> valueCaps[kHidReportTypeCount];

    // True when the collection declares a report of this type with this id
    // (id 0 when the descriptor uses no ids).
    bool HasReport(HidReportType type, uint8_t reportId) const;
    // True when any report of any type of this collection carries this id.
    bool OwnsReportId(uint8_t reportId) const;
};

struct HidReportDescriptor {
    bool usesReportIds = false;
    std::vector<HidTopCollection> collections;  // in descriptor order
};

// Parses a descriptor. On failure `out` is left empty.
int ParseReportDescriptor(const uint8_t* data, size_t length, HidReportDescriptor& out);

// The number of usages HidGetUsages can return for this report type and page.
uint32_t HidMaxUsageListLength(const HidTopCollection& collection, HidReportType type,
                               uint16_t usagePage);

// Decoding a report (first byte: report id, 0 when ids are unused). reportLength must be the
// collection's report byte length of that type, as on Windows. linkCollection 0 matches any.
uint32_t HidGetUsages(const HidTopCollection& collection, HidReportType type, uint16_t usagePage,
                      uint16_t linkCollection, uint16_t* usageList, uint32_t* usageLength,
                      const uint8_t* report, uint32_t reportLength);
uint32_t HidGetUsageValue(const HidTopCollection& collection, HidReportType type,
                          uint16_t usagePage, uint16_t linkCollection, uint16_t usage,
                          uint32_t* value, const uint8_t* report, uint32_t reportLength);
uint32_t HidGetScaledUsageValue(const HidTopCollection& collection, HidReportType type,
                                uint16_t usagePage, uint16_t linkCollection, uint16_t usage,
                                int32_t* value, const uint8_t* report, uint32_t reportLength);
