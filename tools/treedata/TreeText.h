#pragma once
// The readable source form of tree-data files, compiled by the treedata tool and printed back by
// it. One node per file:
//
//   node "name" {
//     dword "fsize" = 1024          int, bool (true/false), raw32, colour (0x00BBGGRR), double too
//     wide "ver" = "2.3"            UTF-8 source text, stored as UTF-16; "..." "..." concatenate
//     ansi "app" = "Tracelorn"      stored as the bytes given (\xHH for others)
//     blob "bg" = file "bg.png"     a file relative to the source, or hex "00ff..."
//     empty "x" = 9                 a value-less property of type code 9-255
//     include "more.txt"            the items of another file, in place
//     node "child" { ... }
//   }
//
// Escapes in strings: \\ \" \n \r \t \xHH \uXXXX. Comments run from // to the end of the line.
#include "qv/TreeNode.h"

#include <string>

namespace treedata {

// On failure `error` names the file, line and problem.
[[nodiscard]] bool CompileFile(const std::string& path, QV::TreeNode& root, std::string& error);
[[nodiscard]] bool CompileText(const std::string& text, const std::string& baseFolder, QV::TreeNode& root,
                               std::string& error);
std::string PrintTree(const QV::TreeNode& root);

}  // namespace treedata
