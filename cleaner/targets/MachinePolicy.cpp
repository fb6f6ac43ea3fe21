#include "targets/MachinePolicy.h"

#include "engine/KillSettings.h"
#include "targets/KillIntervals.h"
#include "targets/TargetCatalog.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

template <typename T>
const T* Find(const std::vector<std::pair<std::string, T>>& values, const char* name) {
    for (const auto& [key, value] : values)
        if (SameName(key, name)) return &value;
    return nullptr;
}

std::optional<bool> Flag(const PolicyKeyValues& v, const char* name) {
    if (const uint32_t* n = Find(v.numbers, name)) return *n != 0;
    return std::nullopt;
}

std::optional<std::string> Text(const PolicyKeyValues& v, const char* name) {
    if (const std::string* t = Find(v.texts, name)) return *t;
    return std::nullopt;
}

template <typename T>
void Prefer(std::optional<T>& into, const std::optional<T>& machine, const std::optional<T>& user) {
    into = machine ? machine : user;
}

}  // namespace

namespace policy_names {

const std::vector<const char*>& ValueNames() {
    static const std::vector<const char*> names = {
        "AutoUpdate", "UpdateURL", "SecDel", "DelRep", "AutoStart", "AKWinStart", "AKBrowserClosed",
        "AKAppExit", "AKAppExitName", "AKEveryTime", "AKEveryTimeTime", "SkipOverwriteSolidState"};
    return names;
}

bool IsTextValue(const std::string& name) { return SameName(name, "UpdateURL") || SameName(name, "AKAppExitName"); }

}  // namespace policy_names

MachinePolicy MachinePolicy::FromValues(const PolicyKeyValues& v) {
    MachinePolicy p;
    p.autoUpdate = Flag(v, "AutoUpdate");
    p.updateUrl = Text(v, "UpdateURL");
    p.secDel = Flag(v, "SecDel");
    if (const uint32_t* n = Find(v.numbers, "DelRep")) {
        const int32_t passes = static_cast<int32_t>(*n);
        p.delRep = passes < kill_settings::kMinPasses   ? kill_settings::kMinPasses
                   : passes > kill_settings::kMaxPasses ? kill_settings::kMaxPasses
                                                        : passes;
    }
    p.skipOverwriteSolidState = Flag(v, "SkipOverwriteSolidState");
    p.autoStart = Flag(v, "AutoStart");
    p.akWinStart = Flag(v, "AKWinStart");
    p.akBrowserClosed = Flag(v, "AKBrowserClosed");
    p.akAppExit = Flag(v, "AKAppExit");
    p.akAppExitName = Text(v, "AKAppExitName");
    if (p.akAppExitName && p.akAppExitName->size() > 255) p.akAppExitName->resize(255);
    p.akEveryTime = Flag(v, "AKEveryTime");
    if (const uint32_t* n = Find(v.numbers, "AKEveryTimeTime"))
        p.akEveryTimeTime = kill_intervals::ClampIndex(static_cast<int32_t>(*n));
    for (const auto& [name, value] : v.targets) {
        if (name.empty() || value > 1) continue;
        bool known = false;
        for (const auto& t : p.targets) known |= SameName(t.first, name);
        if (!known) p.targets.emplace_back(name, value == 1);
    }
    for (const std::string& site : v.cookiesToKeep)
        if (!site.empty()) p.cookiesToKeep.push_back(site);
    for (const std::string& text : v.excludes)
        if (std::optional<Exclude> exclude = ParseExclude(text)) p.excludes.push_back(std::move(*exclude));
    return p;
}

MachinePolicy MachinePolicy::Merge(const MachinePolicy& machine, const MachinePolicy& user) {
    MachinePolicy p;
    Prefer(p.autoUpdate, machine.autoUpdate, user.autoUpdate);
    Prefer(p.updateUrl, machine.updateUrl, user.updateUrl);
    Prefer(p.secDel, machine.secDel, user.secDel);
    Prefer(p.delRep, machine.delRep, user.delRep);
    Prefer(p.skipOverwriteSolidState, machine.skipOverwriteSolidState, user.skipOverwriteSolidState);
    Prefer(p.autoStart, machine.autoStart, user.autoStart);
    Prefer(p.akWinStart, machine.akWinStart, user.akWinStart);
    Prefer(p.akBrowserClosed, machine.akBrowserClosed, user.akBrowserClosed);
    Prefer(p.akAppExit, machine.akAppExit, user.akAppExit);
    Prefer(p.akAppExitName, machine.akAppExitName, user.akAppExitName);
    Prefer(p.akEveryTime, machine.akEveryTime, user.akEveryTime);
    Prefer(p.akEveryTimeTime, machine.akEveryTimeTime, user.akEveryTimeTime);
    p.targets = machine.targets;
    for (const auto& t : user.targets)
        if (!p.ForcedTarget(t.first)) p.targets.push_back(t);
    // Sites to keep add up: keeping one more site never removes anything the machine wants gone.
    p.cookiesToKeep = machine.cookiesToKeep;
    for (const std::string& site : user.cookiesToKeep) {
        bool known = false;
        for (const std::string& s : p.cookiesToKeep) known |= SameName(s, site);
        if (!known) p.cookiesToKeep.push_back(site);
    }
    // Excludes add up the same way.
    p.excludes = machine.excludes;
    for (const Exclude& exclude : user.excludes) {
        bool known = false;
        for (const Exclude& e : p.excludes) known |= SameExclude(e, exclude);
        if (!known) p.excludes.push_back(exclude);
    }
    return p;
}

bool MachinePolicy::Empty() const {
    return !autoUpdate && !updateUrl && !secDel && !delRep && !skipOverwriteSolidState && !autoStart && !akWinStart && !akBrowserClosed &&
           !akAppExit && !akAppExitName && !akEveryTime && !akEveryTimeTime && targets.empty() &&
           cookiesToKeep.empty() && excludes.empty();
}

std::optional<bool> MachinePolicy::ForcedTarget(const std::string& name) const {
    for (const auto& [target, on] : targets)
        if (SameName(target, name)) return on;
    return std::nullopt;
}

bool MachinePolicy::AllowsPasses(int passes) const {
    if (passes < 0 || passes > kill_settings::kMaxPasses) return false;
    if (secDel && *secDel && passes == 0) return false;
    if (delRep && passes > 0 && passes < *delRep) return false;
    return true;
}

void MachinePolicy::ApplyTo(CleanerSettings& s) const {
    if (autoUpdate) s.autoUpdate = *autoUpdate;
    if (autoStart) s.autoStart = *autoStart;
    if (akWinStart) s.akWinStart = *akWinStart;
    if (akBrowserClosed) s.akBrowserClosed = *akBrowserClosed;
    if (akAppExit) s.akAppExit = *akAppExit;
    if (akAppExitName) s.akAppExitName = *akAppExitName;
    if (akEveryTime) s.akEveryTime = *akEveryTime;
    if (akEveryTimeTime) s.akEveryTimeTime = *akEveryTimeTime;
}

void MachinePolicy::ApplyTo(TargetCatalog& catalog) const {
    ApplyTo(catalog.Settings());
    if (secDel) kill_settings::SetSecureDelete(*secDel);
    if (delRep) kill_settings::SetPasses(*delRep);
    if (skipOverwriteSolidState) kill_settings::SetSkipOverwriteOnSolidState(*skipOverwriteSolidState);
    for (size_t i = 0; i < catalog.TargetCount(); ++i) {
        Target& t = catalog.TargetAt(i);
        if (auto on = ForcedTarget(t.Name())) t.SetSelected(*on);
    }
}
