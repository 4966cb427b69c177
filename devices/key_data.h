// "Sending the key data": the macros the keys use (the macro block) and then
// the key table, as one device operation, and the message the main window
// shows for its result r.
#pragma once

#include <cstdint>
#include <string>

struct KeyDataResult {
    // 0: sent, nothing to send, or the device is not reachable (the profile
    // keeps the edit); −1: a write failed; > 0: the macros do not fit (the
    // encoder's number: the event count of a macro over 64, or the bytes over
    // the device's macro memory / 4 + 1). The key table is not sent then.
    int r = 0;
    int macros = 0;             // SendMacros' result
    int keyTable = 0;           // SendKeyTable's device code (1: taken; 0: not reachable)
    bool keyTableSent = false;  // the key table write was tried
};

// Where the key data was sent from.
enum class KeyDataPath {
    kEdit,     // after a key or macro edit
    kProfile,  // applying or resetting a profile
};

// The message for r: an empty id for none; `value` fills the text's %d when
// `hasValue`.
struct KeyDataMessage {
    std::string id;
    bool hasValue = false;
    int value = 0;
};

inline constexpr char kMessageWriteFailed[] = "message_text_7";
inline constexpr char kMessageMacrosTooLarge[] = "message_text_16";
inline constexpr char kMessageTooManyActions[] = "message_text_26";

// capacityUnits: the device's macro memory in units of 128 bytes (information
// byte 18); used on the profile path only.
KeyDataMessage MessageForKeyData(int r, KeyDataPath path, uint8_t capacityUnits);
