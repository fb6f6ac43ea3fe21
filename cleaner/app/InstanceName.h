#pragma once
#include <string>

// The name of the mutex that keeps a second copy from the same executable path out, next to the
// process count: the path folded to upper case (paths compare without regard to case) and hashed,
// since a kernel object name may not hold backslashes.
[[nodiscard]] std::string InstanceMutexName(const std::string& executablePath);
