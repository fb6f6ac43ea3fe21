#include "schedule/UpdateAddress.h"

#include <cctype>

namespace update {

std::optional<std::string> NormaliseBaseAddress(const std::string& address) {
    auto hasScheme = [&](const std::string& scheme) {
        if (address.size() <= scheme.size()) return false;
        for (size_t i = 0; i < scheme.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(address[i])) != scheme[i]) return false;
        return true;
    };
    if (!hasScheme("http://") && !hasScheme("https://")) return std::nullopt;
    for (unsigned char c : address)
        if (c <= 0x20 || c >= 0x7F) return std::nullopt;
    std::string base = address;
    if (base.back() != '/') base += '/';
    return base;
}

}  // namespace update
