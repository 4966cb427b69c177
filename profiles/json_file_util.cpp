#include "profiles/json_file_util.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>

#include "link/debug_trace.h"
#include "profiles/file_io.h"
#include "profiles/text_helpers.h"

std::string CJsonFileUtil::ReadFileText(const std::string& path) {
    std::string text;
    const int error = ReadWholeFile(path, text);
    if (DebugTraceEnabled()) {
        char line[64];
        std::snprintf(line, sizeof line, "readjsonFile 错误吗：：%d", error);
        DebugTrace(line);
    }
    return text;
}

Json::Value CJsonFileUtil::ReadJsonFile(const std::string& path) {
    const std::string text = ReadFileText(path);
    Json::Value value = ParseJson(text);
    if (value.isNull())
        DebugTrace(path);
    return value;
}

Json::Value CJsonFileUtil::ParseJson(std::string_view text) {
    if (text.empty())
        return Json::Value();
    try {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = true;
        builder["stackLimit"] = kMaxNestingDepth;
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::Value value;
        std::string errors;
        if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors)) {
            return Json::Value();
        }
        return value;
    } catch (const std::exception&) {
        return Json::Value();  // nesting too deep, or the reader gave up otherwise
    }
}

std::string CJsonFileUtil::StyledText(const Json::Value& value) {
    Json::StyledWriter writer;
    return writer.write(value) + "\n";
}

int CJsonFileUtil::WriteJsonFile(const std::string& path, const Json::Value& value) {
    std::string text;
    try {
        text = StyledText(value);
    } catch (const std::exception&) {
        DebugTrace("WriteJsonFile: the document cannot be written: " + path);
        return ENOMEM;
    }
    return WriteFileAtomically(path, text);
}

std::string CJsonFileUtil::MakeTimeStampName() {
    return MakeTimeStampName(std::chrono::system_clock::now());
}

std::string CJsonFileUtil::MakeTimeStampName(std::chrono::system_clock::time_point time) {
    namespace chrono = std::chrono;
    const auto whole = chrono::floor<chrono::seconds>(time);
    const time_t seconds = chrono::system_clock::to_time_t(
        chrono::time_point_cast<chrono::system_clock::duration>(whole));
    const auto millis = chrono::duration_cast<chrono::milliseconds>(time - whole);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return MakeTimeStampName(TimeStampParts{});
    return MakeTimeStampName(TimeStampParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                            local.tm_hour, local.tm_min, local.tm_sec,
                                            static_cast<int>(millis.count())});
}

std::string CJsonFileUtil::MakeTimeStampName(const TimeStampParts& p) {
    char text[96];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second, p.millisecond);
    return text;
}

std::wstring CJsonFileUtil::GetFileTitle(const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return Utf8ToWide(name);
}
