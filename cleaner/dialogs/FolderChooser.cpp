#include "dialogs/FolderChooser.h"

#include "platform/Handles.h"
#include "platform/Text.h"

#include <shlobj.h>

std::string ChooseFolder(HWND owner, const char* title) {
    const std::wstring caption = WideFromUtf8(title ? title : "");
    wchar_t name[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = name;
    info.lpszTitle = caption.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const CoTaskMem list(::SHBrowseForFolderW(&info));
    if (!list) return {};
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(list.Get()), path)) return {};
    return Utf8FromWide(TrimNul(path));
}
