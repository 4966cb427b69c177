#include "link/report_descriptor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Boot keyboard (report id 1): modifier bits, a reserved byte, LED output, six key slots.
const Bytes kKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01,
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02,
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x05, 0x07, 0x19, 0x00, 0x2A, 0xFF, 0x00,
    0x81, 0x00,
    0xC0,
};
// Consumer control (report id 2): two 16-bit array slots.
const Bytes kConsumer = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x02, 0x81, 0x00,
    0xC0,
};
// Vendor command channel (report id 4): 63-byte input and output reports.
const Bytes kVendor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04,
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F,
    0x09, 0x01, 0x81, 0x02,
    0x09, 0x02, 0x91, 0x02,
    0xC0,
};
// Five-button mouse without report ids: buttons, padding, 16-bit X/Y, 8-bit wheel, all
// inside a physical Pointer collection.
const Bytes kMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,
    0x05, 0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x03, 0x81, 0x01,
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x16, 0x01, 0x80, 0x26, 0xFF, 0x7F, 0x75, 0x10, 0x95, 0x02,
    0x81, 0x06,
    0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06,
    0xC0, 0xC0,
};
// Gamepad whose values straddle byte boundaries: 4-bit hat (null state, 0..315 degrees),
// 12-bit X/Y scaled to 0..1000, a signed 32-bit vendor value at bit 28, 4 bits padding.
const Bytes kGamepad = {
    0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,
    0x09, 0x39, 0x15, 0x00, 0x25, 0x07, 0x35, 0x00, 0x46, 0x3B, 0x01, 0x65, 0x14, 0x75, 0x04,
    0x95, 0x01, 0x81, 0x42,
    0x09, 0x30, 0x09, 0x31, 0x26, 0xFF, 0x0F, 0x46, 0xE8, 0x03, 0x65, 0x00, 0x75, 0x0C, 0x95, 0x02,
    0x81, 0x02,
    0x06, 0x00, 0xFF, 0x09, 0x01, 0x17, 0x00, 0x00, 0x00, 0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F,
    0x35, 0x00, 0x45, 0x00, 0x75, 0x20, 0x95, 0x01, 0x81, 0x02,
    0x75, 0x04, 0x81, 0x03,
    0xC0,
};

// Wraps items in an application collection with one 16-bit Generic Desktop X input.
Bytes WithXInput(const Bytes& items) {
    return Concat({{0x05, 0x01, 0x09, 0x04, 0xA1, 0x01}, items,
                   {0x09, 0x30, 0x75, 0x10, 0x95, 0x01, 0x81, 0x02, 0xC0}});
}

HidReportDescriptor Parse(const Bytes& bytes) {
    HidReportDescriptor d;
    EXPECT_EQ(ParseReportDescriptor(bytes.data(), bytes.size(), d), kHidParseOk);
    return d;
}

