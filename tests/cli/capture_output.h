// Runs a command function of r730ctl in this process with its output and error
// streams captured.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

struct Captured {
    int code = -1;
    std::string out, err;
};

Captured CaptureOutput(const std::function<int(std::FILE* out, std::FILE* err)>& run);
