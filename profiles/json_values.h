// Reading and writing members of JSON documents without exceptions. jsoncpp's
// own accessors throw (or assert) when a value has another type than the one
// asked for; these helpers treat a value of the wrong type as missing when
// reading and replace it when writing.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>

namespace pjson {

// The largest array index the program reads or writes in a document. Larger
// indices come only from damaged files and would make huge arrays.
inline constexpr Json::ArrayIndex kMaxIndex = 4096;

// True when index lies in [0, kMaxIndex).
bool ValidIndex(long long index);

// object[key], or a null value when object is no object or lacks key.
const Json::Value& At(const Json::Value& object, const char* key);
// array[index], or a null value when array is no array or is shorter.
const Json::Value& At(const Json::Value& array, Json::ArrayIndex index);

// Integer conversion: integers as they are (unsigned values above the signed
// range keep their low 64 bits), booleans 0 or 1, real numbers truncated
// toward zero (0 when not finite or out of range), anything else 0.
int64_t ToInt64(const Json::Value& v);
// The low 8, 16 or 32 bits of ToInt64.
uint8_t ToU8(const Json::Value& v);
uint16_t ToU16(const Json::Value& v);
int32_t ToI32(const Json::Value& v);
// Boolean conversion: any non-zero number is true; anything but a number or a
// boolean is false.
bool ToBool(const Json::Value& v);
// Text: strings as they are, numbers and booleans in jsoncpp's text form,
// anything else empty.
std::string ToText(const Json::Value& v);

// Makes v an object (replacing any other value) and returns v[key].
Json::Value& Member(Json::Value& v, const char* key);
// Member(v, key), made an object or an array when it is something else.
Json::Value& ObjectMember(Json::Value& v, const char* key);
Json::Value& ArrayMember(Json::Value& v, const char* key);
// Makes v an array long enough for index and returns v[index] (index must be
// below kMaxIndex).
Json::Value& Element(Json::Value& v, Json::ArrayIndex index);
// Element(v, index), made an object or an array when it is something else.
Json::Value& ObjectElement(Json::Value& v, Json::ArrayIndex index);
Json::Value& ArrayElement(Json::Value& v, Json::ArrayIndex index);

// v[key] ← integer value.
void SetInt(Json::Value& v, const char* key, int64_t value);

}  // namespace pjson
