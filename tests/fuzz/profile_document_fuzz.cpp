// Fuzzes the JSON reader and the profile document getters and setters.
//
// The input is taken as a profile file's text (and as a lighting-library and
// effect document). Every getter of every device kind runs on it; then each
// record is set back and must read back unchanged, and the document must
// survive being written and read again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "profiles/hs6533_profile_data.h"
#include "profiles/json_file_util.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/light_sections.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/text_helpers.h"

namespace {

void Check(bool ok) {
    if (!ok)
        __builtin_trap();
}

bool SameKeys(const std::vector<KeyEntry>& a, const std::vector<KeyEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].current.Packed() != b[i].current.Packed() ||
            a[i].defaultAssignment.Packed() != b[i].defaultAssignment.Packed() ||
            a[i].current.keyIndex != static_cast<uint16_t>(i) ||
            a[i].defaultAssignment.keyIndex != static_cast<uint16_t>(i)) {
            return false;
        }
    }
    return true;
}

// The document text as Save would write it, loaded into a fresh object.
template <typename Profile>
void Reload(const Profile& from, Profile& to) {
    Json::Value file;
    file["Device"].append(from.GetDocument());
    const std::string text = CJsonFileUtil::StyledText(file);
    to.LoadProfileFromText(text);
    Check(to.GetDocument().isObject());  // the setters made it an object
}

void Shared(CBasicProfiledata& p) {
    const LightInfo light = p.GetLightInfo();
    Check(light.multiColor <= 1);
    p.SetLightInfo(light);
    Check(p.GetLightInfo() == light);

    const AudioLightInfo audio = p.GetAudioLightInfo();
    Check(audio.sevenColorFlags <= 1 && audio.colorTypeFlags <= 1);
    p.SetAudioLightInfo(audio);
    AudioLightInfo present = audio;  // once the section exists the flag reads 1
    present.colorTypeFlags = 1;
    Check(p.GetAudioLightInfo() == present);

    for (const LightListItem& item : p.GetLightList()) {
        Check(item.valid <= 1 && item.direction <= 1 && item.multiColor <= 1);
        if (!item.valid)
            Check(item == LightListItem{});
    }

    const std::vector<KeyEntry> keys = p.GetKeyList();
    Check(SameKeys(keys, keys));
    p.SetKeyList(keys);
    Check(SameKeys(p.GetKeyList(), keys));
}

void Mouse(std::string_view text) {
    CMouseProfiledata mouse;
    mouse.LoadProfileFromText(text);
    Shared(mouse);
    const std::vector<DpiStage> stages = mouse.GetDPIStages();
    const int active = mouse.GetActiveStage();
    const MouseSystem system = mouse.GetMouseSystem();
    mouse.SetDPIStages(stages);
    mouse.SetActiveStage(active);
    mouse.SetMouseSystem(system);
    Check(mouse.GetDPIStages() == stages && mouse.GetActiveStage() == active);
    Check(mouse.GetMouseSystem() == system);

    CMouseProfiledata again;
    Reload(mouse, again);
    Check(again.GetDPIStages() == stages && again.GetActiveStage() == active);
    Check(again.GetMouseSystem() == system);
    Check(again.GetLightInfo() == mouse.GetLightInfo());
    Check(SameKeys(again.GetKeyList(), mouse.GetKeyList()));
}

void Keyboard(std::string_view text, int count) {
    CKeyboardProfiledata keyboard;
    keyboard.LoadProfileFromText(text);
    Shared(keyboard);
    const KeyboardSystem system = keyboard.GetKeyboardSystem();
    keyboard.SetKeyboardSystem(system);
    Check(keyboard.GetKeyboardSystem() == system);

    const int group = keyboard.GetCustomGroupIndex();
    const std::vector<CustomColor> colors = keyboard.GetCustomColors(group, count);
    Check(colors.size() == static_cast<size_t>(count));
    Check(keyboard.GetCustomColors(group, count) == colors);  // the zeros written read back
    if (keyboard.SetCustomColors(colors, group) == 0) {
        Check(keyboard.GetCustomColors(group, count) == colors);
    }
    keyboard.SetCustomGroupIndex(group);
    Check(keyboard.GetCustomGroupIndex() == group);

    CKeyboardProfiledata again;
    Reload(keyboard, again);
    Check(again.GetKeyboardSystem() == system);
    Check(again.GetCustomGroupIndex() == group);
    Check(again.GetCustomColors(group, count) == colors);
    Check(again.GetAudioLightInfo() == keyboard.GetAudioLightInfo());
}

void Headset(std::string_view text) {
    CHs6533Profiledata headset;
    headset.LoadProfileFromText(text);
    Shared(headset);
    const HeadsetSystem system = headset.GetHeadsetSystem();
    headset.SetHeadsetSystem(system);
    Check(headset.GetHeadsetSystem() == system);

    std::vector<std::vector<int>> eq;
    for (int type = -1; type <= 14; ++type) {
        const std::vector<int> values = headset.GetEqValues(type);
        Check(values.size() == (type == 13 ? 0u : 10u));
        Check(headset.GetEqValues(type) == values);
        eq.push_back(values);
    }
    for (int i = 0; i < 3; ++i) {
        const std::vector<int> values = headset.GetCustomEqValues(i);
        Check(values.size() == 10u);
        Check(headset.SetCustomEqValues(i, values) == 0);
        Check(headset.GetCustomEqValues(i) == values);
    }
    const std::vector<std::wstring> names = headset.GetCustomEqNames();
    headset.SetCustomEqNames(names);
    Check(headset.GetCustomEqNames() == names);

    CHs6533Profiledata again;
    Reload(headset, again);
    Check(again.GetHeadsetSystem() == system);
    Check(again.GetCustomEqNames() == names);
    for (int type = -1; type <= 14; ++type)
        Check(again.GetEqValues(type) == eq[size_t(type + 1)]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const Json::Value parsed = CJsonFileUtil::ParseJson(text);
    if (!parsed.isNull()) {
        // What the writer makes of a document reads back, and once written the
        // text stays the same on every further read and write. (The first write
        // may differ from the next: invalid UTF-8 becomes U+FFFD, and jsoncpp
        // takes an unclosed "/* …/" at the end of a text as a comment that its
        // own output then no longer closes.)
        const Json::Value first = CJsonFileUtil::ParseJson(CJsonFileUtil::StyledText(parsed));
        Check(!first.isNull());
        const std::string styled = CJsonFileUtil::StyledText(first);
        const Json::Value again = CJsonFileUtil::ParseJson(styled);
        Check(!again.isNull());
        Check(CJsonFileUtil::StyledText(again) == styled);
    }

    // The same text as a lighting library and as an effect file.
    Check(ReadEffectSteps(parsed).size() <= size);
    (void)CustomEffectGuid(parsed, 0, size % 8);

    // The device kinds read the text as the program would find it after its
    // first save: jsoncpp's writer also cuts member names at an embedded NUL,
    // so a document holding such names reads differently once written.
    const std::string profile =
        parsed.isNull() ? std::string(text) : CJsonFileUtil::StyledText(parsed);
    const int count = size == 0 ? 0 : data[size - 1] % 160;
    Mouse(profile);
    Keyboard(profile, count);
    Headset(profile);

    // Text helpers on arbitrary bytes.
    const std::wstring wide = Utf8ToWide(text);
    Check(Utf8ToWide(WideToUtf8(wide)) == wide);
    std::string prefix;
    int index = 0;
    (void)SplitIndexedName(text, prefix, index);
    return 0;
}
