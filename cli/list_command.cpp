#include "cli/list_command.h"

#include "link/hid_interface.h"

int RunListCommand(std::FILE* out, std::FILE* err) {
    HidInterface enumerator;
    if (!enumerator.Enumerate()) {
        std::fprintf(err, "r730ctl: cannot list HID interfaces (udev unavailable)\n");
        return 1;
    }
    HidInterface probe;
    size_t listed = 0;
    while (const char* path = enumerator.NextPath()) {
        if (!probe.Open(path, true, false, true, false)) {
            std::fprintf(out, "%-60s (cannot open: no permission?)\n", path);
            continue;
        }
        std::fprintf(out, "%04x:%04x  mi %u  col %u  page %04x usage %04x  in %u out %u  %s\n",
                     probe.VendorId(), probe.ProductId(), probe.InterfaceNumber(),
                     probe.CollectionNumber(), probe.UsagePage(), probe.Usage(),
                     probe.InputReportByteLength(), probe.OutputReportByteLength(), path);
        probe.Close();
        ++listed;
    }
    if (enumerator.PathCount() == 0) std::fprintf(out, "no HID interfaces found\n");
    return 0;
}
