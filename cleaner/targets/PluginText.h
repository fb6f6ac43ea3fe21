#pragma once
#include "targets/PluginRecord.h"

#include <optional>
#include <string>

// The readable source form of a plug-in (data/plugins/*.txt), compiled to ".tlp" at build time:
//   Name = ...          Desc = ...          Active = 0|1        Date = b0 b1 b2
//   [Rem]               one entry; keys: Type CSID Path Tpl Recurs RemReboot RootKey Key Value
//   [Valid]             one condition
// '#' starts a comment line. Numbers are decimal or 0x hex. Unknown keys are errors.
struct PluginTextResult {
    std::optional<TargetRecord> record;
    std::string error;  // "line N: ..." when record is empty
};
[[nodiscard]] PluginTextResult ParsePluginText(const std::string& text);
[[nodiscard]] std::string PrintPluginText(const TargetRecord& record);
