#include "tests/profiles/profile_test_support.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "link/debug_trace.h"
#include "profiles/json_file_util.h"

ScratchFolder::ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "r730-profiles-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    if (chmod(pattern.c_str(), 0755) != 0)
        throw std::runtime_error("chmod failed");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    // Folders a test made read-only must become writable again to be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored))
            chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Json::Value Parse(const std::string& text) {
    Json::Value value = CJsonFileUtil::ParseJson(text);
    EXPECT_FALSE(value.isNull()) << "does not parse: " << text;
    return value;
}

Json::Value ParseFile(const std::string& path) {
    return Parse(ReadBytes(path));
}

TraceCapture::TraceCapture() {
    SetDebugTraceSink([this](std::string_view text) { lines_.emplace_back(text); });
}

TraceCapture::~TraceCapture() {
    SetDebugTraceSink({});
}

bool TraceCapture::Contains(const std::string& text) const {
    return std::find(lines_.begin(), lines_.end(), text) != lines_.end();
}

int RunInChild(const std::function<int()>& body, bool unprivileged) {
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (unprivileged && geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(250);
        }
        _exit(body() & 0xFF);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
