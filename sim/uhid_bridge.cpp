// r730-uhid-bridge: presents the simulated devices to the kernel through
// /dev/uhid, so that they appear as hidraw nodes (one uhid device per virtual
// interface, its interface number at the end of the physical path). Output
// and set-report requests go to the simulated interface; its input reports
// come back as uhid input. Runs until SIGINT or SIGTERM.
#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/virtual_hid.h"
#include "sim/sim_config.h"
#include "sim/sim_world.h"

namespace {

constexpr const char* kUhidPath = "/dev/uhid";
constexpr int kWriteTimeoutMs = 1000;

struct Bridged {
    int fd = -1;
    std::string node;
    std::shared_ptr<HidNode> hid;
    bool created = false;
    std::thread reader;
};

bool WriteEvent(int fd, const uhid_event& ev) {
    for (;;) {
        const ssize_t n = write(fd, &ev, sizeof ev);
        if (n == static_cast<ssize_t>(sizeof ev)) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

bool Create(Bridged& b, const HidNodeInfo& info) {
    const std::vector<uint8_t>& rd = b.hid->ReportDescriptor();
    if (rd.size() > HID_MAX_DESCRIPTOR_SIZE) return false;
    auto ev = std::make_unique<uhid_event>();
    std::memset(ev.get(), 0, sizeof *ev);
    ev->type = UHID_CREATE2;
    uhid_create2_req& c = ev->u.create2;
    std::snprintf(reinterpret_cast<char*>(c.name), sizeof c.name, "R730 simulated %04x:%04x",
                  info.vendorId, info.productId);
    std::snprintf(reinterpret_cast<char*>(c.phys), sizeof c.phys, "r730-sim/%s/input%u",
                  info.node.c_str(), info.interfaceNumber);
    c.rd_size = static_cast<uint16_t>(rd.size());
    c.bus = BUS_USB;
    c.vendor = info.vendorId;
    c.product = info.productId;
    c.version = b.hid->VersionNumber();
    std::memcpy(c.rd_data, rd.data(), rd.size());
    return WriteEvent(b.fd, *ev);
}

// Input reports of the simulated interface become uhid input until the node is cancelled.
void RelayInput(Bridged* b) {
    auto ev = std::make_unique<uhid_event>();
    for (;;) {
        std::memset(ev.get(), 0, sizeof *ev);
        size_t n = 0;
        if (!b->hid->Read(ev->u.input2.data, UHID_DATA_MAX, &n, -1)) return;
        ev->type = UHID_INPUT2;
        ev->u.input2.size = static_cast<uint16_t>(n);
        if (!WriteEvent(b->fd, *ev))
            std::fprintf(stderr, "r730-uhid-bridge: %s: input report lost: %s\n", b->node.c_str(),
                         std::strerror(errno));
    }
}

bool Deliver(Bridged& b, const uint8_t* data, size_t size) {
    size_t written = 0;
    return size > 0 && b.hid->Write(data, size, &written, kWriteTimeoutMs);
}

// Answers one event from the kernel. False when the uhid device failed.
bool HandleEvent(Bridged& b) {
    auto ev = std::make_unique<uhid_event>();
    std::memset(ev.get(), 0, sizeof *ev);
    ssize_t n = 0;
    do {
        n = read(b.fd, ev.get(), sizeof *ev);
    } while (n < 0 && errno == EINTR);
    if (n < 0 && errno == EAGAIN) return true;
    if (n <= 0) return false;
    switch (ev->type) {
        case UHID_OUTPUT:
            if (!Deliver(b, ev->u.output.data, ev->u.output.size))
                std::fprintf(stderr, "r730-uhid-bridge: %s: output report refused\n",
                             b.node.c_str());
            return true;
        case UHID_GET_REPORT: {
            const uint32_t id = ev->u.get_report.id;
            std::memset(ev.get(), 0, sizeof *ev);
            ev->type = UHID_GET_REPORT_REPLY;
            ev->u.get_report_reply.id = id;
            ev->u.get_report_reply.err = EIO;  // the devices have no reports to get
            return WriteEvent(b.fd, *ev);
        }
        case UHID_SET_REPORT: {
            const uint32_t id = ev->u.set_report.id;
            const bool ok = Deliver(b, ev->u.set_report.data, ev->u.set_report.size);
            std::memset(ev.get(), 0, sizeof *ev);
            ev->type = UHID_SET_REPORT_REPLY;
            ev->u.set_report_reply.id = id;
            ev->u.set_report_reply.err = ok ? 0 : EIO;
            return WriteEvent(b.fd, *ev);
        }
        default:  // start, stop, open, close
            return true;
    }
}

void PrintUsage(std::FILE* out) {
    std::fputs(
        "Usage: r730-uhid-bridge [--simulate[=LIST]] [--sim-config FILE]\n"
        "Presents the simulated devices to the kernel through /dev/uhid until stopped\n"
        "(SIGINT, SIGTERM). LIST as for r730ctl; default: the four devices by cable.\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    SimSelection selection;
    std::string error;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        const int taken = TakeSimOption(argc, argv, i, selection, error);
        if (taken == 0) error = std::string("unknown argument '") + argv[i] + "'";
        if (taken <= 0) {
            std::fprintf(stderr, "r730-uhid-bridge: %s\n", error.c_str());
            PrintUsage(stderr);
            return 2;
        }
    }
    std::vector<SimDeviceSpec> specs;
    if (!ResolveSimSpecs(selection, specs, error)) {
        std::fprintf(stderr, "r730-uhid-bridge: %s\n", error.c_str());
        return 1;
    }
    // Every thread started from here on leaves these two to the signalfd.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0) {
        std::perror("r730-uhid-bridge: sigprocmask");
        return 1;
    }
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::perror("r730-uhid-bridge: signalfd");
        return 1;
    }

    SimWorld world(specs);
    if (!world.PlugAll()) {
        std::fprintf(stderr, "r730-uhid-bridge: cannot plug the simulated devices\n");
        return 1;
    }
    std::vector<HidNodeInfo> nodes;
    VirtualHidBus::Instance().List(nodes);
    std::vector<std::unique_ptr<Bridged>> bridged;
    int code = 0;
    for (const HidNodeInfo& info : nodes) {
        auto b = std::make_unique<Bridged>();
        b->node = info.node;
        b->fd = open(kUhidPath, O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (b->fd < 0) {
            std::fprintf(stderr,
                         "r730-uhid-bridge: cannot open %s: %s (the kernel needs the uhid module "
                         "and the user write access to it)\n",
                         kUhidPath, std::strerror(errno));
            code = 1;
            break;
        }
        b->hid = VirtualHidBus::Instance().Open(info.node, true, true);
        b->created = b->hid && Create(*b, info);
        const bool created = b->created;
        bridged.push_back(std::move(b));
        if (!created) {
            std::fprintf(stderr, "r730-uhid-bridge: cannot create the uhid device for %s: %s\n",
                         info.node.c_str(), std::strerror(errno));
            code = 1;
            break;
        }
        Bridged* raw = bridged.back().get();
        raw->reader = std::thread(RelayInput, raw);
    }
    if (code == 0)
        std::fprintf(stderr, "r730-uhid-bridge: %zu interfaces presented through %s\n",
                     bridged.size(), kUhidPath);

    while (code == 0) {
        std::vector<pollfd> fds{{signalFd, POLLIN, 0}};
        for (const auto& b : bridged) fds.push_back({b->fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            std::perror("r730-uhid-bridge: poll");
            code = 1;
            break;
        }
        if (fds[0].revents != 0) break;  // SIGINT or SIGTERM
        for (size_t i = 1; i < fds.size() && code == 0; ++i) {
            if (fds[i].revents == 0) continue;
            if ((fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) ||
                !HandleEvent(*bridged[i - 1])) {
                std::fprintf(stderr, "r730-uhid-bridge: %s: uhid device failed\n",
                             bridged[i - 1]->node.c_str());
                code = 1;
            }
        }
    }

    for (auto& b : bridged) {
        if (b->hid) b->hid->Cancel();
        if (b->reader.joinable()) b->reader.join();
        if (b->fd < 0) continue;
        if (b->created) {
            auto ev = std::make_unique<uhid_event>();
            std::memset(ev.get(), 0, sizeof *ev);
            ev->type = UHID_DESTROY;
            if (!WriteEvent(b->fd, *ev))
                std::fprintf(stderr, "r730-uhid-bridge: %s: destroy failed\n", b->node.c_str());
        }
        if (close(b->fd) != 0) std::perror("r730-uhid-bridge: close");
    }
    if (close(signalFd) != 0) std::perror("r730-uhid-bridge: close");
    return code;
}
