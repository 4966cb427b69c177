// The profile list of a device kind as the application's device object loads
// it at start-up: its folder in the user's data folder, the shipped default
// document, the list read (or made) and its stored selection taken.
#pragma once

#include <string>

class CZentrelMouseDevice;
class ProfileList;

// kind: "mouse", "keyboard", "mousepad", "headset". False, with a message in
// error, for another kind or when the folder or the list cannot be written.
bool OpenProfileList(const std::string& kind, ProfileList& list, std::string& error);

// The identifier of the kind's selected profile, the device's profile file
// name (without ".Json"); "" after a message in error.
std::string SelectedProfileFileName(const std::string& kind, std::string& error);

// Reads the mouse as the application does when its link opens (take-over, key
// table, the profile the list has selected, settings), without the preview
// lighting. Without a readable list the default profile name stays (the save
// of an edit then reports the folder). Returns ReadMouse's result.
int ReadMouseWithSelectedProfile(CZentrelMouseDevice& mouse);
