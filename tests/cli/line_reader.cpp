#include "tests/cli/line_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <utility>

std::optional<std::string> LineReader::Next(int timeoutMs) {
    using Time = std::chrono::steady_clock;
    const Time::time_point end = Time::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const size_t newline = pending_.find('\n'); newline != std::string::npos) {
            std::string line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Time::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char buffer[512];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;  // closed
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

std::vector<std::string> LineReader::Take(size_t count, int timeoutMs) {
    std::vector<std::string> lines;
    while (lines.size() < count) {
        std::optional<std::string> line = Next(timeoutMs);
        if (!line) break;
        lines.push_back(std::move(*line));
    }
    return lines;
}

std::string LineReader::Rest(int timeoutMs) {
    std::string rest;
    while (std::optional<std::string> line = Next(timeoutMs)) rest += *line + "\n";
    return rest + std::exchange(pending_, {});
}

OutputPipe::OutputPipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    readFd_ = fds[0];
    writer_ = fdopen(fds[1], "w");  // fully buffered: only flushed lines get through
    if (!writer_) throw std::runtime_error("fdopen failed");
    reader_ = LineReader(readFd_);
}

OutputPipe::~OutputPipe() {
    std::fclose(writer_);
    close(readFd_);
}

std::string WithoutPath(const std::string& line) { return line.substr(0, line.rfind(' ')); }

std::vector<std::string> WithoutPaths(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) out.push_back(WithoutPath(line));
    return out;
}
