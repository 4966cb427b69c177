#include "cli/profile_messages.h"

#include <cstring>

namespace {

struct MessageText {
    const char* id;
    const char* text;
};

constexpr MessageText kTexts[] = {
    {"message_text_5", "This name is already taken."},
    {"message_text_25", "The name must not be blank."},
    {"message_text_32", "A device keeps at most 50 profiles."},
    {"message_text_34",
     "The name is too long: at most 16 characters, a character outside ASCII counting as two."},
    {"message_text_35", "The name must not contain a space or any of < > : \" / \\ | ? # % & * ="},
};

}  // namespace

std::string ProfileMessageText(const std::string& id) {
    for (const MessageText& m : kTexts)
        if (id == m.id)
            return m.text;
    return id;
}
