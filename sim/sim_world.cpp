#include "sim/sim_world.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <json/json.h>

namespace {

constexpr const char* kStateFormat = "r730-sim-state";
constexpr int kStateVersion = 1;
constexpr size_t kMaxMacroBytes = 255 * 128;

std::string ToHex(const uint8_t* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text.push_back(digits[data[i] >> 4]);
        text.push_back(digits[data[i] & 0x0F]);
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool FromHex(const std::string& text, std::vector<uint8_t>& out) {
    if (text.size() % 2 != 0) return false;
    out.clear();
    out.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return true;
}

std::string Errno(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Writes all of `text` to a new file beside `path`, then renames it over `path`.
bool WriteWhole(const std::string& path, const std::string& text, std::string& error) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = Errno("cannot create a temporary file for", path);
        return false;
    }
    auto fail = [&](const std::string& message) {
        error = message;
        close(fd);
        unlink(temp.c_str());
        return false;
    };
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(Errno("cannot write", temp));
        done += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0) return fail(Errno("cannot flush", temp));
    if (close(fd) != 0) {
        error = Errno("cannot close", temp);
        unlink(temp.c_str());
        return false;
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        error = Errno("cannot rename the temporary file to", path);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

struct Area {
    const char* key;
    std::vector<uint8_t> SimMemory::*vector;  // null for the fixed arrays
    size_t size;                              // 0: any size up to kMaxMacroBytes
};

// The vector areas of the memory and their sizes (settings: by kind).
std::vector<Area> VectorAreas(SimKind kind) {
    return {{"settings", &SimMemory::settings, SettingsLayout(kind).areaSize},
            {"key_table", &SimMemory::keyTable, kSimKeyTableSize},
            {"led_map", &SimMemory::ledMap, kSimKeyTableSize},
            {"light_tables", &SimMemory::lightTables, kSimLightBlocks * kSimLightBlockSize},
            {"macro_data", &SimMemory::macroData, 0},
            {"shoot_data", &SimMemory::shootData, kSimShootCapacity}};
}

Json::Value MemoryToJson(SimKind kind, const SimMemory& m) {
    Json::Value d(Json::objectValue);
    d["firmware_version"] = m.firmwareVersion;
    d["profiles"] = m.profiles;
    d["info"] = ToHex(m.info.data(), m.info.size());
    d["status"] = ToHex(m.status.data(), m.status.size());
    for (const Area& a : VectorAreas(kind)) {
        const std::vector<uint8_t>& v = m.*(a.vector);
        d[a.key] = ToHex(v.data(), v.size());
    }
    return d;
}

bool HexField(const Json::Value& d, const std::string& where, const char* key, size_t size,
              std::vector<uint8_t>& out, std::string& error) {
    const Json::Value& v = d[key];
    if (!v.isString() || !FromHex(v.asString(), out)) {
        error = where + "." + key + " must be a string of hex digit pairs";
        return false;
    }
    if (size != 0 && out.size() != size) {
        error = where + "." + key + " must hold " + std::to_string(size) + " bytes, not " +
                std::to_string(out.size());
        return false;
    }
    if (size == 0 && out.size() > kMaxMacroBytes) {
        error = where + "." + key + " holds more than " + std::to_string(kMaxMacroBytes) + " bytes";
        return false;
    }
    return true;
}

// Reads one device's memory over `m` (which keeps the parts the file does not hold).
bool MemoryFromJson(SimKind kind, const Json::Value& d, const std::string& where, SimMemory& m,
                    std::string& error) {
    if (!d.isObject()) {
        error = where + " must be an object";
        return false;
    }
    const Json::Value& version = d["firmware_version"];
    if (!version.isInt() || version.asInt() < 0 || version.asInt() > 0xFFFF) {
        error = where + ".firmware_version must be an integer from 0 to 65535";
        return false;
    }
    const Json::Value& profiles = d["profiles"];
    if (!profiles.isInt() || profiles.asInt() < 1 || profiles.asInt() > 4) {
        error = where + ".profiles must be an integer from 1 to 4";
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!HexField(d, where, "info", kSimInfoSize, bytes, error)) return false;
    std::copy(bytes.begin(), bytes.end(), m.info.begin());
    if (!HexField(d, where, "status", kSimStatusSize, bytes, error)) return false;
    std::copy(bytes.begin(), bytes.end(), m.status.begin());
    for (const Area& a : VectorAreas(kind)) {
        if (!HexField(d, where, a.key, a.size, bytes, error)) return false;
        m.*(a.vector) = bytes;
    }
    m.firmwareVersion = static_cast<uint16_t>(version.asInt());
    m.profiles = profiles.asInt();
    return true;
}

}  // namespace

const char* SimConnectionName(SimDeviceSpec::Connection connection) {
    switch (connection) {
        case SimDeviceSpec::Cable:
            return "cable";
        case SimDeviceSpec::Receiver:
            return "receiver";
        case SimDeviceSpec::Both:
            return "both";
    }
    return "cable";
}

bool SimConnectionFromName(std::string_view name, SimDeviceSpec::Connection& connection) {
    for (auto c : {SimDeviceSpec::Cable, SimDeviceSpec::Receiver, SimDeviceSpec::Both}) {
        if (name == SimConnectionName(c)) {
            connection = c;
            return true;
        }
    }
    return false;
}

std::vector<SimDeviceSpec> DefaultSimSpecs() {
    std::vector<SimDeviceSpec> specs;
    for (SimKind k : {SimKind::Mouse, SimKind::Keyboard, SimKind::MousePad, SimKind::Headset}) {
        SimDeviceSpec setup;
        setup.kind = k;
        specs.push_back(setup);
    }
    return specs;
}

bool CheckSimSpecs(const std::vector<SimDeviceSpec>& specs, std::string& error) {
    for (size_t i = 0; i < specs.size(); ++i) {
        const SimDeviceSpec& s = specs[i];
        if (s.connection != SimDeviceSpec::Cable && !SimHasReceiver(s.kind)) {
            error = std::string("the ") + SimKindName(s.kind) +
                    " has no receiver: it can only be connected by cable";
            return false;
        }
        for (size_t j = 0; j < i; ++j) {
            if (specs[j].kind == s.kind) {
                error = std::string("the ") + SimKindName(s.kind) + " is listed twice";
                return false;
            }
        }
    }
    return true;
}

bool ParseSimulateList(std::string_view list, std::vector<SimDeviceSpec>& specs,
                       std::string& error) {
    std::vector<SimDeviceSpec> parsed;
    if (list.empty()) {
        error = "empty device list (expected e.g. mouse,keyboard@receiver)";
        return false;
    }
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        const std::string_view item = list.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const size_t at = item.find('@');
        const std::string name(item.substr(0, at));
        SimDeviceSpec setup;
        if (!SimKindFromName(name, setup.kind)) {
            error = "unknown device '" + name + "' (expected mouse, keyboard, mousepad or headset)";
            return false;
        }
        if (at != std::string_view::npos) {
            const std::string_view how = item.substr(at + 1);
            if (how == "receiver") {
                setup.connection = SimDeviceSpec::Receiver;
            } else if (how == "both") {
                setup.connection = SimDeviceSpec::Both;
            } else {
                error = "unknown connection '" + std::string(how) + "' for the " + name +
                        " (expected @receiver or @both)";
                return false;
            }
        }
        parsed.push_back(setup);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (!CheckSimSpecs(parsed, error)) return false;
    specs = std::move(parsed);
    return true;
}

SimWorld::SimWorld(std::vector<SimDeviceSpec> specs) : specs_(std::move(specs)) {
    entries_.reserve(specs_.size());
    for (const SimDeviceSpec& setup : specs_) {
        Entry e;
        e.setup = setup;
        e.device = std::make_unique<SimulatedDevice>(setup.kind, setup.options);
        e.device->SetRadioReachable(setup.radioReachable);
        e.device->SetRealisticTiming(setup.realisticTiming);
        if (setup.connection != SimDeviceSpec::Cable && SimHasReceiver(setup.kind)) {
            e.receiver = std::make_unique<SimulatedReceiver>(*e.device);
            e.receiver->SetRealisticTiming(setup.realisticTiming);
        }
        entries_.push_back(std::move(e));
    }
}

SimWorld::~SimWorld() {
    UnplugAll();
}

bool SimWorld::PlugAll() {
    std::string error;
    if (!CheckSimSpecs(specs_, error)) return false;
    bool ok = true;
    for (Entry& e : entries_)
        if (e.setup.connection != SimDeviceSpec::Receiver) ok = e.device->PlugCable() && ok;
    for (Entry& e : entries_)
        if (e.receiver) ok = e.receiver->Plug() && ok;
    return ok;
}

void SimWorld::UnplugAll() {
    for (Entry& e : entries_) {
        if (e.receiver) e.receiver->Unplug();
        e.device->UnplugCable();
    }
}

SimWorld::Entry* SimWorld::Find(SimKind kind) {
    for (Entry& e : entries_)
        if (e.setup.kind == kind) return &e;
    return nullptr;
}

SimulatedDevice* SimWorld::Device(SimKind kind) {
    Entry* e = Find(kind);
    return e ? e->device.get() : nullptr;
}

SimulatedReceiver* SimWorld::Receiver(SimKind kind) {
    Entry* e = Find(kind);
    return e ? e->receiver.get() : nullptr;
}

std::string SimWorld::StateText() const {
    Json::Value root(Json::objectValue);
    root["format"] = kStateFormat;
    root["version"] = kStateVersion;
    Json::Value& devices = root["devices"] = Json::Value(Json::objectValue);
    for (const Entry& e : entries_)
        devices[SimKindName(e.setup.kind)] =
            MemoryToJson(e.setup.kind, e.device->Firmware().Memory());
    Json::StreamWriterBuilder writer;
    writer["indentation"] = " ";
    return Json::writeString(writer, root) + "\n";
}

bool SimWorld::SaveState(const std::string& path, std::string& error) const {
    std::string text;
    try {
        text = StateText();
    } catch (const std::exception& ex) {
        error = std::string("cannot build the state document: ") + ex.what();
        return false;
    }
    return WriteWhole(path, text, error);
}

bool SimWorld::LoadStateText(const std::string& text, std::string& error) {
    try {
        Json::CharReaderBuilder builder;
        Json::CharReaderBuilder::strictMode(&builder.settings_);
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::Value root;
        std::string parseErrors;
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &parseErrors)) {
            error = "not valid JSON: " + parseErrors;
            while (!error.empty() && (error.back() == '\n' || error.back() == ' '))
                error.pop_back();
            return false;
        }
        if (!root.isObject() || root["format"] != kStateFormat) {
            error = std::string("not a simulated-device state document (\"format\" is not \"") +
                    kStateFormat + "\")";
            return false;
        }
        if (!root["version"].isInt() || root["version"].asInt() != kStateVersion) {
            error = "unsupported state version (expected " + std::to_string(kStateVersion) + ")";
            return false;
        }
        const Json::Value& devices = root["devices"];
        if (!devices.isObject()) {
            error = "\"devices\" must be an object";
            return false;
        }
        std::vector<std::pair<SimulatedDevice*, SimMemory>> loaded;
        for (Entry& e : entries_) {
            const char* name = SimKindName(e.setup.kind);
            if (!devices.isMember(name)) continue;
            SimMemory m = e.device->Firmware().Memory();
            if (!MemoryFromJson(e.setup.kind, devices[name], std::string("devices.") + name, m,
                                error))
                return false;
            loaded.emplace_back(e.device.get(), std::move(m));
        }
        for (auto& [device, memory] : loaded) device->Firmware().SetMemory(memory);
        return true;
    } catch (const std::exception& ex) {
        error = std::string("cannot read the state document: ") + ex.what();
        return false;
    }
}

bool SimWorld::LoadState(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = Errno("cannot open", path);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (!LoadStateText(text.str(), error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
