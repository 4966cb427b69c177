#include "profiles/device_object.h"

#include <cerrno>

#include "profiles/json_values.h"

const Json::Value& DeviceObjectOf(const Json::Value& file, int index) {
    if (!pjson::ValidIndex(index))
        return Json::Value::nullSingleton();
    const Json::Value& device =
        pjson::At(pjson::At(file, "Device"), static_cast<Json::ArrayIndex>(index));
    return device.isObject() ? device : Json::Value::nullSingleton();
}

int PutDeviceObject(Json::Value& file, int index, const Json::Value& device) {
    if (!pjson::ValidIndex(index))
        return EINVAL;
    pjson::Element(pjson::ArrayMember(file, "Device"), static_cast<Json::ArrayIndex>(index)) =
        device;
    return 0;
}
