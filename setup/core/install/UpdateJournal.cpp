#include "install/UpdateJournal.h"

#include "archive/EntryName.h"
#include "config/Text.h"
#include "install/PathRules.h"

namespace setup {

void EncodeJournal(const UpdateJournal& journal, QV::TreeNode& tree) {
    tree.Clear();
    tree.SetName(UpdateJournal::kRootName);
    auto ready = std::make_unique<QV::TreeProperty>("ready", QV::TypeBool);
    ready->SetInteger(QV::TypeBool, journal.ready ? 1 : 0);
    tree.SetProperty(std::move(ready));
    QV::TreeNode* names = tree.Child("files", true);
    for (size_t i = 0; i < journal.names.size(); ++i) {
        names->SetString(U16ToAnsi(DecimalText((long long)i)), journal.names[i]);
    }
}

bool DecodeJournal(const QV::TreeNode& tree, UpdateJournal& journal) {
    journal = UpdateJournal{};
    if (tree.Name() != UpdateJournal::kRootName) return false;
    journal.ready = tree.GetBool("ready", 0) != 0;
    const QV::TreeNode* names = tree.Child(std::string("files"));
    if (!names) return false;
    for (size_t i = 0; i < names->Properties().size(); ++i) {
        const QV::TreeProperty* name = names->Property(U16ToAnsi(DecimalText((long long)i)));
        if (!name || name->Type() != QV::TypeWideString || !IsContainedRelativePath(name->Wide())) {
            journal = UpdateJournal{};
            return false;
        }
        journal.names.push_back(name->Wide());
    }
    return true;
}

std::vector<std::u16string> ReplacementOrder(const std::vector<std::u16string>& names, const std::u16string& exe) {
    std::vector<std::u16string> order, last;
    for (const std::u16string& name : names) (SamePath(name, exe) && !exe.empty() ? last : order).push_back(name);
    order.insert(order.end(), last.begin(), last.end());
    return order;
}

}  // namespace setup
