#pragma once
#include <string>

// Writes a whole file so that a crash, a full disk or a failed write never leaves a half-written
// file behind: the bytes go to a temporary file beside the target, which then replaces the target
// in one move. On failure the previous file is left exactly as it was.
[[nodiscard]] bool ReplaceFileContents(const std::string& path, const void* data, size_t size);

inline bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    return ReplaceFileContents(path, bytes.data(), bytes.size());
}
