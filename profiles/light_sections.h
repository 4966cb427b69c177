// The lighting sections of a profile's device object ("LightInfo",
// "AudioLightInfo", "LightList") and of the lighting library and custom effect
// files, as records.
#pragma once

#include <json/json.h>

#include <string>
#include <vector>

#include "profiles/profile_records.h"

// "LightInfo" members; "MultiColor" is read as a boolean.
LightInfo ReadLightInfo(const Json::Value& section);
// Writes the eleven members as integers ("MultiColor" 0 or 1).
void WriteLightInfo(Json::Value& section, const LightInfo& info);

// "AudioLightInfo" members; the two flags are read as booleans and
// "ColorTypeFlags" is always 1.
AudioLightInfo ReadAudioLightInfo(const Json::Value& section);
void WriteAudioLightInfo(Json::Value& section, const AudioLightInfo& info);

// One item per element of "LightList"; an element that is no object gives an
// item of zeros with the valid flag 0. Not an array: an empty list.
std::vector<LightListItem> ReadLightList(const Json::Value& list);

// The steps of a custom effect document ("LEDEffectList"); members that are
// missing read as 0.
std::vector<EffectStep> ReadEffectSteps(const Json::Value& effect);

// "LightInfo"[row][item]["Guid"] of a lighting-library document, or an empty
// text when it is missing.
std::string CustomEffectGuid(const Json::Value& library, int row, int item);
