#include "profiles/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/debug_trace.h"

namespace {

int LastError() {
    return errno != 0 ? errno : EIO;
}

void TraceFailure(const char* step, const std::string& path, int error) {
    if (!DebugTraceEnabled())
        return;
    DebugTrace("WriteFile " + std::string(step) + " failed (" + std::to_string(error) + " " +
               std::strerror(error) + "): " + path);
}

int CloseChecked(int fd) {
    if (close(fd) != 0 && errno != EINTR)
        return LastError();
    return 0;
}

// The umask of the process, read without changing it (changing it would race
// with other threads creating files).
mode_t CurrentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (!status)
        return 022;
    mode_t mask = 022;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = static_cast<mode_t>(value & 0777);
            break;
        }
    }
    std::fclose(status);  // a read-only stream: nothing can be lost on closing
    return mask;
}

// The file a write to path must replace: the target of a symbolic link, else
// path itself.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;  // dangling link: replace the link itself
    std::string target = resolved;
    std::free(resolved);
    return target;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// The file name, shortened so that the temporary name stays within NAME_MAX.
std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 200)
        name.resize(200);
    return name;
}

int WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        if (n == 0)
            return EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// Syncs the folder so that the rename survives a crash. A failure here does
// not undo the write, which is already complete; it is traced only.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        TraceFailure("open folder", folder, LastError());
        return;
    }
    if (fsync(fd) != 0 && errno != EINVAL)
        TraceFailure("fsync folder", folder, LastError());
    const int closeError = CloseChecked(fd);
    if (closeError != 0)
        TraceFailure("close folder", folder, closeError);
}

// Writes, syncs and closes the temporary file; fd is closed in every case.
int FillTemporary(int fd, const std::string& text, mode_t mode, const std::string& tempPath) {
    int error = 0;
    const char* step = "";
    if (fchmod(fd, mode) != 0) {
        error = LastError();
        step = "fchmod";
    } else if ((error = WriteAll(fd, text)) != 0) {
        step = "write";
    } else if (fsync(fd) != 0) {
        error = LastError();
        step = "fsync";
    }
    const int closeError = CloseChecked(fd);
    if (error == 0 && closeError != 0) {
        error = closeError;
        step = "close";
    }
    if (error != 0)
        TraceFailure(step, tempPath, error);
    return error;
}

}  // namespace

int ReadWholeFile(const std::string& path, std::string& text) {
    text.clear();
    // O_NONBLOCK keeps a FIFO from blocking the open; such files are refused below.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return LastError();
    struct stat st {};
    int error = 0;
    if (fstat(fd, &st) != 0) {
        error = LastError();
    } else if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    } else if (static_cast<unsigned long long>(st.st_size) > kMaxDataFileSize) {
        error = EFBIG;
    } else {
        const auto size = static_cast<size_t>(st.st_size);
        text.resize(size);
        size_t done = 0;
        while (done < size) {
            const ssize_t n = read(fd, text.data() + done, size - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = LastError();
                break;
            }
            if (n == 0) {
                error = EIO;  // shorter than its length
                break;
            }
            done += static_cast<size_t>(n);
        }
    }
    const int closeError = CloseChecked(fd);
    if (error == 0)
        error = closeError;
    if (error != 0)
        text.clear();
    return error;
}

int WriteFileAtomically(const std::string& path, const std::string& text) {
    if (path.empty()) {
        TraceFailure("path", path, EINVAL);
        return EINVAL;
    }
    const std::string target = ResolveTarget(path);
    const std::string folder = FolderOf(target);

    mode_t mode = 0644 & ~CurrentUmask();
    struct stat old {};
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;

    std::string tempPath = folder + "/." + NameOf(target) + ".XXXXXX";
    const int fd = mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = LastError();
        TraceFailure("mkstemp", tempPath, error);
        return error;
    }
    int error = FillTemporary(fd, text, mode, tempPath);
    if (error == 0 && rename(tempPath.c_str(), target.c_str()) != 0) {
        error = LastError();
        TraceFailure("rename", target, error);
    }
    if (error != 0) {
        if (unlink(tempPath.c_str()) != 0)
            TraceFailure("unlink", tempPath, LastError());
        return error;
    }
    SyncFolder(folder);
    return 0;
}

bool IsPlainFileName(std::string_view name, size_t maxBytes) {
    if (name.empty() || name.size() > maxBytes || name == "." || name == "..") return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) return false;
    }
    return true;
}
