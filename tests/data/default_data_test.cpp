// The default data shipped in data/DefaultData: the factory profile of each
// device kind and the built-in effects of the lighting library. The files are
// read here with jsoncpp directly, as the program reads them, and checked for
// every member the profile getters and the library loader take from them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <json/json.h>

namespace {

const std::string kDataDir = std::string(R730_SOURCE_DATA_DIR) + "DefaultData/";

struct Range {
    int64_t lo, hi;
};
constexpr Range kByte{0, 255};
constexpr Range kLevel{0, 4};  // brightness and speed levels
constexpr Range kFlag{0, 1};   // stored as 0 or 1, read as a boolean
constexpr Range kWord{0, 65535};

struct Field {
    const char* key;
    Range range;
};

// Reads a file whole and parses it the strict way: no comments, no duplicate
// keys, nothing after the value. A failure is recorded and gives null.
Json::Value ReadStrict(const std::string& name) {
    std::ifstream in(kDataDir + name, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << name << ": cannot be opened";
        return Json::Value();
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(s.data(), s.data() + s.size(), &root, &errors)) {
        ADD_FAILURE() << name << ": " << errors;
        return Json::Value();
    }
    return root;
}

// The device object, element 0 of "Device": the only element the program reads.
Json::Value DeviceObject(const std::string& name) {
    const Json::Value root = ReadStrict(name);
    if (!root.isObject() || !root["Device"].isArray() || root["Device"].size() != 1 ||
        !root["Device"][0].isObject()) {
        ADD_FAILURE() << name << ": not { \"Device\": [ device object ] }";
        return Json::Value();
    }
    return root["Device"][0];
}

bool IsInteger(const Json::Value& v) {
    return v.type() == Json::intValue || v.type() == Json::uintValue;
}

void ExpectInt(const Json::Value& v, Range r, const std::string& where) {
    if (!IsInteger(v)) {
        ADD_FAILURE() << where << ": not an integer: " << v.toStyledString();
        return;
    }
    EXPECT_GE(v.asInt64(), r.lo) << where;
    EXPECT_LE(v.asInt64(), r.hi) << where;
}

void ExpectFields(const Json::Value& obj, std::initializer_list<Field> fields,
                  const std::string& where) {
    ASSERT_TRUE(obj.isObject()) << where << ": missing or not an object";
    for (const Field& f : fields) {
        if (!obj.isMember(f.key)) {
            ADD_FAILURE() << where << ": missing \"" << f.key << "\"";
            continue;
        }
        ExpectInt(obj[f.key], f.range, where + "." + f.key);
    }
}

struct Triple {
    int category, param1, param2;
};
int Pack(Triple t) {
    return t.category << 16 | t.param1 << 8 | t.param2;
}

// Every button or key: current and default assignment both the factory function.
void ExpectFactoryKeyList(const Json::Value& keys, const std::vector<Triple>& factory) {
    ASSERT_TRUE(keys.isArray());
    ASSERT_EQ(keys.size(), factory.size());
    for (Json::ArrayIndex i = 0; i < keys.size(); ++i) {
        const std::string where = "KeyList[" + std::to_string(i) + "]";
        ExpectFields(keys[i], {{"Assignment", {0, 0xFFFFFF}}, {"DefaultAssignment", {0, 0xFFFFFF}}},
                     where);
        EXPECT_EQ(keys[i]["DefaultAssignment"].asInt(), Pack(factory[i])) << where;
        EXPECT_EQ(keys[i]["Assignment"].asInt(), Pack(factory[i])) << where;
    }
}

std::vector<int> Bands(const Json::Value& row, const std::string& where) {
    std::vector<int> out;
    if (!row.isArray() || row.size() != 10) {
        ADD_FAILURE() << where << ": not ten bands";
        return out;
    }
    for (Json::ArrayIndex b = 0; b < 10; ++b) {
        ExpectFields(row[b], {{"value", {-128, 127}}}, where + "[" + std::to_string(b) + "]");
        out.push_back(row[b]["value"].asInt());
    }
    return out;
}

// ---- the factory profiles of the four kinds ----

struct Kind {
    const char* file;
    int libraryRow;  // the kind's row of "default_light.json"
    unsigned leds;
};
constexpr Kind kKinds[] = {
    {"keyboard.Json", 0, 170},
    {"mouse.Json", 1, 15},
    {"MousePad.Json", 2, 15},
    {"HD.Json", 3, 13},
};

TEST(DefaultProfiles, LightStateOfEveryKindIsComplete) {
    const Json::Value library = ReadStrict("default_light.json");
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.file);
        const Json::Value device = DeviceObject(kind.file);
        ASSERT_TRUE(device.isObject());

