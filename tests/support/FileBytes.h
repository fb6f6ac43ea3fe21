#pragma once
// A whole file's bytes, empty when it cannot be read: for the native tests, which have no
// Windows calls (the Windows tests use ReadFileBytes of TempFolder.h).
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
