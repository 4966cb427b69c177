#include "cli/macro_context.h"

#include <cerrno>
#include <cstdlib>

int MacroContext::Usage(const char* usage) const {
    std::fprintf(err, "r730ctl: usage: %s macro %s\n", kind.c_str(), usage);
    return kMacroExitUsage;
}

int MacroContext::Refused(const std::string& why) const {
    std::fprintf(err, "r730ctl: %s: %s\n", Name().c_str(), why.c_str());
    return kMacroExitRefused;
}

void LoadMacroLibrary(const MacroContext& c, CMacroLibrary& library) {
    library.Load();
    if (library.RepairedIds() > 0)
        std::fprintf(c.err,
                     "r730ctl: %s: %zu macro id(s) in %s were no plain file name and were "
                     "replaced%s\n",
                     c.Name().c_str(), library.RepairedIds(), library.IndexPath().c_str(),
                     library.RepairWriteFailed() ? " (in memory only: the file could not be written)" : "");
}

bool ParseMacroIndex(const MacroContext& c, const CMacroLibrary& library, const std::string& word, int& index) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word.c_str(), &end, 10);
    const bool number = !word.empty() && *end == '\0' && errno == 0 && word[0] != '-' && word[0] != '+';
    if (number && static_cast<size_t>(value) < library.Count()) {
        index = static_cast<int>(value);
        return true;
    }
    if (library.Count() == 0)
        std::fprintf(c.err, "r730ctl: %s: the macro library is empty\n", c.Name().c_str());
    else
        std::fprintf(c.err, "r730ctl: %s: INDEX must be a macro of the library, 0 to %zu, not '%s'\n",
                     c.Name().c_str(), library.Count() - 1, word.c_str());
    return false;
}
