#pragma once
// What the install-time extraction tells its caller (the install engine): status lines for the
// installing page and what it created, for the uninstall log.
#include <string>

namespace setup {

class ExtractReport {
public:
    virtual ~ExtractReport() = default;
    // A status line; `step` advances the progress by one.
    virtual void Status(const std::u16string& text, bool step) = 0;
    virtual void LogFolder(const std::u16string& folder) = 0;
    virtual void LogFile(const std::u16string& file) = 0;
};

}  // namespace setup
