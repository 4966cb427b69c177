// Fuzzes the report-descriptor parser and the usage decoding built on it.
//
// Input layout: one byte n, then a descriptor of min(n * 16 + 16, rest) bytes, then the
// bytes used to fill reports. Every parsed collection is queried for every capability
// it declares, with reports of exactly the declared length.
#include "link/report_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

std::vector<uint8_t> MakeReport(size_t length, uint8_t reportId, const uint8_t* fill, size_t fillSize) {
    std::vector<uint8_t> report(length);
    for (size_t i = 1; i < length; ++i) report[i] = fillSize != 0 ? fill[(i - 1) % fillSize] : 0;
    if (length != 0) report[0] = reportId;
    return report;
}

void QueryButtons(const HidTopCollection& c, HidReportType type, const HidButtonCaps& caps,
                  const std::vector<uint8_t>& report) {
    const uint32_t max = HidMaxUsageListLength(c, type, caps.usagePage);
    Check(max <= HidMaxUsageListLength(c, type, 0));
    std::vector<uint16_t> list(max);
    uint32_t length = max;
    const auto size = static_cast<uint32_t>(report.size());
    const uint32_t status = HidGetUsages(c, type, caps.usagePage, caps.linkCollection, list.data(),
                                         &length, report.data(), size);
    // A list of HidMaxUsageListLength entries is always enough.
    Check(status != HIDP_STATUS_BUFFER_TOO_SMALL);
    if (status == HIDP_STATUS_SUCCESS) {
        Check(length <= max);
        // Asking again with one entry too few must report the needed size.
        if (length != 0) {
            uint32_t shorter = length - 1;
            Check(HidGetUsages(c, type, caps.usagePage, caps.linkCollection, list.data(), &shorter,
                               report.data(), size) == HIDP_STATUS_BUFFER_TOO_SMALL);
            Check(shorter >= length);
        }
    }
}

void QueryValue(const HidTopCollection& c, HidReportType type, const HidValueCaps& caps,
                uint16_t usage, const std::vector<uint8_t>& report) {
    uint32_t raw = 0;
    int32_t scaled = 0;
    const auto size = static_cast<uint32_t>(report.size());
    const uint32_t status = HidGetUsageValue(c, type, caps.usagePage, caps.linkCollection, usage, &raw,
                                             report.data(), size);
    const uint32_t scaledStatus = HidGetScaledUsageValue(c, type, caps.usagePage, caps.linkCollection,
                                                         usage, &scaled, report.data(), size);
    if (status != HIDP_STATUS_SUCCESS) Check(scaledStatus == status);
    if (scaledStatus != HIDP_STATUS_SUCCESS) return;
    // The usage may be declared by several fields; the scaled value lies within the
    // physical range of one of them.
    bool inRange = false;
    for (const HidValueCaps& v : c.valueCaps[static_cast<size_t>(type)]) {
        if (v.usagePage != caps.usagePage || usage < v.usageMin || usage > v.usageMax ||
            v.reportId != report[0]) {
            continue;
        }
        const bool logical = v.physicalMin == 0 && v.physicalMax == 0;
        const int64_t lo = logical ? v.logicalMin : v.physicalMin;
        const int64_t hi = logical ? v.logicalMax : v.physicalMax;
        inRange = inRange || (scaled >= lo && scaled <= hi);
    }
    Check(inRange);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t wanted = size_t{data[0]} * 16 + 16;
    const size_t descriptorSize = wanted < size - 1 ? wanted : size - 1;
    const uint8_t* descriptor = data + 1;
    const uint8_t* fill = descriptor + descriptorSize;
    const size_t fillSize = size - 1 - descriptorSize;

    HidReportDescriptor parsed;
    const int rc = ParseReportDescriptor(descriptor, descriptorSize, parsed);
    if (rc != kHidParseOk) {
        Check(parsed.collections.empty());
        return 0;
    }
    Check(!parsed.collections.empty());

    for (const HidTopCollection& c : parsed.collections) {
        for (int t = 0; t < kHidReportTypeCount; ++t) {
            const auto type = static_cast<HidReportType>(t);
            const size_t length = c.reportByteLength[t];
            for (const HidField& f : c.fields) {
                if (f.type != type) continue;
                Check(length != 0 && c.HasReport(type, f.reportId) && c.OwnsReportId(f.reportId));
                Check((uint64_t{f.bitOffset} + uint64_t{f.reportSize} * f.reportCount + 7) / 8 + 1 <= length);
            }
            for (const HidButtonCaps& caps : c.buttonCaps[t]) {
                Check(caps.fieldIndex < c.fields.size() && caps.usageMin <= caps.usageMax);
                QueryButtons(c, type, caps, MakeReport(length, caps.reportId, fill, fillSize));
            }
            for (const HidValueCaps& caps : c.valueCaps[t]) {
                Check(caps.fieldIndex < c.fields.size() && caps.usageMin <= caps.usageMax);
                const auto report = MakeReport(length, caps.reportId, fill, fillSize);
                QueryValue(c, type, caps, caps.usageMin, report);
                if (caps.usageMax != caps.usageMin) QueryValue(c, type, caps, caps.usageMax, report);
            }
            // A wrong length is refused, never read past.
            if (length > 1) {
                const auto shortReport = MakeReport(length - 1, 0, fill, fillSize);
                uint32_t raw = 0;
                Check(HidGetUsageValue(c, type, 0, 0, 0, &raw, shortReport.data(),
                                       static_cast<uint32_t>(shortReport.size())) ==
                      HIDP_STATUS_INVALID_REPORT_LENGTH);
            }
        }
    }
    return 0;
}
