// r730ctl: the command-line side of the configuration utility.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/device_kinds.h"
#include "cli/global_options.h"
#include "cli/interfaces_command.h"
#include "cli/list_command.h"
#include "cli/macro_command.h"
#include "cli/monitor_command.h"
#include "cli/mouse_command.h"
#include "cli/profile_command.h"
#include "cli/raw_command.h"
#include "cli/sim_session.h"
#include "link/debug_trace.h"

namespace {

void PrintHelp(std::FILE* out) {
    std::fputs(
        "Usage: r730ctl [OPTIONS] COMMAND [ARGS]\n"
        "\n"
        "Configures the R730-VXT-1K gaming mouse, its keyboard, mouse pad and headset.\n"
        "\n"
        "Commands:\n"
        "  list [--json]        list the supported devices present (one per mouse or\n"
        "                       keyboard, by cable, receiver or both), then every HID\n"
        "                       interface of the machine; --json: the devices only, as\n"
        "                       a JSON array of kind, connection, vendor_id, product_id\n"
        "  interfaces [--json]  list the supported interfaces found and the entries they\n"
        "                       take in the interface list (index, ids, interface and\n"
        "                       collection numbers, type, role, usage page and usage,\n"
        "                       path); --json: as a JSON array\n"
        "  monitor [--for SECONDS]\n"
        "                       print, as they happen, the supported interfaces that\n"
        "                       arrive (+) and leave (-) and the connection switches of\n"
        "                       a mouse or keyboard (~), until Ctrl-C or SIGTERM or, with\n"
        "                       --for, until SECONDS have passed\n"
        "  raw [KIND] AREA [--json]\n"
        "                       read a device's memory through its command frames and\n"
        "                       print it in hex; KIND: mouse, keyboard, mousepad,\n"
        "                       headset (default: the first found); AREA: info, status,\n"
        "                       keytable, ledmap, or settings OFFSET LENGTH\n"
        "  mouse SUBCOMMAND [--json]\n"
        "                       read the mouse (taking it over and loading its profile),\n"
        "                       then show its settings or change one; a change is saved\n"
        "                       in the profile and written to the mouse:\n"
        "    show               DPI stages, report rate, lift-off, calibration, ripple,\n"
        "                       debounce, sleep times, light effect, battery, sensor\n"
        "    dpi STAGE VALUE    DPI of stage 0-6, VALUE 0-10000 (the mouse rounds it to\n"
        "                       its nearest lower level)\n"
        "    stage STAGE on|off switch stage 0-6 on or off\n"
        "    active-stage STAGE make stage 0-6 the active one\n"
        "    rate N             report-rate index 0-4\n"
        "    liftoff N          lift-off distance 0-1\n"
        "    calibration N      linear calibration 0-1\n"
        "    ripple N           ripple control 0-1\n"
        "    debounce N         key debounce 0-255\n"
        "    sleep ble1|ble2|dev1|dev2 VALUE\n"
        "                       a wireless or device sleep time, 0-255\n"
        "    defaults           restore the default profile and write it to the mouse\n"
        "    buttons            each button's function, code, default code and slot\n"
        "    assign BUTTON FUNCTION\n"
        "                       give button 0-10 a function and write the key table:\n"
        "                       default | button left|middle|right|forward|back |\n"
        "                       tilt left|right COUNT [speed S] [delay D] |\n"
        "                       wheel up|down COUNT [speed S] [delay D] |\n"
        "                       dpi up|down|cycle | fire INTERVAL SHOTS |\n"
        "                       key [MODIFIER+...]KEY | media NAME | system NAME |\n"
        "                       macro INDEX [mode 0-3|repeat N] | gun 0-3 |\n"
        "                       shortcut NAME (see the README for the names); the\n"
        "                       macros the keys use are sent with the key table\n"
        "  mouse macro SUBCOMMAND [--json]\n"
        "  keyboard macro SUBCOMMAND [--json]\n"
        "                       the device's macro library in its data folder (the\n"
        "                       keyboard's: files only, there is no keyboard device yet):\n"
        "    list               index, name and event count of each macro\n"
        "    new                add a macro named macro_N\n"
        "    rename INDEX NAME  rename a macro (blank and taken names are refused)\n"
        "    delete INDEX [--yes]\n"
        "                       delete a macro; keys using it get their default function\n"
        "                       and keys of later macros follow, in every profile; the\n"
        "                       mouse then gets the key data; exit 3 without --yes when\n"
        "                       a key of the current profile uses it (nothing changed)\n"
        "    show INDEX         the events as the device gets them\n"
        "    import FILE        add a .mac file as a macro (checked, 64 events at most)\n"
        "    export INDEX FILE  copy the macro's file to FILE\n"
        "    save INDEX FILE    replace the macro's events with those of the .mac file\n"
        "                       FILE (at most 58)\n"
        "    send               (mouse) send the macros the keys use and the key table\n"
        "  DEVICE profile SUBCOMMAND [--json]\n"
        "                       the profiles of a device kind in the user's data folder;\n"
        "                       DEVICE: mouse, keyboard, mousepad, headset. copy, rename,\n"
        "                       delete, export and reset act on the selected profile,\n"
        "                       which select changes and the profile list keeps:\n"
        "    list [--json]      the profiles, '*' marking the selected one; --json: a\n"
        "                       JSON array of name, id, selected\n"
        "    new                add \"Profile1\", else \"profile2\", \"profile3\", ...; it\n"
        "                       becomes the selected profile (nothing is sent)\n"
        "    copy               add a copy named \"NAME copy\" (\" copy\" again while taken)\n"
        "    rename NAME        at most 16 characters (one outside ASCII counts as two),\n"
        "                       not blank, no space or < > : \" / \\ | ? # % & * =, not\n"
        "                       another profile's name in any letter case\n"
        "    delete             delete it and its file (the only profile is kept); the\n"
        "                       one before it becomes the selected profile\n"
        "    select INDEX       make profile INDEX (from 0) the selected one; on the\n"
        "                       mouse, a mouse present gets the profile's settings and\n"
        "                       key assignments; other kinds: the files only\n"
        "    export FILE        write the profile to FILE\n"
        "    import FILE        add the profile file FILE, named after the file\n"
        "    reset              give the profile the default settings (a headset keeps\n"
        "                       its custom equaliser names and curves); the files only\n"
        "\n"
        "Options:\n"
        "  --simulate[=LIST]    add simulated devices: LIST of mouse, keyboard, mousepad,\n"
        "                       headset, comma-separated, each optionally @receiver or\n"
        "                       @both (mouse and keyboard); default: the four by cable\n"
        "  --sim-config FILE    simulate the devices a JSON configuration file describes\n"
        "  --sim-state FILE     load the simulated devices' memory from FILE (when it\n"
        "                       exists) and save it there at exit\n"
        "  --trace              write the debug texts and frame traces to stderr\n"
        "  -h, --help           show this help and exit\n"
        "\n"
        "Environment:\n"
        "  R730_TRACE           file to append the debug texts and frame traces to ('-': stderr)\n",
        out);
}

// The arguments of a command that takes only --json; false after a message.
bool TakeJsonFlag(int argc, char** argv, int first, const std::string& command, bool& json) {
    for (int i = first; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
            continue;
        }
        std::fprintf(stderr, "r730ctl: %s: unknown argument '%s'\n", command.c_str(), argv[i]);
        return false;
    }
    return true;
}

