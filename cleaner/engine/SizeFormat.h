#pragma once
#include <cstdint>
#include <string>

// Disk space as the cleaner shows it: "%d,%02d KB" below 1 MiB, MB below 1 GiB, GB above; the
// hundredths are cut, never rounded, and the separator is a comma whatever the locale. Returns its
// own text: the worker and the window thread format sizes at the same time.
std::string FormatSize(uint64_t bytes);

// A file or item count as plain unsigned decimal digits.
std::string CountText(uint32_t count);
