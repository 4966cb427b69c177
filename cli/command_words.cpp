#include "cli/command_words.h"

#include <cstring>

std::vector<std::string> CommandWords(int argc, char** argv, int first, bool& json) {
    std::vector<std::string> words;
    for (int i = first; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else {
            words.emplace_back(argv[i]);
        }
    }
    return words;
}
