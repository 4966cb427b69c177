// A macro's events as r730ctl shows them and reads them from a ".mac" file.
#pragma once

#include <string>
#include <vector>

#include <json/json.h>

#include "profiles/macro_library.h"

// The events' text rows ("N  TYPE  ACTION  BUTTON  DELAY  BYTES") and JSON.
std::string MacroEventsText(const Json::Value& events);
Json::Value MacroEventsJson(const Json::Value& events);

// The rows of the macro editor for the events of a ".mac" document that
// CMacroLibrary::CheckMacroDocument accepted.
std::vector<MacroRow> MacroRowsOf(const Json::Value& document);

// The ".mac" file at path checked (at most maxEvents events). False with the
// reason when it cannot be read or is no macro file.
bool ReadMacroFile(const std::string& path, size_t maxEvents, Json::Value& document, std::string& reason);
