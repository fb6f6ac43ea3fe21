#pragma once

// The process-wide overwrite settings the engine reads during a Kill. They are loaded and saved
// with the catalogue's settings and must not change while a run is in progress.
namespace kill_settings {

constexpr int kMinPasses = 1;
constexpr int kMaxPasses = 9;

bool SecureDelete();             // SecDel: overwrite file contents before deletion
void SetSecureDelete(bool on);
int Passes();                    // DelRep: overwrite passes, always within 1..9
void SetPasses(int passes);      // clamps into 1..9
// SkipOverwriteSolidState: on a solid-state volume a secure Kill deletes without overwriting.
bool SkipOverwriteOnSolidState();
void SetSkipOverwriteOnSolidState(bool on);

}  // namespace kill_settings
