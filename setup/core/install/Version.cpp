#include "install/Version.h"

#include <array>
#include <cstdint>

namespace setup {

namespace {

constexpr size_t kParts = 4;

// Leading sign and digits, like the platform's own string-to-integer conversion; the rest of the
// part is ignored.
int32_t PartValue(const std::u16string& part) {
    size_t i = 0;
    bool negative = false;
    if (i < part.size() && (part[i] == u'-' || part[i] == u'+')) negative = part[i++] == u'-';
    int64_t value = 0;
    for (; i < part.size() && part[i] >= u'0' && part[i] <= u'9'; ++i) {
        value = value * 10 + (part[i] - u'0');
        if (value > INT32_MAX) value = INT32_MAX;
    }
    return int32_t(negative ? -value : value);
}

std::array<int32_t, kParts> Parts(const std::u16string& version) {
    std::array<int32_t, kParts> parts{};
    size_t count = 0;
    size_t start = 0;
    while (count < kParts && start <= version.size()) {
        size_t dot = version.find(u'.', start);
        if (dot == std::u16string::npos) dot = version.size();
        if (dot > start) parts[count++] = PartValue(version.substr(start, dot - start));
        start = dot + 1;
    }
    return parts;
}

}  // namespace

int CompareVersions(const std::u16string& a, const std::u16string& b) {
    const auto pa = Parts(a);
    const auto pb = Parts(b);
    for (size_t i = 0; i < kParts; ++i) {
        if (pa[i] > pb[i]) return int(i + 1);
        if (pa[i] < pb[i]) return -int(i + 1);
    }
    return 0;
}

}  // namespace setup
