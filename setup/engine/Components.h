#pragma once
// The installation components: the product files (extracted by the worker itself), the desktop
// shortcut and the programs-menu tree. Each one's identifier is also the language item of its
// caption and description.
#include "config/InstallSettings.h"
#include "config/LanguageSet.h"
#include "engine/Progress.h"
#include "install/UninstallLog.h"

#include <memory>
#include <string>
#include <vector>

namespace setup {

// What an install action works with; `failures` counts what could not be created.
struct InstallContext {
    const InstallSettings& settings;
    const LanguageSet& languages;
    const std::u16string& installFolder;
    UninstallLog& log;
    Progress& progress;
    int failures = 0;
};

class CComponent {
public:
    CComponent(std::string id, bool fixed, bool listed, uint32_t size)
        : id_(std::move(id)), fixed_(fixed), listed_(listed), size_(size) {}
    virtual ~CComponent() = default;
    virtual void Install(InstallContext&) {}

    const std::string& Id() const { return id_; }
    bool Fixed() const { return fixed_; }
    bool Listed() const { return listed_; }
    bool Selected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = fixed_ || selected; }
    uint32_t Size() const { return size_; }
    std::u16string Caption(const LanguageSet& languages) const { return languages.Text(id_); }
    std::u16string Description(const LanguageSet& languages) const;

private:
    std::string id_;
    bool fixed_;
    bool listed_;
    bool selected_ = true;
    uint32_t size_;
};

class CMainComponent : public CComponent {
public:
    explicit CMainComponent(uint32_t size) : CComponent("CM", true, true, size) {}
};

class CDesctopShortcutComponent : public CComponent {
public:
    // `desktop` is the Desktop folder the settings' "useronly" chooses.
    explicit CDesctopShortcutComponent(std::u16string desktop)
        : CComponent("CDS", false, true, 0), desktop_(std::move(desktop)) {}
    void Install(InstallContext& context) override;

private:
    std::u16string desktop_;
};

class CProgramsComponent : public CComponent {
public:
    explicit CProgramsComponent(std::u16string programs)
        : CComponent("CP", false, false, 0), programs_(std::move(programs)) {}
    void Install(InstallContext& context) override;

private:
    void InstallNode(InstallContext& context, const QV::TreeNode& node, const std::u16string& folder);
    std::u16string programs_;
};

// A shortcut from the node's "n" (link name in `folder`), "f" (target in the installation folder)
// and "d" (description), all macro-expanded; logged only when it was saved.
void CreateShortcutFromNode(InstallContext& context, const QV::TreeNode& node, const std::u16string& folder);

}  // namespace setup
