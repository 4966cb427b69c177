#include "tests/cli/running_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    const std::string errPath = folder_.File("err");
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    outFd_ = fds[0];
    out_ = LineReader(outFd_);
    if (failed != 0) throw std::runtime_error("cannot start " + program);
    pid_ = pid;
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(outFd_);
}

bool RunningProgram::Signal(int signal) { return pid_ > 0 && kill(pid_, signal) == 0; }

ProgramRun RunningProgram::Wait() {
    ProgramRun run;
    run.out = out_.Rest();
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    pid_ = -1;
    run.err = ReadWholeFile(folder_.File("err"));
    return run;
}
