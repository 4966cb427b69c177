#include "tests/shell/shell_test_support.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
// Serves events for up to 10 ms, sleeping while there are none.
void ServeBriefly() {
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
}
}  // namespace

std::string UseTemporaryUserFolders() {
    char folder[] = "/tmp/r730-shell-test-XXXXXX";
    if (!mkdtemp(folder)) return {};
    const std::string base = folder;
    for (const char* sub : {"/data", "/config", "/run"}) mkdir((base + sub).c_str(), 0700);
    setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/run").c_str(), 1);
    return base;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        ServeBriefly();
    }
    return true;
}

void Pump(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) ServeBriefly();
}
