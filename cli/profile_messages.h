// English texts of the message ids the profile operations lead to, for the
// command-line tool (the application takes them from its language files).
#pragma once

#include <string>

// The text of a message id; the id itself when it has no text here.
std::string ProfileMessageText(const std::string& id);
