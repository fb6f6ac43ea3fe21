#pragma once
// What the install-time extraction tells its caller (the install engine): status lines for the
// installing page, what it created (for the uninstall log) and what it could not create.
#include <string>

namespace setup {

class ExtractReport {
public:
    virtual ~ExtractReport() = default;
    // A status line; `step` advances the progress by one.
    virtual void Status(const std::u16string& text, bool step) = 0;
    virtual void LogFolder(const std::u16string& folder) = 0;
    virtual void LogFile(const std::u16string& file) = 0;
    // Something that should have been created was not (a member missing or damaged, a file or
    // folder that could not be written, a name refused).
    virtual void Failed(const std::u16string& what) = 0;
};

}  // namespace setup
