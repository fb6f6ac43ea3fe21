#pragma once
#include "targets/ByteStream.h"
#include "targets/WinappIni.h"

#include <functional>
#include <optional>
#include <vector>

// The stored form of an import: one property tree (magic "TLI1", check flag set) with a node per
// target, so a start reads the accepted targets without parsing the ini again. Only entries that
// passed the safety rule are stored; the loader still holds them to it.
//
// Node "T<n>" (five digits): "Name", "Group", "Warning" (Strings); per condition i "CK<i>",
// "CN<i>" (Integers: kind, number) and "CT<i>", "CS<i>" (Strings: text, second text); per file
// entry "F<i>", per registry entry "R<i>", per exclusion "X<i>", each a String in the ini's own
// syntax (WinappFileKeyText and its kin), read back by the same parsers.
void WriteImport(const std::vector<WinappTarget>& targets, ByteStream& out);
// None when the stream is no stored import; a node that no longer parses is dropped. With `keep`,
// only the targets it keeps are read whole: it sees each one with its name, group, warning and
// conditions before its entries are parsed.
using KeepImported = std::function<bool(const WinappTarget&)>;
[[nodiscard]] std::optional<std::vector<WinappTarget>> ReadImport(ByteStream& in, const KeepImported& keep = {});
