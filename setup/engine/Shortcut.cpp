#include "engine/Shortcut.h"

#include "install/PathRules.h"
#include "win/ComPtr.h"
#include "win/Handles.h"
#include "win/WideText.h"

#include <shlobj.h>
#include <shobjidl.h>

namespace setup {

bool CreateShortcut(const std::u16string& target, const std::u16string& description, const std::u16string& link) {
    wchar_t full[kMaxPath];
    const DWORD n = ::GetFullPathNameW(ToWide(target).c_str(), kMaxPath, full, nullptr);
    if (n == 0 || n >= kMaxPath) return false;
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shellLink.ReceiveVoid()))) {
        return false;
    }
    if (FAILED(shellLink->SetPath(full))) return false;
    if (!description.empty() && FAILED(shellLink->SetDescription(ToWide(description).c_str()))) return false;
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.ReceiveVoid()))) return false;
    return SUCCEEDED(file->Save(ToWide(link).c_str(), TRUE));
}

std::optional<std::u16string> ShortcutTarget(const std::u16string& link) {
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shellLink.ReceiveVoid()))) {
        return std::nullopt;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.ReceiveVoid()))) return std::nullopt;
    if (FAILED(file->Load(ToWide(link).c_str(), STGM_READ))) return std::nullopt;
    wchar_t path[kMaxPath] = L"";
    if (FAILED(shellLink->GetPath(path, kMaxPath, nullptr, 0))) return std::nullopt;
    return FromWide(path);
}

}  // namespace setup
