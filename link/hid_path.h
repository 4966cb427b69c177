// Interface paths. A path names one top-level collection of one node:
//   <node>#vid_320f&pid_226e&mi_01&col02[&hid_<instance>]
// "&col" is present only when the node has several top-level collections
// (numbered from 1 in descriptor order); without it the collection number is
// 0. The numbers are read back from the text, ignoring case, as on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr size_t kHidMaxPathChars = 260;  // including the terminator

std::string MakeHidPath(std::string_view node, uint16_t vendorId, uint16_t productId,
                        uint16_t interfaceNumber, uint16_t collectionNumber,
                        std::string_view instance = {});

// The device instance a path was made for ("&hid_" + name, last), or empty.
std::string HidPathInstance(std::string_view path);

// The hexadecimal number that follows `key` ("vid_", "pid_", "&mi_", "&col"),
// case ignored; 0 when the key is absent or no digit follows.
uint16_t HidPathNumber(std::string_view path, std::string_view key);

// The node part of a path (everything before '#').
std::string_view HidPathNode(std::string_view path);
