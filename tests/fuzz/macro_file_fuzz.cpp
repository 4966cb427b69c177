// Fuzzes the macro file reader and the block encoder.
//
// The input is taken as a macro file's text and, the same bytes, as a
// hand-edited "macro.config". The events of the file go through the checker
// and the encoder at a capacity chosen by the last byte; every block the
// encoder makes must decode, as the device firmware reads it, to exactly the
// events it was made from. The library must never name a file outside its
// folder, whatever "macro.config" says.
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "devices/macro_block.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"
#include "sim/sim_blocks.h"

namespace {

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

// The block against the records it was made from.
void CheckBlock(const std::vector<uint8_t>& block, const std::vector<Json::Value>& records) {
    Check(block.size() <= kMaxEventBlockLength);
    const SimDecodedBlock decoded = DecodeEventBlock(block.data(), block.size(), -1);
    Check(decoded.valid);
    Check(decoded.records.size() == records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        const Json::Value& events = records[r];
        const size_t count = events.isArray() ? events.size() : 0;
        Check(decoded.records[r].size() == count);
        for (Json::ArrayIndex e = 0; e < count; ++e) {
            const BlockEvent want = DeviceEvent(events[e]);
            const SimEvent& got = decoded.records[r][e];
            Check(got.delay == want.delay && got.code == want.code && got.button == want.button);
        }
    }
}

void MacroFile(std::string_view text, uint8_t capacity, uint8_t copies) {
    const Json::Value document = CJsonFileUtil::ParseJson(text);
    std::string reason;
    const bool accepted = CMacroLibrary::CheckMacroDocument(document, kMaxDeviceMacroEvents, reason);
    Check(accepted || !reason.empty());
    const Json::Value events =
        document.isObject() && document["Events"].isArray() ? document["Events"] : Json::Value(Json::arrayValue);
    if (accepted) {
        for (const Json::Value& e : events) {
            const BlockEvent b = DeviceEvent(e);
            Check((b.code & 0x80) == (e["Action"].asString() == "down" ? 0x80 : 0));
            Check(b.button == e["Button"].asInt());
            const Json::Value& d = e["Delay"];
            Check(b.delay == (d.isString() ? std::stoul(d.asString()) : d.asUInt()));
        }
    }

    // The same macro in 1 to 4 slots, and the odd record that is no array.
    std::vector<Json::Value> records(static_cast<size_t>(copies % 4) + 1, events);
    if (copies & 0x10)
        records.push_back(document);
    std::vector<uint8_t> block;
    const int r = EncodeMacroBlock(records, capacity, block);
    if (r != 0) {
        Check(block.empty());
        return;
    }
    if (!block.empty()) {
        Check(block.size() <= static_cast<size_t>(capacity) * kMacroCapacityUnit);
        CheckBlock(block, records);
    }
    const Json::Value four[4] = {events, document, events, Json::Value()};
    const std::vector<uint8_t> firing = EncodeFiringBlock(std::span<const Json::Value, 4>(four));
    if (!firing.empty())
        CheckBlock(firing, std::vector<Json::Value>(std::begin(four), std::end(four)));
}

const std::string& Folder() {
    static const std::string folder = [] {
        char path[] = "/tmp/r730-macro-fuzz-XXXXXX";
        Check(mkdtemp(path) != nullptr);
        return std::string(path) + "/";
    }();
    return folder;
}

void MacroConfig(std::string_view text) {
    const std::string& folder = Folder();
    std::FILE* f = std::fopen((folder + CMacroLibrary::kIndexFileName).c_str(), "wb");
    Check(f != nullptr);
    Check(std::fwrite(text.data(), 1, text.size(), f) == text.size());
    Check(std::fclose(f) == 0);
    CMacroLibrary library(folder);
    library.Load();
    for (size_t i = 0; i < library.Count(); ++i) {
        const std::string path = library.MacroFilePath(static_cast<int>(i));
        if (path.empty())
            continue;
        // Directly inside the folder, named by a plain id.
        Check(path.compare(0, folder.size(), folder) == 0);
        const std::string name = path.substr(folder.size());
        Check(name.find('/') == std::string::npos && name != std::string(".") + CMacroLibrary::kMacroExtension &&
              name != std::string("..") + CMacroLibrary::kMacroExtension);
        (void)library.ReadEvents(static_cast<int>(i));
    }
    // What Load wrote back reads back the same, with nothing left to mend.
    if (library.RepairedIds() > 0 && !library.RepairWriteFailed()) {
        CMacroLibrary again(folder);
        again.Load();
        Check(again.RepairedIds() == 0);
        Check(again.Count() == library.Count());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const uint8_t capacity = size ? data[size - 1] : 0;
    const uint8_t copies = size > 1 ? data[size - 2] : 0;
    MacroFile(text, capacity, copies);
    MacroConfig(text);
    return 0;
}
