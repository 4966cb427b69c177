// Device kind codes: the device type of an interface, and what the device
// objects call themselves.
#pragma once

inline constexpr int kTypeKeyboard = 1;
inline constexpr int kTypeMouse = 2;
inline constexpr int kTypeMousePad = 3;
inline constexpr int kTypeMouseReceiver = 6;
inline constexpr int kTypeHeadset = 7;
inline constexpr int kTypeKeyboardReceiver = 9;

inline constexpr int kRoleCommand = 0;
inline constexpr int kRoleCompanion = 255;
