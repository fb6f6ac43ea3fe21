#pragma once
// A whole file read at once, for the small files the program reads in full (a browser's Local
// State, profiles.ini and Bookmarks, an ini to import): opened sharing everything, so a program
// that holds the file open does not stop the read, and refused above a size limit.
#include <windows.h>

#include <cstddef>
#include <string>

enum class WholeFileRead { Read, Missing, TooLarge, Unreadable };

// The bytes of path (UTF-8, long paths allowed) into bytes; bytes is empty unless Read.
[[nodiscard]] WholeFileRead ReadWholeFile(const std::string& path, size_t limit, std::string& bytes);
// The same from a file opened for reading (for example inside a folder handle), from its start.
[[nodiscard]] WholeFileRead ReadWholeFile(HANDLE file, size_t limit, std::string& bytes);
