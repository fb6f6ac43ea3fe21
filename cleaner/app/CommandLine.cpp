#include "app/CommandLine.h"

bool IsWindowsStartSwitch(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return false;
    std::string text = arguments[0];
    if (!text.empty() && (text[0] == '-' || text[0] == '/')) text.erase(0, 1);
    if (text.size() != 2) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(text[0]) == 'w' && lower(text[1]) == 's';
}
