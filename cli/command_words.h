// The words of a command after its name, with the "--json" flag taken out.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> CommandWords(int argc, char** argv, int first, bool& json);
