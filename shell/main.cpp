// r730cfg: the desktop application.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QSocketNotifier>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "link/debug_trace.h"
#include "profiles/data_folders.h"
#include "shell/device_hub.h"
#include "shell/language.h"
#include "shell/main_window.h"
#include "shell/single_instance.h"
#include "shell/skin.h"
#include "sim/sim_config.h"
#include "sim/sim_world.h"

namespace {

void PrintHelp() {
    std::fputs(
        "Usage: r730cfg [OPTIONS]\n"
        "\n"
        "Configures the R730-VXT-1K gaming mouse, its keyboard, mouse pad and headset.\n"
        "Only one instance runs per user; starting another brings its window to the front.\n"
        "\n"
        "Options:\n"
        "  --hidden             start in the system tray (as the session's autostart does)\n"
        "  --simulate[=LIST]    add simulated devices: LIST of mouse, keyboard, mousepad,\n"
        "                       headset, comma-separated, each optionally @receiver or\n"
        "                       @both; default: the four by cable\n"
        "  --sim-config FILE    simulate the devices a JSON configuration file describes\n"
        "  --trace              write the debug texts and frame traces to stderr\n"
        "  -h, --help           show this help and exit\n"
        "\n"
        "Environment:\n"
        "  R730_TRACE           file to append the debug texts to ('-': stderr)\n"
        "  R730_DATA_DIR        the program data folder (DefaultData, skin)\n",
        stdout);
}

// The private fonts of the program folder; missing files are skipped.
void LoadFonts() {
    const QString folder = QString::fromStdString(ProgramDataFolder()) + "Font/";
    for (const char* file : {"Simplified_Chinese.ttf", "Kelvor-Regular.otf", "NotoSansThai-Regular.ttf",
                             "NotoSansCJKtc-Regular.otf"})
        if (QFile::exists(folder + file)) QFontDatabase::addApplicationFont(folder + file);
}

// SIGTERM and SIGINT (logout, Ctrl-C) end the program as "Exit" does: the
// handler only writes a byte that the event loop reads.
int g_signalPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

bool CatchStopSignals() {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    SimSelection sim;
    bool hidden = false;
    for (int i = 1; i < argc; ++i) {
        std::string error;
        const int taken = TakeSimOption(argc, argv, i, sim, error);
        if (taken < 0) {
            std::fprintf(stderr, "r730cfg: %s\n", error.c_str());
            return 2;
        }
        if (taken > 0) continue;
        if (std::strcmp(argv[i], "--hidden") == 0) {
            hidden = true;
        } else if (std::strcmp(argv[i], "--trace") == 0) {
            SetDebugTraceTarget("-");
        } else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        } else {
            std::fprintf(stderr, "r730cfg: unknown option %s (see --help)\n", argv[i]);
            return 2;
        }
    }

    // Sessions without a runtime folder (root on a console, ssh): take the
    // private one Qt would take, without its warning.
    if (!getenv("XDG_RUNTIME_DIR")) {
        const std::string runtime = "/tmp/runtime-" + std::to_string(getuid());
        struct stat st {};
        const bool made = mkdir(runtime.c_str(), 0700) == 0;
        // A folder someone else made there is not taken.
        if (made || (errno == EEXIST && lstat(runtime.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
                     st.st_uid == getuid() && (st.st_mode & 0077) == 0))
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    LoadFonts();

    SingleInstance instance(DefaultInstanceKey());
    if (!instance.Claim()) return 0;  // the running one comes to the front

    std::unique_ptr<SimWorld> world;
    if (sim.Active()) {
        std::vector<SimDeviceSpec> specs;
        std::string error;
        if (!ResolveSimSpecs(sim, specs, error)) {
            std::fprintf(stderr, "r730cfg: %s\n", error.c_str());
            return 2;
        }
        world = std::make_unique<SimWorld>(std::move(specs));
        if (!world->PlugAll()) {
            std::fprintf(stderr, "r730cfg: cannot plug the simulated devices\n");
            return 2;
        }
    }

    app.setStyleSheet(LoadStyleSheet());
    Language& language = AppLanguage();
    language.LoadTable(QString::fromStdString(DefaultDataFolder()) + "Language.config");
    language.Apply(language.IndexOfId(StoredLanguageId()), SkinFolder());

    DeviceHub hub;
    MainWindowOptions options;
    options.startHidden = hidden;
    CMainWnd window(hub, options);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, &CMainWnd::BringToFront);
    std::unique_ptr<QSocketNotifier> stopSignals;
    if (CatchStopSignals()) {
        stopSignals = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(stopSignals.get(), &QSocketNotifier::activated, &window, [&window] {
            char byte = 0;
            [[maybe_unused]] const ssize_t got = read(g_signalPipe[0], &byte, 1);
            window.Exit();
        });
    } else {
        DebugTrace("stop signals not caught");
    }
    hub.Start();
    const int code = app.exec();
    hub.Stop();
    if (world) world->UnplugAll();
    return code == 0 ? 0 : code;
}
