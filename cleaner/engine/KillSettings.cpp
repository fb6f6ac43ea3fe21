#include "engine/KillSettings.h"

namespace kill_settings {
namespace {
bool g_secureDelete = true;
int g_passes = 1;
bool g_skipOnSolidState = false;
}  // namespace

bool SecureDelete() { return g_secureDelete; }
void SetSecureDelete(bool on) { g_secureDelete = on; }
int Passes() { return g_passes; }
bool SkipOverwriteOnSolidState() { return g_skipOnSolidState; }
void SetSkipOverwriteOnSolidState(bool on) { g_skipOnSolidState = on; }
void SetPasses(int passes) {
    g_passes = passes < kMinPasses ? kMinPasses : passes > kMaxPasses ? kMaxPasses : passes;
}

}  // namespace kill_settings
