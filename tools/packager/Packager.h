#pragma once
// The packager of the setup program: a setup image (the program itself), then a ZIP archive whose
// offsets count from the start of the whole file, then an optional extension tree, then the
// 12-byte trailer (archive offset, extension offset, start marker). Member times are fixed so the
// same inputs always give the same bytes.
#include "qv/TreeNode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace packager {

struct Member {
    std::string name;  // as stored: forward slashes between folders
    std::string data;
};

// DOS date and time of every member: 1 January 2026, midnight.
constexpr uint16_t kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;
constexpr uint16_t kDosTime = 0;

// The archive, written as if it started at `base` in the final file. Members are deflated at the
// highest level (stored when that would not make them smaller).
std::string BuildArchive(const std::vector<Member>& members, uint32_t base);

// image + archive + extension tree (when not empty) + trailer.
std::string BuildSetupFile(const std::string& image, const std::vector<Member>& members,
                           const std::string& extension, int32_t marker);

// A product file to install: its path below the installation folder ("STDPLUGS/Cookies.tlp").
struct ProductFile {
    std::string relative;
    std::string data;
};

// The settings with "files" (one property per file, one child node per folder), "fcount" and
// "fsize" made from what is packed.
void FillFileList(QV::TreeNode& settings, const std::vector<ProductFile>& files);

// Re-opens a setup file with the program's own archive reader: the trailer and its marker, the
// three trees, and every member the settings' "files" names, with "fcount" and "fsize" matching.
// With `expected` the members must also equal those files. Returns an empty string when all is
// well, else what is wrong.
std::string Verify(const std::string& file, int32_t marker, const std::vector<ProductFile>* expected);

}  // namespace packager