        const Json::Value& info = device["LightInfo"];
        ExpectFields(info,
                     {{"SelectItem", kByte},
                      {"Light", kLevel},
                      {"Speed", kLevel},
                      {"Fx", kFlag},
                      {"MultiColor", kFlag},
                      {"Red", kByte},
                      {"Green", kByte},
                      {"Blue", kByte},
                      {"ZZCCLedMode", kByte},
                      {"CustomGroup", kByte},
                      {"OldLedmode", kByte}},
                     "LightInfo");
        // The default effect is a built-in one the user can see in the list.
        const Json::Value& effects = library["DefaultLightName"][kind.libraryRow];
        const Json::ArrayIndex selected = info["SelectItem"].asUInt();
        ASSERT_LT(selected, effects.size());
        EXPECT_TRUE(effects[selected]["visible"].asBool()) << effects[selected]["LightName"];

        // One item per LED, each a valid object.
        const Json::Value& list = device["LightList"];
        ASSERT_TRUE(list.isArray());
        ASSERT_EQ(list.size(), kind.leds);
        for (Json::ArrayIndex i = 0; i < list.size(); ++i)
            ExpectFields(list[i],
                         {{"LEDREGMode", kByte},
                          {"LEDBrightness", kLevel},
                          {"LEDSpeed", kLevel},
                          {"LEDMultiColor", kFlag},
                          {"LEDDirection", kFlag},
                          {"red", kByte},
                          {"green", kByte},
                          {"blue", kByte}},
                         "LightList[" + std::to_string(i) + "]");
    }
}

TEST(DefaultProfiles, MouseButtonsHaveTheirFactoryFunctions) {
    const Json::Value mouse = DeviceObject("mouse.Json");
    ExpectFactoryKeyList(mouse["KeyList"], {{0x10, 0x01, 0x00},
                                            {0x10, 0x02, 0x00},
                                            {0x10, 0x04, 0x00},
                                            {0x10, 0x10, 0x00},
                                            {0x10, 0x08, 0x00},
                                            {0x13, 0x01, 0x00},
                                            {0x13, 0x02, 0x00},
                                            {0x13, 0x03, 0x00},
                                            {0xA0, 0x1B, 0x00},
                                            {0x16, 0x90, 0x01},
                                            {0x14, 0x78, 0x02}});
}

// DPI shown for a level code of the mouse's standard sensor (0x3104).
int Dpi3104(int level) {
    if (level == 0)
        return 200;
    if (level == 1)
        return 400;
    const int dpi = level <= 52 ? 400 + (level - 2) * 50 : 3000 + (level - 54) * 100;
    return std::min(dpi, 8000);
}

