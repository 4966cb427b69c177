#include "cli/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

namespace {

// Read by the handler on whichever thread the signal lands.
std::atomic<int> gWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    const int fd = gWriteFd.load();
    if (fd >= 0) (void)!write(fd, &byte, 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals() {
    if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    gWriteFd = fds_[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ok_ = sigaction(SIGINT, &action, &oldInt_) == 0 && sigaction(SIGTERM, &action, &oldTerm_) == 0;
}

StopSignals::~StopSignals() {
    if (fds_[0] < 0) return;
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    gWriteFd = -1;
    close(fds_[0]);
    close(fds_[1]);
}

bool StopSignals::Wait(int timeoutMs) {
    using Time = std::chrono::steady_clock;
    const Time::time_point end = Time::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Time::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd p{fds_[0], POLLIN, 0};
        const int n = poll(&p, 1, wait);
        if (n > 0) return true;  // the byte stays: later waits end at once too
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}
