#include "cli/raw_command.h"
#include "cli/command_words.h"
#include "cli/result_text.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <json/json.h>

#include "cli/device_kinds.h"
#include "cli/discovery_session.h"
#include "link/device_commands.h"
#include "link/device_link.h"
#include "link/result_codes.h"

namespace {

// The information block names more key slots than a 512-byte table holds.
constexpr int kTableTooLong = -1000;

struct RawRequest {
    std::string kind;  // empty: the first device found
    std::string what;
    long offset = 0;
    long length = 0;
    bool json = false;
};

bool ParseNumber(const char* text, long max, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 0);
    return end != text && *end == '\0' && value >= 0 && value <= max;
}

int ParseRequest(int argc, char** argv, int first, RawRequest& r, std::string& error) {
    const std::vector<std::string> words = CommandWords(argc, argv, first, r.json);
    size_t at = 0;
    if (at < words.size() && IsKindName(words[at])) r.kind = words[at++];
    if (at >= words.size()) {
        error = "raw: say what to read: info, status, keytable, ledmap or settings OFFSET LENGTH";
        return 2;
    }
    r.what = words[at++];
    if (r.what == "settings") {
        if (words.size() - at != 2 || !ParseNumber(words[at].c_str(), 0xFFFF, r.offset) ||
            !ParseNumber(words[at + 1].c_str(), 0xFFFF, r.length)) {
            error = "raw settings: give OFFSET and LENGTH (0-65535, decimal or 0x hex)";
            return 2;
        }
        at += 2;
    } else if (r.what != "info" && r.what != "status" && r.what != "keytable" && r.what != "ledmap") {
        error = "raw: unknown area '" + r.what + "'";
        return 2;
    }
    if (at != words.size()) {
        error = "raw: unexpected argument '" + words[at] + "'";
        return 2;
    }
    return 0;
}

// The first device of the kind (any kind when empty); null when there is none.
const SessionDevice* FindDevice(const std::vector<SessionDevice>& devices, const std::string& kind) {
    for (const SessionDevice& d : devices)
        if (kind.empty() || d.kind == kind) return &d;
    return nullptr;
}

std::string RawResultText(int result) {
    if (result == kTableTooLong) return "the key table would be longer than 512 bytes";
    return ResultText(result, "device");
}

// Reads the information block first when the area's length follows from it.
int ReadArea(DeviceLink& link, const RawRequest& r, const SessionDevice& device, std::vector<uint8_t>& data) {
    if (r.what == "info") {
        data.assign(kInfoBlockSize, 0);
        return ReadInfoBlock(link, data.data());
    }
    if (r.what == "status") {
        data.assign(device.kind == "mouse" ? 2 : 6, 0);
        return ReadStatus(link, data.data(), static_cast<uint8_t>(data.size()), 0);
    }
    if (r.what == "settings") {
        data.assign(static_cast<size_t>(r.length), 0);
        return ReadSettings(link, data.data(), data.size(), static_cast<uint16_t>(r.offset));
    }
    uint8_t info[kInfoBlockSize] = {};
    if (const int result = ReadInfoBlock(link, info); result != kResultOk) return result;
    if (!link.SetTableLength(info[kInfoKeySlotsByte] * 3u)) return kTableTooLong;
    std::vector<uint8_t> buffer(512, 0);
    const bool keys = r.what == "keytable";
    const int result = keys ? ReadKeyTable(link, buffer.data()) : ReadLedMap(link, buffer.data());
    buffer.resize(keys ? link.TableLength() : link.TableLength() / 3u);
    data = std::move(buffer);
    return result;
}

void PrintHex(std::FILE* out, const std::vector<uint8_t>& data, long base) {
    for (size_t i = 0; i < data.size(); i += 16) {
        std::fprintf(out, "%04lx ", base + static_cast<long>(i));
        for (size_t j = i; j < i + 16 && j < data.size(); ++j) std::fprintf(out, " %02x", data[j]);
        std::fputc('\n', out);
    }
}

void PrintJson(std::FILE* out, const RawRequest& r, const SessionDevice& d, bool viaReceiver,
               const std::vector<uint8_t>& data) {
    Json::Value v(Json::objectValue);
    v["kind"] = d.kind;
    v["connection"] = viaReceiver ? "receiver" : "cable";
    v["area"] = r.what;
    v["offset"] = static_cast<Json::Int>(r.offset);
    v["length"] = static_cast<Json::UInt>(data.size());
    std::string hex;
    for (uint8_t b : data) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    v["hex"] = hex;
    PrintJson(out, v);
}

}  // namespace

int RunRawCommand(int argc, char** argv, int first, std::FILE* out, std::FILE* err) {
    RawRequest r;
    std::string error;
    if (const int code = ParseRequest(argc, argv, first, r, error); code != 0) {
        std::fprintf(err, "r730ctl: %s\n", error.c_str());
        return code;
    }
    DiscoverySession session;
    if (!session.ScanOrReport(err)) return 1;
    const std::vector<SessionDevice> devices = session.Devices();
    const SessionDevice* found = FindDevice(devices, r.kind);
    if (!found) {
        std::fprintf(err, "r730ctl: raw: no %s found\n",
                     r.kind.empty() ? "supported device" : r.kind.c_str());
        return 1;
    }
    const SessionDevice& device = *found;
    // The link as discovery opened it: on the cable when it is there, else on the receiver.
    DeviceLink& link = device.device->CommandLink();
    if (!link.Opened()) {
        std::fprintf(err, "r730ctl: raw: cannot open %s (permission?)\n", device.commandPath.c_str());
        return 1;
    }
    const bool viaReceiver = device.device->ThroughReceiver();
    std::vector<uint8_t> data;
    const int result = ReadArea(link, r, device, data);
    if (result != kResultOk) {
        std::fprintf(err, "r730ctl: raw %s: %s (result %d)\n", r.what.c_str(), RawResultText(result).c_str(), result);
        return 1;
    }
    if (r.json) {
        PrintJson(out, r, device, viaReceiver, data);
    } else {
        std::fprintf(out, "%s %s, %s, %zu bytes:\n", device.kind.c_str(), viaReceiver ? "receiver" : "cable",
                     r.what.c_str(), data.size());
        PrintHex(out, data, r.offset);
    }
    return 0;
}
