#pragma once
// Shell links through IShellLinkW and IPersistFile. COM must be initialised on the calling thread.
#include <optional>
#include <string>

namespace setup {

// Link at `link` to the absolute form of `target`, with an optional description. False when the
// target cannot be made absolute or the link cannot be saved.
[[nodiscard]] bool CreateShortcut(const std::u16string& target, const std::u16string& description,
                                  const std::u16string& link);

// The target a link file points at; nothing when it cannot be loaded.
std::optional<std::u16string> ShortcutTarget(const std::u16string& link);

}  // namespace setup
