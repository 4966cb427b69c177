#include "tests/vm/bridge_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <thread>

#include "link/hidraw_transport.h"

BridgeProcess::BridgeProcess(std::string program, std::vector<std::string> args)
    : program_(std::move(program)), args_(std::move(args)) {}

BridgeProcess::~BridgeProcess() { Stop(); }

bool BridgeProcess::Start() {
    if (pid_ > 0) return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program_.c_str()));
    for (const std::string& a : args_) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        execv(program_.c_str(), argv.data());
        _exit(127);
    }
    pid_ = pid;
    return true;
}

bool BridgeProcess::Stop() {
    if (pid_ <= 0) return false;
    const pid_t pid = pid_;
    pid_ = -1;
    if (kill(pid, SIGTERM) != 0) return false;
    int status = 0;
    pid_t r = 0;
    do {
        r = waitpid(pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    return r == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool WaitForHidrawNodes(uint16_t vendorId, size_t count, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::vector<HidNodeInfo> nodes;
        size_t found = 0;
        if (ListHidrawNodes(nodes))
            for (const HidNodeInfo& n : nodes) found += n.vendorId == vendorId ? 1 : 0;
        if (found == count) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
