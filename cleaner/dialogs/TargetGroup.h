#pragma once
// One group of a check-box page: a category shown in a pop-up behind a button, with the working
// copy of its targets' selections. Nothing reaches the catalogue before Apply.
#include <string>
#include <vector>

class TargetCatalog;

struct TargetGroup {
    int category = 0;
    std::string caption;
    int icon = 0;
    std::string helpTopic;
    std::vector<bool> working;  // one per target of the category

    // Copies the category's selections into the working copy.
    void Load(const TargetCatalog& catalog);
    // Writes the working copy into the category's selections.
    void Apply(TargetCatalog& catalog) const;
};
