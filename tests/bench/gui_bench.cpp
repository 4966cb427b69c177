// Measurements of the desktop application with simulated devices (not a test):
//   gui_bench startup   time from start to the main window on screen with the
//                       four simulated devices, and resident memory once shown
//   gui_bench stall     the longest the UI thread goes without serving its
//                       event loop while DPI edits are committed on a mouse
//                       with realistic timing (1 ms per frame)
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "devices/zentrel_mouse_device.h"
#include "shell/device_hub.h"
#include "shell/language.h"
#include "shell/main_window.h"
#include "shell/mouse_page.h"
#include "shell/skin.h"
#include "sim/sim_world.h"
#include "tests/shell/shell_test_support.h"

namespace {

const auto kStart = std::chrono::steady_clock::now();

double MsSinceStart() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - kStart).count();
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

std::unique_ptr<SimWorld> PlugSimulated(const char* list, bool realistic) {
    std::vector<SimDeviceSpec> specs;
    std::string error;
    if (!ParseSimulateList(list, specs, error)) return nullptr;
    auto world = std::make_unique<SimWorld>(std::move(specs));
    if (!world->PlugAll()) return nullptr;
    if (realistic)
        if (SimulatedDevice* mouse = world->Device(SimKind::Mouse)) mouse->SetRealisticTiming(true);
    return world;
}

void SetUpLanguage() {
    AppLanguage().LoadTable(SkinFolder() + "../DefaultData/Language.config");
    AppLanguage().Apply(0, SkinFolder());
}

int Startup() {
    auto world = PlugSimulated("mouse,keyboard,mousepad,headset", false);
    if (!world) return 1;
    qApp->setStyleSheet(LoadStyleSheet());
    SetUpLanguage();
    DeviceHub hub;
    CMainWnd window(hub, MainWindowOptions{false, false});
    hub.Start();
    if (!WaitFor([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 10000)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    const double shownMs = MsSinceStart();
    Pump(1000);  // the devices are read and the pages filled meanwhile
    std::printf("start-up to window shown: %.0f ms\nresident memory 1 s after: %.1f MB\n", shownMs,
                double(ResidentKb()) / 1024.0);
    hub.Stop();
    return 0;
}

int Stall() {
    auto world = PlugSimulated("mouse@both", true);
    if (!world) return 1;
    SetUpLanguage();
    DeviceHub hub;
    CMainWnd window(hub, MainWindowOptions{false, false});
    hub.Start();
    auto page = [&] { return window.MousePageOf(window.Current()); };
    if (!WaitFor([&] { return page() && page()->State().valid; }, 10000)) return 1;

    // A 1 ms timer on the UI thread: the longest gap between its ticks is the
    // longest time the thread was kept from its event loop.
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed(), longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    int done = 0;
    QObject::connect(page(), &MousePage::editDone, [&](int, int) { ++done; });
    tick.start(1);
    double slowestEdit = 0;
    const int edits = 20;
    for (int i = 0; i < edits; ++i) {
        auto* edit = page()->Content()->findChild<QLineEdit*>(QString("DPI_edit_%1").arg(i % 7));
        edit->setText(QString::number(800 + 100 * i));
        QElapsedTimer editClock;
        editClock.start();
        last = clock.nsecsElapsed();
        emit edit->editingFinished();
        if (!WaitFor([&] { return done == i + 1; }, 10000)) return 1;
        slowestEdit = std::max(slowestEdit, double(editClock.nsecsElapsed()) / 1e6);
    }
    tick.stop();
    std::printf("%d DPI edits committed (profile saved, block written to the mouse)\n", edits);
    std::printf("slowest edit, device thread: %.1f ms\n", slowestEdit);
    std::printf("longest UI stall: %.2f ms\n", double(longest) / 1e6);
    hub.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    UseTemporaryUserFolders();
    if (!qEnvironmentVariableIsSet("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "startup") == 0) return Startup();
    if (argc > 1 && std::strcmp(argv[1], "stall") == 0) return Stall();
    std::fprintf(stderr, "usage: gui_bench startup|stall\n");
    return 2;
}
