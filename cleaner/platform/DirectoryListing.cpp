#include "platform/DirectoryListing.h"

#include "platform/Text.h"

namespace {
// One read fetches as many records as fit: large enough that a folder of thousands of files takes
// few calls, small enough that a deep walk (one listing per level) stays small.
constexpr size_t kBufferBytes = 64 * 1024;
}  // namespace

bool IsPlainComponent(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    return name.find_first_of(L"\\/:") == std::wstring::npos && name.find(L'\0') == std::wstring::npos;
}

DirectoryListing::DirectoryListing(HANDLE folder) : folder_(folder) {}

bool DirectoryListing::Fill() {
    if (ended_) return false;
    if (buffer_.empty()) buffer_.resize(kBufferBytes);
    const FILE_INFO_BY_HANDLE_CLASS kind = restart_ ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
    restart_ = false;
    if (!::GetFileInformationByHandleEx(folder_, kind, buffer_.data(), static_cast<DWORD>(buffer_.size()))) {
        // ERROR_NO_MORE_FILES at the end; any other failure ends the listing as well.
        ended_ = true;
        return false;
    }
    offset_ = 0;
    hasRecord_ = true;
    return true;
}

bool DirectoryListing::Next(ListedName& out) {
    for (;;) {
        if (!hasRecord_ && !Fill()) return false;
        const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer_.data() + offset_);
        if (record->NextEntryOffset == 0) hasRecord_ = false;
        else offset_ += record->NextEntryOffset;

        const std::wstring name(record->FileName, record->FileNameLength / sizeof(wchar_t));
        if (!IsPlainComponent(name) || !Utf8FromWide(name, out.name)) continue;
        out.attributes = record->FileAttributes;
        out.fileId = static_cast<uint64_t>(record->FileId.QuadPart);
        out.size = static_cast<uint64_t>(record->EndOfFile.QuadPart);
        out.allocation = static_cast<uint64_t>(record->AllocationSize.QuadPart);
        out.lastWrite = static_cast<uint64_t>(record->LastWriteTime.QuadPart);
        return true;
    }
}
