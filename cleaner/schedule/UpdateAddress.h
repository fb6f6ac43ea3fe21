#pragma once
// Where the update lists live. Platform-neutral.
#include <optional>
#include <string>

namespace update {

// The maker's update server.
constexpr const char* kDefaultBaseAddress = "https://www.quorvane.com/tracelorn/2/";

// An address a user or a test put in the settings: http or https only, given a final '/'; none
// for anything else (the default is used then).
[[nodiscard]] std::optional<std::string> NormaliseBaseAddress(const std::string& address);

}  // namespace update
