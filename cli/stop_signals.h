// SIGINT and SIGTERM, while an object of this class lives, end a wait instead
// of the process: their handler writes a byte to a pipe that Wait polls (the
// signal may arrive on any thread). One object at a time; the former handlers
// come back when it goes.
#pragma once

#include <signal.h>

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the pipe or the handlers could not be set up.
    bool Ok() const { return ok_; }
    // Waits up to timeoutMs (-1: without limit) for a signal; true when one
    // came (also one that came before the wait).
    bool Wait(int timeoutMs);

private:
    int fds_[2] = {-1, -1};
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    bool ok_ = false;
};
