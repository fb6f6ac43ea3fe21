#pragma once
// The payload archive in the program's own file, and what the Win32 side does with its members:
// unzip to files with their attributes and times, and the install-time extraction of a folder.
#include "archive/ExtractReport.h"
#include "archive/ZipReader.h"
#include "win/FileStream.h"

#include <memory>
#include <string>
#include <vector>

namespace setup {

// The language texts the extraction shows ("tOutput", "tExtract"), fetched once by the caller.
struct ExtractTexts {
    std::u16string output;
    std::u16string extract;
};

class ZipArchive {
public:
    ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Over the caller's open file handle, which must stay open until Close.
    [[nodiscard]] bool Open(HANDLE file);
    void Close();
    bool IsOpen() const { return reader_.IsOpen(); }
    const ZipReader& Reader() const { return reader_; }

    std::unique_ptr<QV::MemoryStream> ExtractToMemory(const std::u16string& name) const {
        return reader_.ExtractToMemory(name);
    }
    [[nodiscard]] bool LoadTree(const std::u16string& name, QV::TreeNode& tree) const {
        return reader_.LoadTree(name, tree);
    }
    [[nodiscard]] bool Find(const std::u16string& name, bool ignoreCase, ZipEntry& entry) const {
        return reader_.Find(name, ignoreCase, entry);
    }

    // Always ends in a backslash; initially the current folder.
    void SetBaseFolder(const std::u16string& folder);
    const std::u16string& BaseFolder() const { return base_; }

    // Writes the member to `outputPath` (relative paths go under the base folder), creating its
    // folders and giving it the member's attributes and times. A member that fails its checks
    // leaves no file behind.
    [[nodiscard]] ZipResult UnzipToFile(const ZipEntry& entry, const std::u16string& outputPath,
                                        bool replaceExisting = false);
    // The same under the base folder by the member's own cleaned name; refused names fail.
    [[nodiscard]] ZipResult UnzipEntry(const ZipEntry& entry);

    // The install-time extraction: every property of `list` is output name -> member name, every
    // child a subfolder. False only when no archive is open. A member that is missing or fails,
    // and an output name that would leave `folder`, are reported as failed; only files and
    // folders that were actually created are logged (`folder` itself always is). With
    // `replaceExisting` a read-only or hidden file in the way is replaced (update mode); otherwise
    // it makes that file fail.
    bool ExtractFolder(const std::u16string& folder, const QV::TreeNode& list, const ExtractTexts& texts,
                       const std::vector<std::u16string>& crypt, ExtractReport& report, bool replaceExisting = false);

private:
    struct ExtractJob {
        const ExtractTexts& texts;
        const std::vector<std::u16string>& crypt;
        ExtractReport& report;
        bool replaceExisting;
    };
    void ExtractTree(const std::u16string& folder, const QV::TreeNode& list, const ExtractJob& job, bool top);

    QV::FileStream file_;
    ZipReader reader_;
    std::u16string base_;
};

// The member's times as Windows file times: the DOS time taken as local time, replaced by what
// the "UT" field supplied.
void EntryFileTimes(const ZipEntry& entry, FILETIME& created, FILETIME& accessed, FILETIME& modified);

// Reads the file whole, applies the descrambling transform and writes it back in place.
[[nodiscard]] bool DescrambleFile(const std::u16string& path);

}  // namespace setup
