// Whole-file reading and writing for the program's data files. Reads are
// bounded; writes go to a temporary file in the same folder that is synced and
// then renamed over the old file, so a crash, a full disk or a missing
// permission never leaves a half-written file behind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Files larger than this read as unreadable.
inline constexpr size_t kMaxDataFileSize = 16u * 1024u * 1024u;

// Reads the regular file at path whole into text. Returns 0 or the errno value
// of the failing step (EFBIG for a file larger than kMaxDataFileSize, EIO for a
// short read, EINVAL for something that is not a regular file); text is empty
// on failure.
int ReadWholeFile(const std::string& path, std::string& text);

// Replaces the file at path with text. The new file is created next to the old
// one (or its symbolic link's target), written, synced and renamed into place;
// it keeps the old file's permission bits, a new file gets 0644 less the umask.
// On failure the temporary file is removed, the old file is left as it was and
// the errno value of the failing step is returned (0: done).
int WriteFileAtomically(const std::string& path, const std::string& text);

// True when name can name a file directly inside a folder: not empty, at most
// maxBytes long, not "." or "..", and without a path separator or a control
// character. Identifiers read from the program's files are checked with it
// before they become part of a path.
bool IsPlainFileName(std::string_view name, size_t maxBytes);
