#include "engine/Components.h"

#include "archive/EntryName.h"
#include "config/Text.h"
#include "engine/Shortcut.h"
#include "install/PathRules.h"
#include "win/WideText.h"

#include <windows.h>
#include <shlobj.h>

namespace setup {

namespace {

void Failed(InstallContext& context, const std::u16string& what) {
    ++context.failures;
    context.progress.Status(context.languages.Text("tFailed") + u" " + what, false);
}

bool FolderExists(const std::u16string& folder) {
    const DWORD attributes = ::GetFileAttributesW(ToWide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::u16string CComponent::Description(const LanguageSet& languages) const {
    const std::u16string description = languages.Description(id_);
    return description.empty() ? Caption(languages) : description;
}

void CreateShortcutFromNode(InstallContext& context, const QV::TreeNode& node, const std::u16string& folder) {
    const LanguageSet& l = context.languages;
    const auto link = JoinPath(folder, l.Expand(node.GetString("n", u"")));
    const auto target = JoinPath(context.installFolder, l.Expand(node.GetString("f", u"")));
    const std::u16string name = l.Expand(node.GetString("n", u""));
    if (!link || !target || !IsContainedRelativePath(name) || !IsContainedRelativePath(l.Expand(node.GetString("f", u"")))) {
        Failed(context, folder + u"\\" + l.Expand(node.GetString("n", u"")));
        return;
    }
    // A link of that name that is not ours (the log lists those of an earlier installation) stays.
    if (::GetFileAttributesW(ToWide(*link).c_str()) != INVALID_FILE_ATTRIBUTES && !context.log.HasFile(*link)) {
        Failed(context, *link);
        return;
    }
    if (!CreateShortcut(*target, l.Expand(node.GetString("d", u"")), *link)) {
        Failed(context, *link);
        return;
    }
    context.log.AddFile(*link);
}

void CDesctopShortcutComponent::Install(InstallContext& context) {
    const QV::TreeNode* node = context.settings.Tree().Child("cds");
    if (!node) return;
    if (desktop_.empty()) {
        Failed(context, context.languages.Text("CDS"));
        return;
    }
    CreateShortcutFromNode(context, *node, desktop_);
}

void CProgramsComponent::Install(InstallContext& context) {
    const QV::TreeNode* node = context.settings.Tree().Child("cp");
    if (!node) return;
    if (programs_.empty()) {
        Failed(context, context.languages.Text("CP"));
        return;
    }
    InstallNode(context, *node, programs_);
}

void CProgramsComponent::InstallNode(InstallContext& context, const QV::TreeNode& node, const std::u16string& folder) {
    if (!SamePath(folder, programs_)) {
        const bool existed = FolderExists(folder);
        ::SHCreateDirectoryExW(nullptr, ToWide(folder).c_str(), nullptr);
        if (!FolderExists(folder)) {
            Failed(context, folder);
            return;
        }
        // A folder the user already had is not ours to remove.
        if (!existed) context.log.AddFolder(folder);
    }
    for (int i = 0;; ++i) {
        const QV::TreeNode* shortcut = node.Child("s" + std::to_string(i));
        if (!shortcut) break;
        CreateShortcutFromNode(context, *shortcut, folder);
    }
    for (int j = 0;; ++j) {
        const QV::TreeNode* sub = node.Child("d" + std::to_string(j));
        if (!sub) break;
        const std::u16string name = context.languages.Expand(sub->GetString("n", u""));
        const auto path = JoinPath(folder, name);
        if (!IsContainedRelativePath(name) || !path) {
            Failed(context, folder + u"\\" + name);
            continue;
        }
        InstallNode(context, *sub, *path);
    }
}

}  // namespace setup