int RunCommand(int argc, char** argv, int index) {
    const std::string command = argv[index];
    if (command == "help") {
        PrintHelp(stdout);
        return 0;
    }
    if (command == "list" || command == "interfaces") {
        bool json = false;
        if (!TakeJsonFlag(argc, argv, index + 1, command, json)) return 2;
        return command == "list" ? RunListCommand(stdout, stderr, json)
                                 : RunInterfacesCommand(stdout, stderr, json);
    }
    if (command == "monitor") return RunMonitorCommand(argc, argv, index + 1, stdout, stderr);
    if (command == "raw") return RunRawCommand(argc, argv, index + 1, stdout, stderr);
    if (IsKindName(command) && index + 1 < argc && std::strcmp(argv[index + 1], "profile") == 0)
        return RunProfileCommand(command, argc, argv, index + 2, stdout, stderr);
    if ((command == "mouse" || command == "keyboard") && index + 1 < argc &&
        std::strcmp(argv[index + 1], "macro") == 0)
        return RunMacroCommand(command, argc, argv, index + 2, stdout, stderr);
    if (command == "mouse") return RunMouseCommand(argc, argv, index + 1, stdout, stderr);
    if (command == "keyboard") {
        std::fprintf(stderr, "r730ctl: keyboard: only 'keyboard macro ...' is available (there is no "
                             "keyboard device yet)\n");
        return 2;
    }
    std::fprintf(stderr, "r730ctl: unknown command '%s' (see r730ctl --help)\n", command.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    GlobalOptions options;
    std::string error;
    if (const int code = ParseGlobalOptions(argc, argv, options, error); code != 0) {
        std::fprintf(stderr, "r730ctl: %s\n", error.c_str());
        return code;
    }
    if (options.help) {
        PrintHelp(stdout);
        return 0;
    }
    if (options.commandIndex >= argc) {
        PrintHelp(stderr);
        return 2;
    }
    if (options.trace) SetDebugTraceTarget("-");

    SimSession session;
    if (options.sim.Active() && !session.Start(options.sim, options.statePath, error)) {
        std::fprintf(stderr, "r730ctl: %s\n", error.c_str());
        return 1;
    }
    int code = RunCommand(argc, argv, options.commandIndex);
    if (!session.Finish(error)) {
        std::fprintf(stderr, "r730ctl: cannot save the simulated devices' state: %s\n",
                     error.c_str());
        if (code == 0) code = 1;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "r730ctl: cannot write the output\n");
        if (code == 0) code = 1;
    }
    return code;
}
