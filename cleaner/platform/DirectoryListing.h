#pragma once
// The names of one opened folder, read from its handle (never by a search path), so that what is
// listed is the folder that was opened and checked, whatever is renamed or linked meanwhile.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct ListedName {
    std::string name;         // UTF-8, one component
    uint32_t attributes = 0;
    uint64_t fileId = 0;      // the file system's id of the name's file, 0 where it has none
    uint64_t size = 0;
    uint64_t allocation = 0;  // bytes the file holds on disk (less than size when sparse or compressed)
    uint64_t lastWrite = 0;   // FILETIME, 100 ns since 1601 UTC
};

class DirectoryListing {
public:
    // folder: a handle opened with FILE_LIST_DIRECTORY; it must outlive the listing.
    explicit DirectoryListing(HANDLE folder);

    // The next name; false at the end or when the folder cannot be read. Names that could not be a
    // single component ("." and "..", or holding '\', '/' or ':', which a file system reached by
    // another system may hold) and names without a UTF-8 form are never given out.
    [[nodiscard]] bool Next(ListedName& out);

private:
    [[nodiscard]] bool Fill();

    HANDLE folder_;
    std::vector<unsigned char> buffer_;
    size_t offset_ = 0;
    bool hasRecord_ = false;
    bool restart_ = true;
    bool ended_ = false;
};

// Whether a listed name may be used as one component of a path inside its folder.
[[nodiscard]] bool IsPlainComponent(const std::wstring& name);
