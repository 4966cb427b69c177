// How the command-line tool puts a device's answer and its JSON output.
#pragma once

#include <cstdio>
#include <string>

namespace Json {
class Value;
}

// The meaning of a device result code, naming the device ("mouse", "device").
std::string ResultText(int result, const std::string& device);

// The value as indented JSON text (no trailing line break), and printed with one.
std::string JsonText(const Json::Value& value);
void PrintJson(std::FILE* out, const Json::Value& value);