TEST(DefaultProfiles, MouseStagesAndSettings) {
    const Json::Value mouse = DeviceObject("mouse.Json");
    const Json::Value& dpi = mouse["DPIStages"];
    ExpectFields(dpi, {{"StageActive", {0, 6}}}, "DPIStages");
    const Json::Value& stages = dpi["StageDPIs"];
    ASSERT_TRUE(stages.isArray());
    ASSERT_EQ(stages.size(), 7u);  // the page and the profile block carry seven

    const int expectedDpi[] = {400, 800, 1600, 2400, 3200, 4800, 6400};
    std::set<int> colours;
    for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
        const std::string where = "StageDPIs[" + std::to_string(i) + "]";
        const Json::Value& s = stages[i];
        ExpectFields(s,
                     {{"StageActive", kFlag},
                      {"StageXY", kFlag},
                      {"StageDPIX", kWord},
                      {"StageDPIY", kWord},
                      {"StageColorR", kByte},
                      {"StageColorG", kByte},
                      {"StageColorB", kByte}},
                     where);
        EXPECT_EQ(Dpi3104(s["StageDPIX"].asInt()), expectedDpi[i]) << where;
        EXPECT_EQ(s["StageDPIY"], s["StageDPIX"]) << where;
        colours.insert(s["StageColorR"].asInt() << 16 | s["StageColorG"].asInt() << 8 |
                       s["StageColorB"].asInt());
    }
    EXPECT_EQ(colours.size(), 7u) << "every stage has its own indicator colour";
    EXPECT_EQ(stages[dpi["StageActive"].asUInt()]["StageActive"].asInt(), 1)
        << "the active stage is enabled";

    ExpectFields(mouse["SystemStages"],
                 {{"DoubleClickTime", {200, 900}},
                  {"MouseSpeed", {1, 20}},
                  {"PointerPrecision", kFlag},
                  {"ScorllPage", kFlag},
                  {"WheelScorlllinse", {1, 100}}},
                 "SystemStages");
    // Report rate: the page offers options 0-3 (4 and above show as 0); the
    // sensor options are two-way choices.
    ExpectFields(mouse["ReportStages"],
                 {{"StageActive", {0, 3}},
                  {"SilentAltitude", kFlag},
                  {"Linear_Calibration", kFlag},
                  {"Ripple", kFlag},
                  {"ble_sleep1", kByte},
                  {"ble_sleep2", kByte},
                  {"device_sleep1", kByte},
                  {"device_sleep2", kByte},
                  {"key_debounce_time", kByte}},
                 "ReportStages");
}

// The factory function of each of the keyboard's 170 key positions.
std::vector<Triple> KeyboardFactoryTable() {
    std::vector<Triple> t(170, Triple{0x20, 0, 0});  // positions without a key
    const int plain[][2] = {
        {0, 41},    {1, 58},   {2, 59},    {3, 60},   {4, 61},   {5, 62},    {6, 63},    {7, 64},
        {8, 65},    {9, 66},   {10, 67},   {11, 68},  {12, 69},  {13, 70},   {14, 71},   {15, 72},
        {21, 53},   {22, 30},  {23, 31},   {24, 32},  {25, 33},  {26, 34},   {27, 35},   {28, 36},
        {29, 37},   {30, 38},  {31, 39},   {32, 45},  {33, 46},  {34, 42},   {35, 73},   {36, 74},
        {37, 75},   {38, 83},  {39, 84},   {40, 85},  {41, 86},  {42, 43},   {43, 20},   {44, 26},
        {45, 8},    {46, 21},  {47, 23},   {48, 28},  {49, 24},  {50, 12},   {51, 18},   {52, 19},
        {53, 47},   {54, 48},  {55, 49},   {56, 76},  {57, 77},  {58, 78},   {59, 95},   {60, 96},
        {61, 97},   {62, 50},  {63, 57},   {64, 4},   {65, 22},  {66, 7},    {67, 9},    {68, 10},
        {69, 11},   {70, 13},  {71, 14},   {72, 15},  {73, 51},  {74, 52},   {75, 40},   {76, 92},
        {77, 93},   {78, 94},  {79, 138},  {80, 139}, {81, 144}, {82, 145},  {83, 136},  {85, 29},
        {86, 27},   {87, 6},   {88, 25},   {89, 5},   {90, 17},  {91, 16},   {92, 54},   {93, 55},
        {94, 56},   {96, 82},  {97, 89},   {98, 90},  {99, 91},  {100, 135}, {101, 137}, {102, 100},
        {103, 133}, {108, 44}, {111, 101}, {113, 80}, {114, 81}, {115, 79},  {116, 98},  {117, 99},
        {118, 88},  {119, 87}};
    for (const auto& p : plain)
        t[p[0]] = {0x20, 0, p[1]};
    const int modifiers[][2] = {{84, 2},  {95, 32},  {105, 1},  {106, 8},
                                {107, 4}, {109, 64}, {112, 16}, {125, 128}};
    for (const auto& m : modifiers)
        t[m[0]] = {0x20, m[1], 0};
    t[16] = {0xA0, 27, 0};
    t[17] = {0xA0, 36, 0};
    t[110] = {0xA0, 1, 0};
    for (int i = 0; i < 5; ++i)
        t[120 + i] = {0xD0, 162, 1 + i};
    return t;
}

