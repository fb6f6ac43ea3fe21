#include "engine/KillSettings.h"

namespace kill_settings {
namespace {
bool g_secureDelete = true;
int g_passes = 1;
}  // namespace

bool SecureDelete() { return g_secureDelete; }
void SetSecureDelete(bool on) { g_secureDelete = on; }
int Passes() { return g_passes; }
void SetPasses(int passes) {
    g_passes = passes < kMinPasses ? kMinPasses : passes > kMaxPasses ? kMaxPasses : passes;
}

}  // namespace kill_settings
