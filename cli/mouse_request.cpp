#include "cli/mouse_request.h"
#include "cli/command_words.h"

#include <charconv>
#include <cstring>
#include <span>
#include <vector>

#include "devices/mouse_dpi.h"

namespace {

struct Subcommand {
    const char* name;
    MouseAction action;
    const char* usage;  // the arguments after the name
};

constexpr Subcommand kSubcommands[] = {
    {"show", MouseAction::Show, ""},
    {"dpi", MouseAction::Dpi, " STAGE VALUE"},
    {"stage", MouseAction::Stage, " STAGE on|off"},
    {"active-stage", MouseAction::ActiveStage, " STAGE"},
    {"rate", MouseAction::Rate, " N"},
    {"liftoff", MouseAction::LiftOff, " N"},
    {"calibration", MouseAction::Calibration, " N"},
    {"ripple", MouseAction::Ripple, " N"},
    {"debounce", MouseAction::Debounce, " N"},
    {"sleep", MouseAction::Sleep, " ble1|ble2|dev1|dev2 VALUE"},
    {"defaults", MouseAction::Defaults, ""},
    {"buttons", MouseAction::Buttons, ""},
    {"assign", MouseAction::Assign, " BUTTON FUNCTION…"},
};

// The range of the one number of the single-value settings.
struct ValueRange {
    MouseAction action;
    const char* what;
    int max;
};
constexpr ValueRange kValueRanges[] = {
    {MouseAction::Rate, "the report-rate index", 4},
    {MouseAction::LiftOff, "the lift-off distance", 1},
    {MouseAction::Calibration, "the linear calibration", 1},
    {MouseAction::Ripple, "the ripple control", 1},
    {MouseAction::Debounce, "the key debounce", 255},
    {MouseAction::Sleep, "the sleep value", 255},
};

constexpr struct {
    const char* name;
    MouseSleep which;
} kSleepNames[] = {
    {"ble1", MouseSleep::Ble1},
    {"ble2", MouseSleep::Ble2},
    {"dev1", MouseSleep::Device1},
    {"dev2", MouseSleep::Device2},
};

// A whole decimal number from min to max, and nothing else.
bool ParseInRange(const std::string& text, int min, int max, int& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [stop, problem] = std::from_chars(begin, end, value);
    return !text.empty() && problem == std::errc() && stop == end && value >= min && value <= max;
}

std::string RangeError(const std::string& command, const char* what, int min, int max,
                       const std::string& given) {
    return "mouse " + command + ": " + what + " must be a whole number from " +
           std::to_string(min) + " to " + std::to_string(max) + ", not '" + given + "'";
}

const Subcommand* FindSubcommand(const std::string& name) {
    for (const Subcommand& s : kSubcommands)
        if (name == s.name)
            return &s;
    return nullptr;
}

const ValueRange* FindRange(MouseAction action) {
    for (const ValueRange& r : kValueRanges)
        if (r.action == action)
            return &r;
    return nullptr;
}

// The words after the subcommand, checked against what it takes.
bool ParseValues(const Subcommand& sub, const std::vector<std::string>& words, MouseRequest& r,
                 std::string& error) {
    size_t at = 0;
    if (sub.action == MouseAction::Dpi || sub.action == MouseAction::Stage ||
        sub.action == MouseAction::ActiveStage) {
        if (!ParseInRange(words[at], 0, kMouseStageMax, r.stage)) {
            error = RangeError(r.name, "STAGE", 0, kMouseStageMax, words[at]);
            return false;
        }
        ++at;
    }
    switch (sub.action) {
        case MouseAction::Dpi:
            if (!ParseInRange(words[at], kDpiTextMin, kDpiTextMax, r.value)) {
                error = RangeError(r.name, "the DPI value", kDpiTextMin, kDpiTextMax, words[at]);
                return false;
            }
            return true;
        case MouseAction::Stage:
            if (words[at] != "on" && words[at] != "off") {
                error = "mouse stage: say on or off, not '" + words[at] + "'";
                return false;
            }
            r.on = words[at] == "on";
            return true;
        case MouseAction::Sleep: {
            bool known = false;
            for (const auto& s : kSleepNames) {
                if (words[at] == s.name) {
                    r.sleep = s.which;
                    known = true;
                }
            }
            if (!known) {
                error = "mouse sleep: say which sleep time: ble1, ble2, dev1 or dev2, not '" +
                        words[at] + "'";
                return false;
            }
            ++at;
            break;
        }
        default:
            break;
    }
    if (const ValueRange* range = FindRange(sub.action)) {
        if (!ParseInRange(words[at], 0, range->max, r.value)) {
            error = RangeError(r.name, range->what, 0, range->max, words[at]);
            return false;
        }
    }
    return true;
}

// BUTTON FUNCTION…
bool ParseAssign(const std::vector<std::string>& words, MouseRequest& r, std::string& error) {
    if (words.size() < 2) {
        error = "mouse assign: usage: mouse assign BUTTON FUNCTION… [--json]";
        return false;
    }
    const int lastButton = static_cast<int>(kMouseButtons) - 1;
    if (!ParseInRange(words[0], 0, lastButton, r.button)) {
        error = RangeError(r.name, "BUTTON", 0, lastButton, words[0]);
        return false;
    }
    std::string problem;
    if (!ParseButtonFunction(std::span(words).subspan(1), r.function, problem)) {
        error = "mouse assign: " + problem;
        return false;
    }
    return true;
}

size_t ArgumentCount(const Subcommand& sub) {
    size_t n = 0;
    for (const char* c = sub.usage; *c; ++c)
        if (*c == ' ')
            ++n;
    return n;
}

}  // namespace

const char* MouseSleepName(MouseSleep which) {
    for (const auto& s : kSleepNames)
        if (s.which == which)
            return s.name;
    return "";
}

int ParseMouseRequest(int argc, char** argv, int first, MouseRequest& r, std::string& error) {
    std::vector<std::string> words = CommandWords(argc, argv, first, r.json);
    if (words.empty()) {
        error =
            "mouse: say what to do: show, dpi, stage, active-stage, rate, liftoff, calibration, "
            "ripple, debounce, sleep, defaults, buttons or assign";
        return 2;
    }
    r.name = words.front();
    const Subcommand* sub = FindSubcommand(r.name);
    if (!sub) {
        error = "mouse: unknown subcommand '" + r.name + "' (see r730ctl --help)";
        return 2;
    }
    r.action = sub->action;
    words.erase(words.begin());
    if (r.action == MouseAction::Assign)
        return ParseAssign(words, r, error) ? 0 : 2;
    if (words.size() != ArgumentCount(*sub)) {
        error = "mouse " + r.name + ": usage: mouse " + r.name + sub->usage + " [--json]";
        return 2;
    }
    return ParseValues(*sub, words, r, error) ? 0 : 2;
}
