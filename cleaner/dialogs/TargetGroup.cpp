#include "dialogs/TargetGroup.h"

#include "targets/TargetCatalog.h"

void TargetGroup::Load(const TargetCatalog& catalog) {
    const int start = catalog.CategoryStart(category);
    working.assign(static_cast<size_t>(catalog.CategoryCount(category)), false);
    for (size_t i = 0; i < working.size(); ++i) working[i] = catalog.TargetAt(start + i).Selected();
}

void TargetGroup::Apply(TargetCatalog& catalog) const {
    const int start = catalog.CategoryStart(category);
    const size_t count = static_cast<size_t>(catalog.CategoryCount(category));
    for (size_t i = 0; i < working.size() && i < count; ++i) catalog.TargetAt(start + i).SetSelected(working[i]);
}