// Writes `bits` bits of `value` at bit `offset` of the report data (after the id byte).
void PutBits(Bytes& report, uint32_t offset, uint32_t bits, uint64_t value) {
    for (uint32_t i = 0; i < bits; ++i) {
        const uint32_t bit = offset + i;
        if ((value >> i) & 1) report[1 + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
}

std::vector<uint16_t> Usages(const HidTopCollection& c, uint16_t page, const Bytes& report,
                             uint32_t* status, uint16_t link = 0) {
    std::vector<uint16_t> list(32, 0xBEEF);
    uint32_t length = static_cast<uint32_t>(list.size());
    *status = HidGetUsages(c, HidReportType::Input, page, link, list.data(), &length, report.data(),
                           static_cast<uint32_t>(report.size()));
    list.resize(*status == HIDP_STATUS_SUCCESS ? length : 0);
    return list;
}

TEST(ReportDescriptorTest, NodeWithThreeTopLevelCollections) {
    const Bytes bytes = Concat({kKeyboard, kConsumer, kVendor});
    const HidReportDescriptor d = Parse(bytes);
    ASSERT_EQ(d.collections.size(), 3u);
    EXPECT_TRUE(d.usesReportIds);

    struct Expect { uint16_t page, usage, in, out, feature; uint8_t id; };
    const Expect expected[] = {{0x01, 0x06, 9, 2, 0, 1}, {0x0C, 0x01, 5, 0, 0, 2},
                               {0xFF1C, 0x92, 64, 64, 0, 4}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const HidTopCollection& c = d.collections[i];
        EXPECT_EQ(c.usagePage, expected[i].page);
        EXPECT_EQ(c.usage, expected[i].usage);
        EXPECT_TRUE(c.usesReportIds);
        EXPECT_EQ(c.reportByteLength[0], expected[i].in);
        EXPECT_EQ(c.reportByteLength[1], expected[i].out);
        EXPECT_EQ(c.reportByteLength[2], expected[i].feature);
        for (uint8_t id : {uint8_t{1}, uint8_t{2}, uint8_t{4}}) {
            EXPECT_EQ(c.OwnsReportId(id), id == expected[i].id) << int{id};
            EXPECT_EQ(c.HasReport(HidReportType::Input, id), id == expected[i].id) << int{id};
        }
        EXPECT_EQ(c.HasReport(HidReportType::Output, expected[i].id), expected[i].out != 0);
        EXPECT_FALSE(c.HasReport(HidReportType::Feature, expected[i].id));
    }

    const HidTopCollection& kb = d.collections[0];
    // The constant reserved byte is a field of its own that shifts the key array.
    ASSERT_EQ(kb.fields.size(), 5u);
    EXPECT_TRUE(kb.fields[1].IsConstant());
    EXPECT_EQ(kb.fields[1].bitOffset, 8u);
    EXPECT_EQ(kb.fields[4].bitOffset, 16u);
    EXPECT_EQ(kb.fields[4].usages.size(), 256u);
    EXPECT_EQ(kb.fields[2].bitOffset, 0u);  // outputs are counted on their own
    EXPECT_EQ(kb.fields[3].bitOffset, 5u);

    const auto& in = kb.buttonCaps[0];
    ASSERT_EQ(in.size(), 2u);  // padding has no caps
    EXPECT_TRUE(in[0].isRange);
    EXPECT_EQ(in[0].usagePage, 0x07);
    EXPECT_EQ(in[0].usageMin, 0xE0);
    EXPECT_EQ(in[0].usageMax, 0xE7);
    EXPECT_EQ(in[0].reportId, 1);
    EXPECT_EQ(in[1].usageMin, 0x00);
    EXPECT_EQ(in[1].usageMax, 0xFF);
    EXPECT_EQ(in[1].fieldIndex, 4u);
    EXPECT_TRUE(kb.valueCaps[0].empty());
    ASSERT_EQ(kb.buttonCaps[1].size(), 1u);
    EXPECT_EQ(kb.buttonCaps[1][0].usagePage, 0x08);

    // Eight modifier usages plus six array slots.
    EXPECT_EQ(HidMaxUsageListLength(kb, HidReportType::Input, 0x07), 14u);
    EXPECT_EQ(HidMaxUsageListLength(kb, HidReportType::Input, 0), 14u);
    EXPECT_EQ(HidMaxUsageListLength(kb, HidReportType::Output, 0x08), 5u);
    EXPECT_EQ(HidMaxUsageListLength(kb, HidReportType::Input, 0x08), 0u);

    const HidTopCollection& vendor = d.collections[2];
    ASSERT_EQ(vendor.valueCaps[0].size(), 1u);
    EXPECT_EQ(vendor.valueCaps[0][0].usagePage, 0xFF1C);
    EXPECT_EQ(vendor.valueCaps[0][0].reportCount, 63u);
    EXPECT_EQ(vendor.valueCaps[0][0].logicalMax, 255);
}

TEST(ReportDescriptorTest, DecodesKeyboardAndConsumerReports) {
    const HidReportDescriptor d = Parse(Concat({kKeyboard, kConsumer}));
    const HidTopCollection& kb = d.collections[0];
    const HidTopCollection& cc = d.collections[1];
    uint32_t status = 0;

    // Left shift + left alt, keys A and B, four empty slots.
    const Bytes keys = {0x01, 0x22, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(Usages(kb, 0x07, keys, &status), (std::vector<uint16_t>{0xE1, 0xE5, 0x04, 0x05}));
    EXPECT_EQ(status, HIDP_STATUS_SUCCESS);

    uint16_t small[2] = {};
    uint32_t length = 2;
    EXPECT_EQ(HidGetUsages(kb, HidReportType::Input, 0x07, 0, small, &length, keys.data(), 9),
              HIDP_STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(length, 4u);

    const Bytes idle = {0x01, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(Usages(kb, 0x07, idle, &status).empty());
    EXPECT_EQ(status, HIDP_STATUS_SUCCESS);

    Bytes wrongId = keys;
    wrongId[0] = 0x02;
    Usages(kb, 0x07, wrongId, &status);
    EXPECT_EQ(status, HIDP_STATUS_INCOMPATIBLE_REPORT_ID);
    Usages(kb, 0x09, keys, &status);
    EXPECT_EQ(status, HIDP_STATUS_USAGE_NOT_FOUND);
    Usages(kb, 0x07, Bytes(keys.begin(), keys.end() - 1), &status);
    EXPECT_EQ(status, HIDP_STATUS_INVALID_REPORT_LENGTH);

    // Volume up and play/pause.
    const Bytes media = {0x02, 0xE9, 0x00, 0xCD, 0x00};
    EXPECT_EQ(Usages(cc, 0x0C, media, &status), (std::vector<uint16_t>{0xE9, 0xCD}));
    EXPECT_EQ(status, HIDP_STATUS_SUCCESS);
}

TEST(ReportDescriptorTest, DecodesMouseButtonsAndSignedValues) {
    const HidReportDescriptor d = Parse(kMouse);
    ASSERT_EQ(d.collections.size(), 1u);
    const HidTopCollection& m = d.collections[0];
    EXPECT_FALSE(m.usesReportIds);
    EXPECT_EQ(m.reportByteLength[0], 7);  // 6 data bytes + the id byte
    EXPECT_EQ(m.linkCollectionCount, 2);
    EXPECT_TRUE(m.HasReport(HidReportType::Input, 0));
    ASSERT_EQ(m.valueCaps[0].size(), 3u);
    EXPECT_EQ(m.valueCaps[0][1].usageMin, 0x31);
    EXPECT_EQ(m.valueCaps[0][1].logicalMin, -32767);
    EXPECT_EQ(m.valueCaps[0][1].linkCollection, 1);

    // Buttons 1 and 3, X = -5, Y = 300, wheel = -1.
    const Bytes report = {0x00, 0x05, 0xFB, 0xFF, 0x2C, 0x01, 0xFF};
    uint32_t status = 0;
    EXPECT_EQ(Usages(m, 0x09, report, &status), (std::vector<uint16_t>{1, 3}));
    EXPECT_EQ(Usages(m, 0x09, report, &status, 1), (std::vector<uint16_t>{1, 3}));
    Usages(m, 0x09, report, &status, 2);
    EXPECT_EQ(status, HIDP_STATUS_USAGE_NOT_FOUND);

    struct Case { uint16_t usage; uint32_t raw; int32_t scaled; };
    for (const Case& c : {Case{0x30, 0xFFFB, -5}, Case{0x31, 300, 300}, Case{0x38, 0xFF, -1}}) {
        uint32_t raw = 0;
        int32_t scaled = 0;
        EXPECT_EQ(HidGetUsageValue(m, HidReportType::Input, 0x01, 0, c.usage, &raw, report.data(), 7),
                  HIDP_STATUS_SUCCESS);
        EXPECT_EQ(raw, c.raw) << c.usage;
        EXPECT_EQ(HidGetScaledUsageValue(m, HidReportType::Input, 0x01, 0, c.usage, &scaled,
                                         report.data(), 7),
                  HIDP_STATUS_SUCCESS);
        EXPECT_EQ(scaled, c.scaled) << c.usage;
    }

    int32_t scaled = 0;
    uint32_t raw = 0;
    // -128 is outside -127..127 and the wheel has no null state.
    Bytes out = report;
    out[6] = 0x80;
    EXPECT_EQ(HidGetScaledUsageValue(m, HidReportType::Input, 0x01, 0, 0x38, &scaled, out.data(), 7),
              HIDP_STATUS_VALUE_OUT_OF_RANGE);
    EXPECT_EQ(HidGetUsageValue(m, HidReportType::Input, 0x01, 0, 0x32, &raw, report.data(), 7),
              HIDP_STATUS_USAGE_NOT_FOUND);
    // Buttons are not values.
    EXPECT_EQ(HidGetUsageValue(m, HidReportType::Input, 0x09, 0, 1, &raw, report.data(), 7),
              HIDP_STATUS_USAGE_NOT_FOUND);
    // Without report ids the first byte must be 0.
    Bytes withId = report;
    withId[0] = 1;
    EXPECT_EQ(HidGetUsageValue(m, HidReportType::Input, 0x01, 0, 0x30, &raw, withId.data(), 7),
              HIDP_STATUS_INCOMPATIBLE_REPORT_ID);
    EXPECT_EQ(HidGetUsageValue(m, HidReportType::Input, 0x01, 0, 0x30, &raw, report.data(), 8),
              HIDP_STATUS_INVALID_REPORT_LENGTH);
}

TEST(ReportDescriptorTest, ScalesValuesAtUnalignedOffsets) {
    const HidReportDescriptor d = Parse(kGamepad);
    const HidTopCollection& g = d.collections[0];
    ASSERT_EQ(g.reportByteLength[0], 9);
    ASSERT_EQ(g.fields.size(), 4u);
    EXPECT_EQ(g.fields[2].bitOffset, 28u);
    EXPECT_EQ(g.fields[0].unit, 0x14u);

    Bytes report(9, 0);
    PutBits(report, 0, 4, 2);                                      // hat: 90 degrees
    PutBits(report, 4, 12, 0x800);                                  // X
    PutBits(report, 16, 12, 0xFFF);                                 // Y
    PutBits(report, 28, 32, static_cast<uint32_t>(-123456));        // vendor value
    PutBits(report, 60, 4, 0xF);                                    // padding must not leak

    auto scaled = [&](uint16_t page, uint16_t usage, const Bytes& r, int32_t* v) {
        return HidGetScaledUsageValue(g, HidReportType::Input, page, 0, usage, v, r.data(), 9);
    };
    int32_t v = 0;
    uint32_t raw = 0;
    EXPECT_EQ(scaled(0x01, 0x39, report, &v), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(v, 90);
    EXPECT_EQ(HidGetUsageValue(g, HidReportType::Input, 0x01, 0, 0x30, &raw, report.data(), 9),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(raw, 0x800u);
    EXPECT_EQ(scaled(0x01, 0x30, report, &v), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(v, 500);  // 2048 * 1000 / 4095, truncated
    EXPECT_EQ(scaled(0x01, 0x31, report, &v), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(v, 1000);
    EXPECT_EQ(HidGetUsageValue(g, HidReportType::Input, 0xFF00, 0, 0x01, &raw, report.data(), 9),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(raw, static_cast<uint32_t>(-123456));
    EXPECT_EQ(scaled(0xFF00, 0x01, report, &v), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(v, -123456);

    Bytes centred = report;
    centred[1] = static_cast<uint8_t>((centred[1] & 0xF0) | 8);  // hat outside 0..7: null state
    EXPECT_EQ(scaled(0x01, 0x39, centred, &v), HIDP_STATUS_NULL);
}

TEST(ReportDescriptorTest, GlobalAndLocalItemRules) {
    const Bytes bytes = {
        0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,
        0xFE, 0x02, 0x10, 0xAA, 0xBB,              // long item, skipped
        0xA4, 0x05, 0x0C, 0x15, 0x05, 0x25, 0x05,  // push; page and logical range changed
        0x09, 0xE9, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02,
        0xB4,                                      // pop: Generic Desktop, 0..0 again
        0x09, 0x30, 0x05, 0x02,                    // page declared after its usage
        0x0B, 0x35, 0x00, 0x01, 0x00,              // 32-bit usage with its own page
        0x55, 0x0E,                                // unit exponent -2 as a nibble
        0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02,
        0xC0,
        0x81, 0x02,                                // outside any collection: ignored
    };
    const HidReportDescriptor d = Parse(bytes);
    ASSERT_EQ(d.collections.size(), 1u);
    const HidTopCollection& c = d.collections[0];
    ASSERT_EQ(c.fields.size(), 2u);
    EXPECT_EQ(c.fields[0].usages, (std::vector<uint32_t>{0x000C00E9}));
    EXPECT_EQ(c.fields[0].logicalMin, 5);
    EXPECT_EQ(c.fields[1].usages, (std::vector<uint32_t>{0x00020030, 0x00010035}));
    EXPECT_EQ(c.fields[1].logicalMin, 0);
    EXPECT_EQ(c.fields[1].unitExponent, -2);
    EXPECT_EQ(c.fields[1].bitOffset, 8u);
    EXPECT_EQ(c.reportByteLength[0], 4);

    const Bytes report = {0x00, 0x05, 0x11, 0x22};
    int32_t v = 0;
    uint32_t raw = 0;
    // Logical 5..5 cannot be scaled.
    EXPECT_EQ(HidGetScaledUsageValue(c, HidReportType::Input, 0x0C, 0, 0xE9, &v, report.data(), 4),
              HIDP_STATUS_BAD_LOG_PHY_VALUES);
    EXPECT_EQ(HidGetUsageValue(c, HidReportType::Input, 0x01, 0, 0x35, &raw, report.data(), 4),
              HIDP_STATUS_SUCCESS);
    EXPECT_EQ(raw, 0x22u);  // second element
}

TEST(ReportDescriptorTest, HighestExtendedUsageIsOneUsage) {
    const HidReportDescriptor d = Parse(WithXInput({0x0B, 0xFF, 0xFF, 0xFF, 0xFF}));
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_EQ(d.collections[0].fields[0].usages, (std::vector<uint32_t>{0xFFFFFFFF, 0x00010030}));
}

TEST(ReportDescriptorTest, LogicalMaximumSignDependsOnMinimum) {
    struct Case { Bytes items; int32_t min, max; };
    const Case cases[] = {
        {{0x15, 0x00, 0x25, 0xFF}, 0, 255},
        {{0x25, 0xFF, 0x15, 0x00}, 0, 255},  // order does not matter
        {{0x15, 0x81, 0x25, 0x7F}, -127, 127},
        {{0x15, 0xFF, 0x25, 0xFF}, -1, -1},
        {{0x16, 0x00, 0x80, 0x26, 0xFF, 0x7F}, -32768, 32767},
        {{0x15, 0x00, 0x26, 0xFF, 0xFF}, 0, 65535},
    };
    for (const Case& c : cases) {
        const HidReportDescriptor d = Parse(WithXInput(c.items));
        ASSERT_EQ(d.collections.size(), 1u);
        ASSERT_EQ(d.collections[0].fields.size(), 1u);
        EXPECT_EQ(d.collections[0].fields[0].logicalMin, c.min) << c.max;
        EXPECT_EQ(d.collections[0].fields[0].logicalMax, c.max) << c.min;
    }
}

TEST(ReportDescriptorTest, CollectionsSharingAReportIdExtendIt) {
    const Bytes bytes = {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x05, 0x09, 0x30, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02,
        0x95, 0x00, 0x81, 0x02,  // a count of 0 describes nothing
        0xC0,
        0x09, 0x04, 0xA1, 0x01, 0x09, 0x31, 0x75, 0x10, 0x95, 0x01, 0x81, 0x02, 0xC0,
    };
    const HidReportDescriptor d = Parse(bytes);
    ASSERT_EQ(d.collections.size(), 2u);
    ASSERT_EQ(d.collections[0].fields.size(), 1u);
    ASSERT_EQ(d.collections[1].fields.size(), 1u);
    EXPECT_EQ(d.collections[1].fields[0].bitOffset, 8u);
    EXPECT_EQ(d.collections[0].reportByteLength[0], 4);
    EXPECT_EQ(d.collections[1].reportByteLength[0], 4);
    EXPECT_EQ(d.collections[1].usage, 0x04);
}

TEST(ReportDescriptorTest, VariableButtonsBeyondTheirUsagesListTheLastOnce) {
    // Two usages for four one-bit elements: elements 1..3 all mean button 2.
    const Bytes bytes = {0x05, 0x09, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01, 0x09, 0x02, 0x75, 0x01,
                         0x95, 0x04, 0x81, 0x02, 0x75, 0x04, 0x95, 0x01, 0x81, 0x01, 0xC0};
    const HidReportDescriptor d = Parse(bytes);
    const HidTopCollection& c = d.collections[0];
    ASSERT_EQ(c.buttonCaps[0].size(), 2u);
    EXPECT_FALSE(c.buttonCaps[0][1].isRange);
    EXPECT_EQ(c.buttonCaps[0][1].usageMin, 2);
    EXPECT_EQ(c.buttonCaps[0][1].usageMax, 2);
    EXPECT_EQ(HidMaxUsageListLength(c, HidReportType::Input, 0x09), 2u);
    uint32_t status = 0;
    EXPECT_EQ(Usages(c, 0x09, {0x00, 0x0D}, &status), (std::vector<uint16_t>{1, 2}));
    EXPECT_EQ(Usages(c, 0x09, {0x00, 0x0C}, &status), (std::vector<uint16_t>{2}));
}

Bytes Repeat(const Bytes& unit, size_t times) {
    Bytes out;
    for (size_t i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

TEST(ReportDescriptorTest, FieldLimitAppliesPerTopLevelCollection) {
    const Bytes one = Concat({{0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01},
                              Repeat({0x81, 0x02}, 200), {0xC0}});
    const HidReportDescriptor d = Parse(Concat({one, one}));
    ASSERT_EQ(d.collections.size(), 2u);
    EXPECT_EQ(d.collections[1].fields.size(), 200u);
    EXPECT_EQ(d.collections[1].fields.back().bitOffset, 399u * 8);
}

TEST(ReportDescriptorTest, AcceptsAFullPageUsageRange) {
    // Consumer collections often declare usages up to 0xFFFF in one array field.
    const Bytes consumer = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x27, 0xFF, 0xFF,
                            0x00, 0x00, 0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};
    const HidReportDescriptor d = Parse(consumer);
    ASSERT_EQ(d.collections.size(), 1u);
    const uint8_t report[3] = {3, 0x03, 0x11};
    uint16_t usages[1] = {};
    uint32_t count = 1;
    EXPECT_EQ(HidGetUsages(d.collections[0], HidReportType::Input, 0x0C, 0, usages, &count, report, 3),
              HIDP_STATUS_SUCCESS);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(usages[0], 0x1103);
}

TEST(ReportDescriptorTest, RejectsBrokenDescriptors) {
    const Bytes open = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
    const Bytes button8 = {0x75, 0x08, 0x95, 0x01};
    struct Case { const char* name; Bytes bytes; int rc; };
    const Case cases[] = {
        {"empty", {}, kHidParseEmpty},
        {"no collection", {0x05, 0x01, 0x09, 0x02, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, kHidParseEmpty},
        {"truncated item", Concat({open, {0x26, 0xFF}}), kHidParseTruncated},
        {"truncated long item", Concat({open, {0xFE, 0x10, 0x00, 0x01}}), kHidParseTruncated},
        {"pop without push", Concat({open, {0xB4, 0xC0}}), kHidParseBadNesting},
        {"stack overflow", Concat({open, Repeat({0xA4}, kHidMaxGlobalStack + 1), {0xC0}}),
         kHidParseBadNesting},
        {"end collection without collection", {0xC0}, kHidParseBadNesting},
        {"collections too deep", Repeat({0xA1, 0x00}, kHidMaxCollectionDepth + 1), kHidParseBadNesting},
        {"too many collections", Repeat({0xA1, 0x01, 0xC0}, kHidMaxCollections + 1), kHidParseTooLarge},
        {"unclosed collection", Concat({open, button8, {0x81, 0x02}}), kHidParseUnbalanced},
        {"report id 0", Concat({open, {0x85, 0x00, 0xC0}}), kHidParseBadItem},
        {"unknown global item", Concat({open, {0xC4, 0x00, 0xC0}}), kHidParseBadItem},
        {"usage range min > max", Concat({open, {0x19, 0x05, 0x29, 0x01}, button8, {0x81, 0x00, 0xC0}}),
         kHidParseBadItem},
        {"usage minimum alone", Concat({open, {0x19, 0x01}, button8, {0x81, 0x00, 0xC0}}),
         kHidParseBadItem},
        {"report size 0 with a count", Concat({open, {0x75, 0x00, 0x95, 0x01, 0x81, 0x02, 0xC0}}),
         kHidParseBadItem},
        {"report size over 256", Concat({open, {0x76, 0x01, 0x01, 0xC0}}), kHidParseTooLarge},
        {"huge report count",
         Concat({open, {0x75, 0x08, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x02, 0xC0}}), kHidParseTooLarge},
        {"report longer than 4096 bytes",
         Concat({open, {0x75, 0x08, 0x96, 0x00, 0x08, 0x81, 0x02, 0x81, 0x02, 0x81, 0x02}, {0xC0}}),
         kHidParseTooLarge},
        {"more usages than a field may have",
         Concat({open, {0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x19, 0x00, 0x2A, 0xFF, 0xFF}, button8,
                 {0x81, 0x00, 0xC0}}),
         kHidParseTooLarge},
        {"more usages than a descriptor may have",
         Concat({open, Repeat({0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x75, 0x08, 0x95, 0x01, 0x81, 0x00}, 3),
                 {0xC0}}),
         kHidParseTooLarge},
        {"too many fields", Concat({open, button8, Repeat({0x81, 0x02}, kHidMaxFields + 1), {0xC0}}),
         kHidParseTooLarge},
        {"oversize descriptor", Concat({open, Bytes(kHidMaxDescriptorSize, 0x00), {0xC0}}),
         kHidParseTooLarge},
    };
    for (const Case& c : cases) {
        HidReportDescriptor d = Parse(kKeyboard);  // a failed parse must not leave this behind
        EXPECT_EQ(ParseReportDescriptor(c.bytes.data(), c.bytes.size(), d), c.rc) << c.name;
        EXPECT_TRUE(d.collections.empty()) << c.name;
        EXPECT_FALSE(d.usesReportIds) << c.name;
    }
}

}  // namespace
