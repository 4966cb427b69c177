// Tables that tie the fields of a record to the members of a JSON object, so
// that reading and writing a section is one loop over its table.
#pragma once

#include <json/json.h>

#include <cstddef>

#include "profiles/json_values.h"

namespace pjson {

template <typename Record, typename Field>
struct FieldKey {
    const char* key;
    Field Record::*field;
    bool boolean = false;  // read as a boolean (any non-zero number is true), written 0 or 1
};

// Reads every member of the table into record: a field takes the low bits of
// the stored integer that fit its width.
template <typename Record, typename Field, size_t N>
void ReadFields(const Json::Value& section, Record& record,
                const FieldKey<Record, Field> (&table)[N]) {
    for (const auto& f : table) {
        const Json::Value& v = At(section, f.key);
        record.*f.field =
            f.boolean ? static_cast<Field>(ToBool(v)) : static_cast<Field>(ToInt64(v));
    }
}

// Writes every field of the table as an integer member of section (made an
// object when it is something else).
template <typename Record, typename Field, size_t N>
void WriteFields(Json::Value& section, const Record& record,
                 const FieldKey<Record, Field> (&table)[N]) {
    for (const auto& f : table) {
        const auto value = static_cast<int64_t>(record.*f.field);
        SetInt(section, f.key, f.boolean ? (value != 0 ? 1 : 0) : value);
    }
}

}  // namespace pjson
