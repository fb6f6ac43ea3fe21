#pragma once
#include <cstddef>
#include <string>

// Copies text into a fixed character field of the shell's notification record, cutting it so that
// the terminating zero always fits (a balloon text has 256 characters, a title 64, a tip 128).
void CopyToField(char* field, size_t fieldSize, const std::string& text);
