#include "cli/result_text.h"

#include <json/json.h>

#include "link/result_codes.h"

std::string ResultText(int result, const std::string& d) {
    switch (result) {
        case kResultOk: return "the " + d + " took the settings";
        case kResultNoReply: return "the " + d + " did not answer or could not be reached";
        case kResultWriteFailed: return "the frame to the " + d + " could not be written";
        case kResultReceiverRefused: return "the receiver cannot reach the " + d;
        case kResultDeviceRefused: return "the " + d + " refused (0xFF)";
        case kResultDeviceBusy: return "the " + d + " refused as busy (0xFE)";
        case kResultBadBlock: return "no such block";
        default: return "the " + d + " answered " + std::to_string(result);
    }
}

std::string JsonText(const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "  ";
    return Json::writeString(writer, value);
}

void PrintJson(std::FILE* out, const Json::Value& value) { std::fprintf(out, "%s\n", JsonText(value).c_str()); }