TEST(DefaultProfiles, KeyboardKeysHaveTheFactoryFunctionOfTheirPosition) {
    const Json::Value keyboard = DeviceObject("keyboard.Json");
    ExpectFactoryKeyList(keyboard["KeyList"], KeyboardFactoryTable());
}

TEST(DefaultProfiles, KeyboardSettingsCustomColoursAndMusicLight) {
    const Json::Value keyboard = DeviceObject("keyboard.Json");
    ExpectFields(keyboard["SystemStages"],
                 {{"Repeat", kByte},
                  {"RepeatDelay", {0, 3}},
                  {"Key6Flag", kFlag},
                  {"PollingRate", {0, 3}},
                  {"WFlag", kFlag},
                  {"WinFlag", kFlag}},
                 "SystemStages");
    ExpectFields(keyboard["AudioLightInfo"],
                 {{"AudioMode", {0, 6}},
                  {"BkColorR", kByte},
                  {"BkColorG", kByte},
                  {"BkColorB", kByte},
                  {"FgColorR", kByte},
                  {"FgColorG", kByte},
                  {"FgColorB", kByte},
                  {"7ColorFlags", kFlag},
                  {"ColorTypeFlags", kFlag}},
                 "AudioLightInfo");

    const Json::Value& custom = keyboard["CustomLightMode"];
    ExpectFields(custom, {{"CustomLightModeGroupIndex", kByte}}, "CustomLightMode");
    const Json::Value& groups = custom["LightColorInfo"];
    ASSERT_TRUE(groups.isArray());
    ASSERT_FALSE(groups.empty());
    // Both selections of a custom group name a group that exists.
    EXPECT_LT(custom["CustomLightModeGroupIndex"].asUInt(), groups.size());
    EXPECT_LT(keyboard["LightInfo"]["CustomGroup"].asUInt(), groups.size());
    for (Json::ArrayIndex g = 0; g < groups.size(); ++g) {
        ASSERT_TRUE(groups[g].isArray());
        ASSERT_EQ(groups[g].size(), 170u) << "group " << g << ": one colour per key position";
        for (Json::ArrayIndex k = 0; k < 170; ++k)
            ExpectFields(groups[g][k],
                         {{"Red", kByte}, {"Green", kByte}, {"Blue", kByte}, {"Alpha", kByte}},
                         "group " + std::to_string(g) + " key " + std::to_string(k));
    }
}

