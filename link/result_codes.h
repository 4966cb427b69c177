// Result codes of the device link and the command functions. Callers treat
// anything but kResultOk as failure and do not retry.
#pragma once

inline constexpr int kResultOk = 1;                // a reply was read, or the link is paused
inline constexpr int kResultNoReply = 0;           // link not opened, or the reply could not be read
inline constexpr int kResultWriteFailed = -1;      // the frame could not be written
inline constexpr int kResultReceiverRefused = -101; // the receiver answered 0xAA for its wireless device
inline constexpr int kResultDeviceRefused = -102;  // reply status 0xFF
inline constexpr int kResultDeviceBusy = -103;     // reply status 0xFE
inline constexpr int kResultBadBlock = -201;       // key-table block other than 0
