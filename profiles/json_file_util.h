// CJsonFileUtil: all file input and output of JSON documents (profiles,
// profile list exports, macros, lighting library). Stateless; any instance,
// or the static functions directly, will do.
#pragma once

#include <json/json.h>

#include <chrono>
#include <string>
#include <string_view>

// The parts of a local time that name a profile or an exported file.
struct TimeStampParts {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class CJsonFileUtil {
  public:
    // The file's bytes, or an empty text when it cannot be opened or read
    // whole (files over 16 MB count as unreadable). Traces
    // "readjsonFile 错误吗：：%d" with the error code after every open attempt.
    static std::string ReadFileText(const std::string& path);

    // The document in the file; a null value when the file is missing, empty,
    // unreadable or does not parse (the path is traced).
    static Json::Value ReadJsonFile(const std::string& path);

    // Parses a document (comments collected, nesting limited to
    // kMaxNestingDepth); a null value for an empty text or a parse error.
    static Json::Value ParseJson(std::string_view text);

    // The text WriteJsonFile writes: jsoncpp's styled layout (three spaces of
    // indent, right margin 74) and one line end.
    static std::string StyledText(const Json::Value& value);

    // Replaces the file at path with StyledText(value), atomically (see
    // WriteFileAtomically). Returns 0 when done, else an errno value; the old
    // file is then unchanged.
    static int WriteJsonFile(const std::string& path, const Json::Value& value);

    // The local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d" (year, month, day,
    // hour, minute, second, millisecond), e.g. "2025_01_02_09_05_03_007".
    static std::string MakeTimeStampName();
    static std::string MakeTimeStampName(std::chrono::system_clock::time_point time);
    static std::string MakeTimeStampName(const TimeStampParts& parts);

    // The file name of path without folder and extension, as wide text.
    static std::wstring GetFileTitle(const std::string& path);

    static constexpr int kMaxNestingDepth = 256;
};