TEST(DefaultProfiles, HeadsetSoundSettingsAndEqualiserPresets) {
    const Json::Value headset = DeviceObject("HD.Json");
    const Json::Value& system = headset["SystemSetStages"];
    ExpectFields(system,
                 {{"MagicEnable", kFlag},
                  {"MagicType", {1, 4}},
                  {"EqType", {1, 13}},
                  {"CustomEqSeletIndex", {0, 19}},
                  {"MicInSelect", kFlag},
                  {"MicInValue", {0, 100}},
                  {"MicMoniterSelect", kFlag},
                  {"MicMoniterValue", {0, 100}}},
                 "SystemSetStages");

    // Row t holds preset t; row 0 is never read but present.
    const std::vector<std::vector<int>> presets = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},        {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
        {7, 11, 6, -3, -11, -1, 6, 13, 6, 13}, {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
        {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},  {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
        {2, 1, -2, -3, -5, -1, 7, 11, 15, 13}, {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
        {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},   {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
        {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
    };
    const Json::Value& rows = headset["EQHzValueInfo"];
    ASSERT_TRUE(rows.isArray());
    ASSERT_EQ(rows.size(), presets.size());
    for (Json::ArrayIndex t = 0; t < rows.size(); ++t) {
        const std::string where = "EQHzValueInfo[" + std::to_string(t) + "]";
        EXPECT_EQ(Bands(rows[t], where), presets[t]) << where;
    }

    // User equalisers: one name per band row.
    const Json::Value& names = headset["CustomEQNameInfo"];
    const Json::Value& values = headset["CustomEQHzValueInfo"];
    ASSERT_TRUE(names.isArray());
    ASSERT_TRUE(values.isArray());
    ASSERT_EQ(names.size(), values.size());
    EXPECT_LE(names.size(), 20u);
    for (Json::ArrayIndex i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(names[i]["Name"].isString() && !names[i]["Name"].asString().empty()) << i;
        Bands(values[i], "CustomEQHzValueInfo[" + std::to_string(i) + "]");
    }
    if (!names.empty()) {
        EXPECT_LT(system["CustomEqSeletIndex"].asUInt(), names.size());
    }
    if (system["EqType"].asInt() == 13) {
        EXPECT_FALSE(names.empty()) << "user equaliser selected";
    }
}

// ---- the lighting library's built-in effects ----

TEST(DefaultLightLibrary, EveryRowNamesItsEffectsWithDistinctModeNumbers) {
    const Json::Value library = ReadStrict("default_light.json");
    ASSERT_TRUE(library.isObject());
    const Json::Value& rows = library["DefaultLightName"];
    const Json::Value& areas = library["AreaLightName"];
    ASSERT_TRUE(rows.isArray());
    ASSERT_TRUE(areas.isArray());
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(areas.size(), 4u);

    // Entries each kind's lighting thread needs: every keyboard effect 0-30 of
    // its table; the mouse's 0-10; the pad and headset a mode number for every
    // effect index below 9.
    const unsigned entries[] = {31, 11, 9, 9};
    for (Json::ArrayIndex row = 0; row < 4; ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        ASSERT_TRUE(rows[row].isArray());
        EXPECT_EQ(rows[row].size(), entries[row]);
        std::set<int> values;
        for (const Json::Value& e : rows[row]) {
            ASSERT_TRUE(e.isObject());
            EXPECT_TRUE(e["LightName"].isString() && !e["LightName"].asString().empty());
            EXPECT_TRUE(e["visible"].isBool()) << e["LightName"];
            ExpectInt(e["value"], kByte, e["LightName"].asString());
            EXPECT_TRUE(values.insert(e["value"].asInt()).second)
                << "mode number " << e["value"] << " twice";
        }
        ASSERT_TRUE(areas[row].isArray());
        EXPECT_FALSE(areas[row].empty());
        for (const Json::Value& a : areas[row])
            EXPECT_TRUE(a["LightName"].isString() && !a["LightName"].asString().empty());
    }

    // The mouse sends its effect index as the mode number and maps the number
    // it reads back through this row: the two must agree.
    for (Json::ArrayIndex i = 0; i < rows[1].size(); ++i)
        EXPECT_EQ(rows[1][i]["value"].asUInt(), i) << rows[1][i]["LightName"];
    // The keyboard's host-driven effects carry the codes it replaces by 0xFE.
    EXPECT_EQ(rows[0][29u]["value"].asInt(), 29);
    EXPECT_EQ(rows[0][30u]["value"].asInt(), 30);
}

TEST(DefaultLightLibrary, SharedEffectsSitWhereEachKindsLightingThreadRunsThem) {
    const Json::Value rows = ReadStrict("default_light.json")["DefaultLightName"];
    ASSERT_EQ(rows.size(), 4u);
    // Effect index of each shared effect per row (the same-mode table of the
    // lighting editor and the effect tables of the lighting threads).
    const struct {
        const char* name;
        int index[4];  // keyboard, mouse, mouse pad, headset
    } shared[] = {
        {"Breathing", {5, 1, 2, 2}}, {"Static", {6, 0, 3, 3}}, {"Flash", {23, 6, 4, 4}},
        {"Spectrum", {4, 3, 1, 1}},  {"Off", {28, 10, 8, 8}},  {"Wave", {1, 2, 0, 0}},
    };
    for (const auto& effect : shared)
        for (Json::ArrayIndex row = 0; row < 4; ++row) {
            const Json::Value& e = rows[row][effect.index[row]];
            EXPECT_EQ(e["LightName"].asString(), effect.name) << "row " << row;
            EXPECT_TRUE(e["visible"].asBool()) << "row " << row << " " << effect.name;
        }
}

}  // namespace
