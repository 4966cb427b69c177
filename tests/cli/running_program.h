// A program of the build running in the background, for tests that talk to it
// while it runs (read its lines as they come, send it signals).
#pragma once

#include <string>
#include <vector>

#include "tests/cli/line_reader.h"
#include "tests/cli/run_program.h"

// Its standard output is a pipe read line by line; its standard error goes to a file.
class RunningProgram {
public:
    RunningProgram(const std::string& program, const std::vector<std::string>& args);
    ~RunningProgram();  // kills the program when it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    LineReader& Out() { return out_; }
    bool Signal(int signal);
    // Waits for the program to end: its exit code (-1 when a signal ended it),
    // the output not read yet, and its standard error.
    ProgramRun Wait();

private:
    TempFolder folder_;
    int pid_ = -1;
    int outFd_ = -1;
    LineReader out_{-1};
};
