// Helpers for the profile tests: temporary folders, raw file access, captured
// debug texts and running a piece of code in a child process.
#pragma once

#include <json/json.h>

#include <functional>
#include <string>
#include <vector>

// A fresh folder (mode 0755) under the system's temporary folder, removed with
// its contents.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> Names() const;  // sorted

  private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// Parses a text the test wrote; fails the test when it does not parse.
Json::Value Parse(const std::string& text);
Json::Value ParseFile(const std::string& path);

// Collects the debug texts while it lives.
class TraceCapture {
  public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;
    const std::vector<std::string>& Lines() const { return lines_; }
    bool Contains(const std::string& text) const;

  private:
    std::vector<std::string> lines_;
};

// Runs body in a forked child and returns its result (the child's exit code),
// or -1 when the child did not exit normally. With unprivileged set, a child
// of root first becomes user and group "nobody", so that permissions apply.
int RunInChild(const std::function<int()>& body, bool unprivileged = false);
