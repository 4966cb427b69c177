#include "profiles/json_values.h"

#include <cmath>
#include <cstring>

namespace pjson {

bool ValidIndex(long long index) {
    return index >= 0 && index < static_cast<long long>(kMaxIndex);
}

const Json::Value& At(const Json::Value& object, const char* key) {
    if (!object.isObject())
        return Json::Value::nullSingleton();
    const Json::Value* found = object.find(key, key + std::strlen(key));
    return found ? *found : Json::Value::nullSingleton();
}

const Json::Value& At(const Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray() || index >= array.size())
        return Json::Value::nullSingleton();
    return array[index];
}

int64_t ToInt64(const Json::Value& v) {
    switch (v.type()) {
        case Json::intValue:
            return v.asInt64();
        case Json::uintValue:
            return static_cast<int64_t>(v.asUInt64());
        case Json::booleanValue:
            return v.asBool() ? 1 : 0;
        case Json::realValue: {
            const double d = v.asDouble();
            // 2^63: the first value past the signed 64-bit range.
            constexpr double kLimit = 9223372036854775808.0;
            if (!std::isfinite(d) || d >= kLimit || d < -kLimit)
                return 0;
            return static_cast<int64_t>(d);
        }
        default:
            return 0;
    }
}

uint8_t ToU8(const Json::Value& v) {
    return static_cast<uint8_t>(ToInt64(v));
}
uint16_t ToU16(const Json::Value& v) {
    return static_cast<uint16_t>(ToInt64(v));
}
int32_t ToI32(const Json::Value& v) {
    return static_cast<int32_t>(static_cast<uint32_t>(ToInt64(v)));
}

bool ToBool(const Json::Value& v) {
    switch (v.type()) {
        case Json::intValue:
        case Json::uintValue:
        case Json::booleanValue:
            return v.asBool();
        case Json::realValue: {
            const double d = v.asDouble();
            return d != 0.0 && !std::isnan(d);
        }
        default:
            return false;
    }
}

std::string ToText(const Json::Value& v) {
    switch (v.type()) {
        case Json::stringValue:
        case Json::intValue:
        case Json::uintValue:
        case Json::realValue:
        case Json::booleanValue:
            return v.asString();
        default:
            return {};
    }
}

Json::Value& Member(Json::Value& v, const char* key) {
    if (!v.isObject())
        v = Json::Value(Json::objectValue);
    return v[key];
}

Json::Value& ObjectMember(Json::Value& v, const char* key) {
    Json::Value& m = Member(v, key);
    if (!m.isObject())
        m = Json::Value(Json::objectValue);
    return m;
}

Json::Value& ArrayMember(Json::Value& v, const char* key) {
    Json::Value& m = Member(v, key);
    if (!m.isArray())
        m = Json::Value(Json::arrayValue);
    return m;
}

Json::Value& Element(Json::Value& v, Json::ArrayIndex index) {
    if (!v.isArray())
        v = Json::Value(Json::arrayValue);
    if (index >= v.size())
        v.resize(index + 1);
    return v[index];
}

Json::Value& ObjectElement(Json::Value& v, Json::ArrayIndex index) {
    Json::Value& e = Element(v, index);
    if (!e.isObject())
        e = Json::Value(Json::objectValue);
    return e;
}

Json::Value& ArrayElement(Json::Value& v, Json::ArrayIndex index) {
    Json::Value& e = Element(v, index);
    if (!e.isArray())
        e = Json::Value(Json::arrayValue);
    return e;
}

void SetInt(Json::Value& v, const char* key, int64_t value) {
    Member(v, key) = Json::Value(static_cast<Json::Int64>(value));
}

}  // namespace pjson
