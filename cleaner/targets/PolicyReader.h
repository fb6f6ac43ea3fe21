#pragma once
#include "targets/MachinePolicy.h"

#include <string>

// Reads the policy of the running user: Software\Policies\Quorvane\Tracelorn (or keyPath) under
// HKEY_LOCAL_MACHINE and under HKEY_CURRENT_USER, the machine's values first. A key that is
// missing or cannot be opened sets nothing. Read once per run: a policy that changes while the
// program runs takes effect at its next start.
[[nodiscard]] MachinePolicy ReadMachinePolicy(const std::string& keyPath = policy_names::kKeyPath);

// What a run must not remove: the user's excludes (the settings key's) and the policy's, read
// when the run begins. The window and the console install it as the runs' exclude loader.
[[nodiscard]] ExcludeList LoadRunExcludes(const std::string& settingsPath);
