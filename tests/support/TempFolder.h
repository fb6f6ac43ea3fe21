#pragma once
// Test fixtures for the Windows tests: a private temporary folder that is removed with everything
// in it, and helpers to make and read files there.
#include <windows.h>

#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, with a trailing backslash.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + relative; }

    // Creates a file (and its folders) of `size` bytes of a fixed pattern, or with `content`.
    std::string MakeFile(const std::string& relative, size_t size) const;
    std::string MakeFileWith(const std::string& relative, const std::string& content) const;
    std::string MakeFolder(const std::string& relative) const;

private:
    std::string path_;
};

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
// Names directly in a folder (files and folders), without "." and "..".
std::vector<std::string> ListFolder(const std::string& folder);
void RemoveTree(const std::string& folder);
