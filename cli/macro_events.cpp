#include "cli/macro_events.h"

#include <cstdio>
#include <cstring>

#include "devices/macro_block.h"
#include "profiles/file_io.h"
#include "profiles/json_file_util.h"

namespace {

const char* TypeName(uint8_t code) {
    switch (code & 0x7F) {
        case 1: return "button";
        case 2:
        case 3: return "mouse";
        case 4: return "move-x";
        case 5: return "move-y";
        case 9: return "modifier";
        case 10: return "key";
        default: return "other";
    }
}

std::string Bytes(const BlockEvent& e) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", e.delay & 0xFF, e.delay >> 8, e.code, e.button);
    return text;
}

}  // namespace

std::string MacroEventsText(const Json::Value& events) {
    std::string text;
    char line[128];
    for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
        const BlockEvent e = DeviceEvent(events[i]);
        std::snprintf(line, sizeof line, "%3u  %-8s  %-4s  0x%02X  %5u ms  %s\n", i, TypeName(e.code),
                      e.code & 0x80 ? "down" : "up", e.button, static_cast<unsigned>(e.delay), Bytes(e).c_str());
        text += line;
    }
    return text;
}

Json::Value MacroEventsJson(const Json::Value& events) {
    Json::Value list(Json::arrayValue);
    for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
        const BlockEvent e = DeviceEvent(events[i]);
        Json::Value v(Json::objectValue);
        v["type"] = e.code & 0x7F;
        v["action"] = e.code & 0x80 ? "down" : "up";
        v["button"] = e.button;
        v["delay"] = e.delay;
        v["bytes"] = Bytes(e);
        list.append(v);
    }
    return list;
}

std::vector<MacroRow> MacroRowsOf(const Json::Value& document) {
    std::vector<MacroRow> rows;
    for (const Json::Value& event : document["Events"]) {
        const Json::Value& delay = event["Delay"];
        rows.push_back({delay.isString() ? delay.asString() : std::to_string(delay.asInt()),
                        CJsonFileUtil::StyledText(event)});
    }
    return rows;
}

bool ReadMacroFile(const std::string& path, size_t maxEvents, Json::Value& document, std::string& reason) {
    std::string text;
    if (const int e = ReadWholeFile(path, text); e != 0) {
        reason = std::strerror(e);
        return false;
    }
    document = CJsonFileUtil::ParseJson(text);
    return CMacroLibrary::CheckMacroDocument(document, maxEvents, reason);
}
