#include "sim/sim_config.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <json/json.h>

namespace {

// "0x" followed by one to eight hex digits.
bool ParseHex(const std::string& text, long& value) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        value = value * 16 + digit;
    }
    return true;
}

// Reads an integer member into `out` when present: a JSON integer, or (when
// `hex` is allowed) a string "0x…". False with a message when out of range.
bool ReadInt(const Json::Value& entry, const std::string& where, const char* key, long min,
             long max, bool hex, long& out, bool& present, std::string& error) {
    present = entry.isMember(key);
    if (!present) return true;
    const Json::Value& v = entry[key];
    const std::string name = where + "." + key;
    const std::string range = "from " + std::to_string(min) + " to " + std::to_string(max);
    if (v.isString() && hex) {
        long value = 0;
        if (!ParseHex(v.asString(), value) || value < min || value > max) {
            error = name + " must be a number " + range + " (an integer or a \"0x\" hex string)";
            return false;
        }
        out = value;
        return true;
    }
    if (!v.isInt64() || v.asInt64() < min || v.asInt64() > max) {
        error = name + " must be an integer " + range;
        return false;
    }
    out = static_cast<long>(v.asInt64());
    return true;
}

bool ReadEntry(const Json::Value& entry, const std::string& where, SimDeviceSpec& setup,
               std::string& error) {
    if (!entry.isObject()) {
        error = where + " must be an object";
        return false;
    }
    const Json::Value& kind = entry["kind"];
    if (!kind.isString() || !SimKindFromName(kind.asString(), setup.kind)) {
        error = where + ".kind must be \"mouse\", \"keyboard\", \"mousepad\" or \"headset\"";
        return false;
    }
    if (entry.isMember("connection")) {
        const Json::Value& c = entry["connection"];
        if (!c.isString() || !SimConnectionFromName(c.asString(), setup.connection)) {
            error = where + ".connection must be \"cable\", \"receiver\" or \"both\"";
            return false;
        }
    }
    for (auto [key, flag] : {std::pair{"radio_reachable", &setup.radioReachable},
                             std::pair{"realistic_timing", &setup.realisticTiming}}) {
        if (!entry.isMember(key)) continue;
        if (!entry[key].isBool()) {
            error = where + "." + key + " must be true or false";
            return false;
        }
        *flag = entry[key].asBool();
    }
    SimOptions& o = setup.options;
    struct Field {
        const char* key;
        long min, max;
        bool hex;
        void (*apply)(SimOptions&, long);
    };
    static const Field fields[] = {
        {"sensor_id", 0, 0xFFFF, true,
         [](SimOptions& s, long v) { s.sensorId = static_cast<uint16_t>(v); }},
        {"key_slots", 0, 255, false,
         [](SimOptions& s, long v) { s.keySlots = static_cast<int>(v); }},
        {"macro_capacity", 1, 255, false,
         [](SimOptions& s, long v) { s.macroCapacity = static_cast<uint8_t>(v); }},
        {"host_flag", 0, 255, true,
         [](SimOptions& s, long v) { s.hostFlag = static_cast<uint8_t>(v); }},
        {"battery", 0, 100, false,
         [](SimOptions& s, long v) { s.battery = static_cast<uint8_t>(v); }},
        {"charging", 0, 2, false,
         [](SimOptions& s, long v) { s.charging = static_cast<uint8_t>(v); }},
        {"phone_type", 0, 3, false,
         [](SimOptions& s, long v) { s.phoneType = static_cast<uint8_t>(v); }},
        {"firmware_version", 0, 0xFFFF, true,
         [](SimOptions& s, long v) { s.firmwareVersion = static_cast<uint16_t>(v); }},
        {"profiles", 1, 4, false, [](SimOptions& s, long v) { s.profiles = static_cast<int>(v); }},
    };
    for (const Field& f : fields) {
        long value = 0;
        bool present = false;
        if (!ReadInt(entry, where, f.key, f.min, f.max, f.hex, value, present, error)) return false;
        if (present) f.apply(o, value);
    }
    return true;
}

}  // namespace

bool ParseSimConfig(std::string_view text, std::vector<SimDeviceSpec>& specs, std::string& error) {
    try {
        Json::CharReaderBuilder builder;
        Json::CharReaderBuilder::strictMode(&builder.settings_);
        builder["allowComments"] = true;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::Value root;
        std::string parseErrors;
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &parseErrors)) {
            while (!parseErrors.empty() &&
                   (parseErrors.back() == '\n' || parseErrors.back() == ' '))
                parseErrors.pop_back();
            error = "not valid JSON: " + parseErrors;
            return false;
        }
        if (!root.isObject()) {
            error = "the document must be a JSON object";
            return false;
        }
        if (!root.isMember("devices")) {
            specs = DefaultSimSpecs();
            return true;
        }
        const Json::Value& devices = root["devices"];
        if (!devices.isArray()) {
            error = "\"devices\" must be an array";
            return false;
        }
        std::vector<SimDeviceSpec> parsed;
        for (Json::ArrayIndex i = 0; i < devices.size(); ++i) {
            SimDeviceSpec setup;
            if (!ReadEntry(devices[i], "devices[" + std::to_string(i) + "]", setup, error))
                return false;
            parsed.push_back(setup);
        }
        if (!CheckSimSpecs(parsed, error)) return false;
        specs = std::move(parsed);
        return true;
    } catch (const std::exception& ex) {
        error = std::string("cannot read the configuration: ") + ex.what();
        return false;
    }
}

bool LoadSimConfig(const std::string& path, std::vector<SimDeviceSpec>& specs, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (!ParseSimConfig(text.str(), specs, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

int TakeSimOption(int argc, char** argv, int& i, SimSelection& selection, std::string& error) {
    const std::string arg = argv[i];
    if (arg == "--simulate") {
        selection.simulate = true;
        return 1;
    }
    if (arg.rfind("--simulate=", 0) == 0) {
        selection.simulate = true;
        selection.listGiven = true;
        selection.list = arg.substr(11);
        std::vector<SimDeviceSpec> specs;
        if (!ParseSimulateList(selection.list, specs, error)) {
            error = "--simulate: " + error;
            return -1;
        }
        return 1;
    }
    if (arg == "--sim-config") {
        if (i + 1 >= argc) {
            error = "--sim-config needs a file name";
            return -1;
        }
        selection.configPath = argv[++i];
        return 1;
    }
    if (arg.rfind("--sim-config=", 0) == 0) {
        selection.configPath = arg.substr(13);
        if (selection.configPath.empty()) {
            error = "--sim-config needs a file name";
            return -1;
        }
        return 1;
    }
    return 0;
}

bool ResolveSimSpecs(const SimSelection& selection, std::vector<SimDeviceSpec>& specs,
                     std::string& error) {
    std::vector<SimDeviceSpec> configured = DefaultSimSpecs();
    if (!selection.configPath.empty() && !LoadSimConfig(selection.configPath, configured, error))
        return false;
    if (!selection.listGiven) {
        specs = std::move(configured);
        return true;
    }
    std::vector<SimDeviceSpec> listed;
    if (!ParseSimulateList(selection.list, listed, error)) {
        error = "--simulate: " + error;
        return false;
    }
    for (SimDeviceSpec& setup : listed) {
        for (const SimDeviceSpec& c : configured) {
            if (c.kind != setup.kind) continue;
            setup.options = c.options;
            setup.radioReachable = c.radioReachable;
        }
    }
    specs = std::move(listed);
    return true;
}
