// The setting sections of a profile's device object as records: "KeyList",
// "DPIStages", "SystemStages"/"ReportStages" (mouse), "SystemStages"
// (keyboard), "SystemSetStages" (headset), custom key colours and equaliser
// rows.
#pragma once

#include <json/json.h>

#include <optional>
#include <vector>

#include "profiles/profile_records.h"

// One entry per element of "KeyList"; element i gives key index i (low 16
// bits), "Assignment" the current and "DefaultAssignment" the default function
// (category × 65536 + param1 × 256 + param2). Not an array: an empty list.
std::vector<KeyEntry> ReadKeyList(const Json::Value& list);
// "KeyList"[i]["Assignment"] ← the packed current function of entry i; every
// other member and element stays.
void WriteKeyList(Json::Value& device, const std::vector<KeyEntry>& entries);

// One element of "StageDPIs".
DpiStage ReadDpiStage(const Json::Value& element);
void WriteDpiStage(Json::Value& element, const DpiStage& stage);

// The fourteen mouse values: five from "SystemStages", nine from
// "ReportStages". No "SystemStages" object: all zero; no "ReportStages" object:
// the nine are zero.
MouseSystem ReadMouseSystem(const Json::Value& device);
void WriteMouseSystem(Json::Value& device, const MouseSystem& system);

// "SystemStages" of the keyboard; zero when the object is missing.
KeyboardSystem ReadKeyboardSystem(const Json::Value& device);
void WriteKeyboardSystem(Json::Value& device, const KeyboardSystem& system);

// "SystemSetStages" of the headset; zero when the object is missing.
HeadsetSystem ReadHeadsetSystem(const Json::Value& device);
void WriteHeadsetSystem(Json::Value& device, const HeadsetSystem& system);

// One key colour of a custom light group ("Red", "Green", "Blue", "Alpha").
CustomColor ReadCustomColor(const Json::Value& element);
void WriteCustomColor(Json::Value& element, const CustomColor& color);

// The equaliser bands of one row ("value" of elements 0-9).
inline constexpr int kEqBandCount = 10;

// The "EQHzValueInfo" row of equaliser type t: 1 for 0, t for 1-12, none for
// 13 (that type has no stored values), 1 otherwise.
std::optional<int> EqRowOfType(int type);
