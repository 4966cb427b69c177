#include "profiles/data_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "link/debug_trace.h"

#ifndef R730_SOURCE_DATA_DIR
#define R730_SOURCE_DATA_DIR "data"
#endif

namespace {

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return ".";
}

std::string DataHome() {
    // Relative values are invalid and ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return xdg;
    return HomeFolder() + "/.local/share";
}

// The folder of the running program, with its trailing "/"; empty when unknown.
std::string ExeFolder() {
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size())
        return {};
    std::string path(buffer.data(), static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

int EnsureFolder(const std::string& path, int* result) {
    const int error = MakeFolders(path);
    if (error != 0)
        DebugTrace("cannot create folder " + path + ": " + std::to_string(error));
    if (result)
        *result = error;
    return error;
}

}  // namespace

int MakeFolders(const std::string& path) {
    if (path.empty())
        return EINVAL;
    size_t next = 0;
    while (next != std::string::npos) {
        next = path.find('/', next + 1);
        const std::string part = path.substr(0, next);
        if (part.empty() || part.back() == '/')
            continue;  // "//" in the path
        if (mkdir(part.c_str(), 0700) == 0)
            continue;
        if (errno != EEXIST)
            return errno;
        if (!IsFolder(part))
            return ENOTDIR;
    }
    return 0;
}

std::string UserDataFolder(int* result) {
    const std::string folder = DataHome() + "/" + kApplicationTitle + "/";
    EnsureFolder(folder, result);
    return folder;
}

std::string DeviceFolder(const std::string& name, int* result) {
    const std::string folder = DataHome() + "/" + kApplicationTitle + "/" + name + "/";
    EnsureFolder(folder, result);
    return folder;
}

std::string ResolveProgramDataFolder(const char* dataDirVariable, const std::string& exeFolder,
                                     const std::string& sourceDataFolder) {
    if (dataDirVariable && *dataDirVariable)
        return WithSlash(dataDirVariable);
    if (!exeFolder.empty()) {
        const std::string installed = WithSlash(exeFolder) + "../share/r730cfg/";
        if (IsFolder(installed + "DefaultData"))
            return installed;
    }
    return WithSlash(sourceDataFolder);
}

std::string ProgramDataFolder() {
    return ResolveProgramDataFolder(std::getenv("R730_DATA_DIR"), ExeFolder(),
                                    R730_SOURCE_DATA_DIR);
}

std::string DefaultDataFolder() {
    return ProgramDataFolder() + "DefaultData/";
}
