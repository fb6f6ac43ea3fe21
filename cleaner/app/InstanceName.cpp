#include "app/InstanceName.h"

#include <cstdint>
#include <cstdio>

std::string InstanceMutexName(const std::string& executablePath) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a, 64 bit
    for (unsigned char c : executablePath) {
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c == '/') c = '\\';
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\Tracelorn.Instance.%016llx",
                  static_cast<unsigned long long>(hash));
    return name;
}
