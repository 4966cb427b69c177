// Reads the lines a program or a thread writes into a pipe, as they come,
// each with a time limit (so a line that was never flushed shows as missing).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}
    // The next line without its newline; nothing when none came within timeoutMs
    // or the pipe was closed.
    std::optional<std::string> Next(int timeoutMs);
    // The next `count` lines (fewer when they stop coming).
    std::vector<std::string> Take(size_t count, int timeoutMs = 5000);
    // What is left until the writer closes the pipe (or timeoutMs passes).
    std::string Rest(int timeoutMs = 5000);

private:
    int fd_;
    std::string pending_;
};

// A pipe whose write end is a stdio stream, for code that prints to a FILE*.
class OutputPipe {
public:
    OutputPipe();
    ~OutputPipe();
    OutputPipe(const OutputPipe&) = delete;
    OutputPipe& operator=(const OutputPipe&) = delete;
    std::FILE* Writer() { return writer_; }
    LineReader& Lines() { return reader_; }

private:
    int readFd_ = -1;
    std::FILE* writer_ = nullptr;
    LineReader reader_{-1};
};

// A line with its last word (the path) taken off.
std::string WithoutPath(const std::string& line);
std::vector<std::string> WithoutPaths(const std::vector<std::string>& lines);
