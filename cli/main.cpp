// r730ctl: the command-line side of the configuration utility.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/list_command.h"

namespace {

void PrintHelp(std::FILE* out) {
    std::fputs(
        "Usage: r730ctl [OPTIONS] COMMAND\n"
        "\n"
        "Configures the R730-VXT-1K gaming mouse, its keyboard, mouse pad and headset.\n"
        "\n"
        "Commands:\n"
        "  list          list the HID interfaces present (an empty list is normal)\n"
        "\n"
        "Options:\n"
        "  -h, --help    show this help and exit\n"
        "\n"
        "Environment:\n"
        "  R730_TRACE    file to append the debug texts and frame traces to ('-': stderr)\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintHelp(stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        PrintHelp(stdout);
        return 0;
    }
    if (command == "list") {
        if (argc > 2) {
            std::fprintf(stderr, "r730ctl: list takes no arguments\n");
            return 2;
        }
        return RunListCommand(stdout, stderr);
    }
    std::fprintf(stderr, "r730ctl: unknown command '%s' (see r730ctl --help)\n", argv[1]);
    return 2;
}
