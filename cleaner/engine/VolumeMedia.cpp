#include "engine/VolumeMedia.h"

#include "engine/KillSettings.h"

namespace volume_media {
namespace {
VolumeMediaQuery* g_query = nullptr;
std::unordered_map<std::string, bool> g_folders;  // folder -> solid-state, for the current run
thread_local SkipCountScope* t_scope = nullptr;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}
}  // namespace

void SetQuery(VolumeMediaQuery* query) {
    g_query = query;
    g_folders.clear();
}

void BeginRun() { g_folders.clear(); }

bool OnSolidState(const std::string& filePath) {
    if (!g_query) return false;
    const std::string folder = FolderOf(filePath);
    const auto known = g_folders.find(folder);
    if (known != g_folders.end()) return known->second;
    const bool solid = IsSolidState(g_query->FactsOf(folder));
    g_folders.emplace(folder, solid);
    return solid;
}

bool AskSolidState(const std::string& folder) { return g_query && IsSolidState(g_query->FactsOf(folder)); }

bool SkipsOverwrite(const std::string& filePath) {
    return kill_settings::SecureDelete() && kill_settings::SkipOverwriteOnSolidState() && OnSolidState(filePath);
}

SkipCountScope::SkipCountScope() : outer_(t_scope) { t_scope = this; }
SkipCountScope::~SkipCountScope() { t_scope = outer_; }

void NoteOverwriteSkipped() {
    if (t_scope) ++t_scope->count_;
}

}  // namespace volume_media

bool IsSolidState(const VolumeFacts& facts) {
    if (facts.seekPenalty) return !*facts.seekPenalty;
    return facts.trims.value_or(false);
}
