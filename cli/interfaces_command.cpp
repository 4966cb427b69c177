#include "cli/interfaces_command.h"
#include "cli/result_text.h"

#include <string>

#include <json/json.h>

#include "cli/device_kinds.h"
#include "cli/discovery_session.h"

namespace {

void PrintJson(std::FILE* out, const std::vector<DeviceIdentity>& list) {
    Json::Value entries(Json::arrayValue);
    for (size_t i = 0; i < list.size(); ++i) {
        const DeviceIdentity& e = list[i];
        if (!e.inUse) continue;
        Json::Value v(Json::objectValue);
        v["index"] = static_cast<Json::UInt>(i);
        v["vendor_id"] = e.vendorId;
        v["product_id"] = e.productId;
        v["interface"] = e.interfaceNumber;
        v["collection"] = e.collectionNumber;
        v["type"] = e.deviceType;
        v["role"] = e.role;
        v["usage_page"] = e.usagePage;
        v["usage"] = e.usage;
        v["path"] = e.path;
        entries.append(v);
    }
    PrintJson(out, entries);
}

void PrintTable(std::FILE* out, const std::vector<DeviceIdentity>& list) {
    bool any = false;
    for (size_t i = 0; i < list.size(); ++i) {
        const DeviceIdentity& e = list[i];
        if (!e.inUse) continue;
        if (!any)
            std::fprintf(out, "%-5s  %-8s  %-9s  %-10s  %-9s  %2s  %3s  %4s  %-9s  %s\n", "Index",
                         "Kind", "Role", "Connection", "Ids", "MI", "Col", "Type", "Usage",
                         "Path");
        any = true;
        std::fprintf(out, "%5zu  %-8s  %-9s  %-10s  %04x:%04x  %2u  %3u  %4u  %04x:%04x  %s\n", i,
                     KindOfType(e.deviceType), RoleName(e.role), ConnectionOfType(e.deviceType),
                     e.vendorId, e.productId, e.interfaceNumber, e.collectionNumber, e.deviceType,
                     e.usagePage, e.usage, e.path.c_str());
    }
    if (!any) std::fprintf(out, "no supported interfaces found\n");
}

}  // namespace

int RunInterfacesCommand(std::FILE* out, std::FILE* err, bool json) {
    DiscoverySession session;
    if (!session.ScanOrReport(err)) return 1;
    if (json) {
        PrintJson(out, session.Interfaces());
    } else {
        PrintTable(out, session.Interfaces());
    }
    return 0;
}
