#pragma once

#include <cstdio>

// r730ctl monitor [--for SECONDS]
// Prints the supported interfaces as they arrive and leave, and the connection
// switches of a mouse or keyboard (see DeviceMonitor), until SIGINT or SIGTERM
// or, with --for, until that many seconds have passed. Returns the exit code.
int RunMonitorCommand(int argc, char** argv, int first, std::FILE* out, std::FILE* err);
