#pragma once
#include <string>
#include <vector>

// The folders one target has walked in the current run. Two entries of a target can name one
// folder in two ways (%LOCALAPPDATA%\Temp and <profile>\Local Settings\Temp are one folder behind a
// junction): the second walk of the same resolved folder with the same mask and recursion is
// skipped, so its files are neither counted twice nor scheduled for deletion twice.
//
// A target opens a scope around its entries; walks outside any scope are never skipped. Only the
// action worker walks, one target at a time, so the open scope is kept per thread.
class WalkLedgerScope {
public:
    WalkLedgerScope();
    ~WalkLedgerScope();
    WalkLedgerScope(const WalkLedgerScope&) = delete;
    WalkLedgerScope& operator=(const WalkLedgerScope&) = delete;

private:
    friend bool ClaimWalk(const std::string&, const std::string&, bool);
    WalkLedgerScope* outer_;
    std::vector<std::string> walked_;
};

// True when the walk (resolved folder, mask, recursion) has not been made in the open scope yet,
// and records it; always true without a scope.
[[nodiscard]] bool ClaimWalk(const std::string& canonicalFolder, const std::string& mask, bool recurse);
