#include "win/InstallFolder.h"

#include "win/WideText.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace setup {

std::u16string ProposedInstallFolder(const InstallSettings& settings, const MacroTable& macros) {
    const auto& location = settings.Location();
    if (!location) return std::u16string();
    const std::wstring path = ToWide(macros.Expand(location->path));
    wchar_t folder[MAX_PATH] = L"";
    if (location->csid != 0) {
        wchar_t base[MAX_PATH];
        if (FAILED(::SHGetFolderPathW(nullptr, int(location->csid), nullptr, SHGFP_TYPE_CURRENT, base))) {
            return std::u16string();
        }
        if (!::PathCombineW(folder, base, path.c_str())) return std::u16string();
    } else {
        if (path.size() >= MAX_PATH) return std::u16string();
        lstrcpynW(folder, path.c_str(), MAX_PATH);
    }
    if (!::PathAppendW(folder, ToWide(settings.DefaultFolder()).c_str())) return std::u16string();
    return FromWide(folder);
}

std::u16string ApplyInstallFolder(const InstallSettings& settings, LanguageSet& languages) {
    const std::u16string folder = ProposedInstallFolder(settings, languages.Macros());
    if (!folder.empty()) languages.SetMacro(u"#InstallDir#", folder);
    return folder;
}

}  // namespace setup
