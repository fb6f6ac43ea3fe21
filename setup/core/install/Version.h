#pragma once
// Dot-separated product versions ("2.3", "2.3.0.1").
#include <string>

namespace setup {

// Up to four parts, each read as a decimal integer (text that is no number counts as 0, missing
// parts as 0). The first position i (1-based) whose parts differ gives +i when a's part is larger
// and -i when b's is; equal versions give 0.
int CompareVersions(const std::u16string& a, const std::u16string& b);

}  // namespace setup
