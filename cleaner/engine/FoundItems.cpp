#include "engine/FoundItems.h"

namespace {
thread_local FoundItemsScope* t_scope = nullptr;
}

FoundItemsScope::FoundItemsScope(FoundItems* sink) : outer_(t_scope), sink_(sink) { t_scope = this; }
FoundItemsScope::~FoundItemsScope() { t_scope = outer_; }

FoundItems* CurrentFoundItems() { return t_scope ? t_scope->sink_ : nullptr; }

void ReportFound(const FoundItem& item) {
    if (FoundItems* sink = CurrentFoundItems()) sink->Add(item);
}
