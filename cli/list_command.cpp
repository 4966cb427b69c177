#include "cli/list_command.h"
#include "cli/result_text.h"

#include <string>
#include <vector>

#include <json/json.h>

#include "cli/discovery_session.h"
#include "link/hid_interface.h"

namespace {

std::string DevicesJson(const std::vector<SessionDevice>& devices) {
    Json::Value list(Json::arrayValue);
    for (const SessionDevice& d : devices) {
        Json::Value entry(Json::objectValue);
        entry["kind"] = d.kind;
        entry["connection"] = d.connection;
        entry["vendor_id"] = d.vendorId;
        entry["product_id"] = d.productId;
        list.append(entry);
    }
    return JsonText(list);
}

const char* ConnectionText(const std::string& connection) {
    return connection == "both" ? "cable and receiver" : connection.c_str();
}

// One line per interface present, supported or not; false when they cannot be listed.
bool DescribeInterfaces(std::string& lines, size_t& count) {
    HidInterface enumerator;
    if (!enumerator.Enumerate()) return false;
    count = enumerator.PathCount();
    HidInterface probe;
    while (const char* path = enumerator.NextPath()) {
        char line[512];
        if (!probe.Open(path, true, false, true, false)) {
            std::snprintf(line, sizeof line, "  %-60s (cannot open: no permission?)\n", path);
            lines += line;
            continue;
        }
        std::snprintf(line, sizeof line,
                      "  %04x:%04x  mi %u  col %u  page %04x usage %04x  in %u out %u  %s\n",
                      probe.VendorId(), probe.ProductId(), probe.InterfaceNumber(),
                      probe.CollectionNumber(), probe.UsagePage(), probe.Usage(),
                      probe.InputReportByteLength(), probe.OutputReportByteLength(), path);
        lines += line;
        probe.Close();
    }
    return true;
}

}  // namespace

int RunListCommand(std::FILE* out, std::FILE* err, bool json) {
    DiscoverySession session;
    if (!session.ScanOrReport(err)) return 1;
    const std::vector<SessionDevice> devices = session.Devices();
    if (json) {
        std::fprintf(out, "%s\n", DevicesJson(devices).c_str());
        return 0;
    }
    std::string lines;
    size_t count = 0;
    if (!DescribeInterfaces(lines, count)) {
        std::fprintf(err, "r730ctl: cannot list HID interfaces (udev unavailable)\n");
        return 1;
    }
    if (devices.empty()) {
        std::fprintf(out, "no supported devices found\n");
    } else {
        std::fprintf(out, "Devices:\n");
        for (const SessionDevice& d : devices)
            std::fprintf(out, "  %-9s  %-18s  %04x:%04x\n", d.kind.c_str(),
                         ConnectionText(d.connection), d.vendorId, d.productId);
    }
    if (count == 0) {
        std::fprintf(out, "no HID interfaces found\n");
    } else {
        std::fprintf(out, "\nHID interfaces:\n%s", lines.c_str());
    }
    return 0;
}
