#include "engine/WalkLedger.h"

#include "engine/WalkRootGuard.h"
#include "engine/WildcardMatch.h"

#include <algorithm>

namespace {
thread_local WalkLedgerScope* t_scope = nullptr;
}  // namespace

WalkLedgerScope::WalkLedgerScope() : outer_(t_scope) { t_scope = this; }

WalkLedgerScope::~WalkLedgerScope() { t_scope = outer_; }

bool ClaimWalk(const std::string& canonicalFolder, const std::string& mask, bool recurse) {
    if (t_scope == nullptr) return true;
    std::string key = NormaliseFolderForCompare(canonicalFolder);
    key += '|';
    if (!WildcardMatchesEverything(mask)) {
        for (char c : mask) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    key += recurse ? "|r" : "|f";
    std::vector<std::string>& walked = t_scope->walked_;
    if (std::find(walked.begin(), walked.end(), key) != walked.end()) return false;
    walked.push_back(std::move(key));
    return true;
}
