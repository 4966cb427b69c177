// Runs a program of the build (through the shell, arguments quoted) and
// collects its exit code and output, for tests of the command-line programs.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args);

// A fresh folder under the system's temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> Names() const;  // sorted

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);
