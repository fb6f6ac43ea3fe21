#include "platform/FileByHandle.h"

#include "platform/Text.h"

#include <winternl.h>

#include <vector>

namespace {

// Not in every SDK's winternl.h.
constexpr ULONG kOpenReparsePoint = 0x00200000;     // FILE_OPEN_REPARSE_POINT
constexpr ULONG kOpenForBackupIntent = 0x00004000;  // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kFileInternalInformation = 6;
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformationEx = 64;
constexpr ULONG kDispositionDelete = 0x1;
constexpr ULONG kDispositionPosixSemantics = 0x2;

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                        ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtSetInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using NtQueryInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);

template <typename Fn>
Fn NtFunction(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

const NtCreateFileFn g_ntCreateFile = NtFunction<NtCreateFileFn>("NtCreateFile");
const NtSetInformationFileFn g_ntSetInformationFile = NtFunction<NtSetInformationFileFn>("NtSetInformationFile");
const NtQueryInformationFileFn g_ntQueryInformationFile =
    NtFunction<NtQueryInformationFileFn>("NtQueryInformationFile");

// Whether the system has POSIX-semantics deletion (Windows 10 1709 and later; Wine 8 answers
// STATUS_NOT_IMPLEMENTED). Asked once, then the classic disposition is used alone.
bool g_dispositionExMissing = false;

}  // namespace

FileHandle OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, OpenAs kind) {
    if (!g_ntCreateFile || name.empty() || name.size() > 32767 || name.find_first_of(L"\\/:") != std::wstring::npos)
        return FileHandle();
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE opened = nullptr;
    const ULONG options = kOpenReparsePoint | FILE_SYNCHRONOUS_IO_NONALERT |
                          (kind == OpenAs::Folder ? FILE_DIRECTORY_FILE | kOpenForBackupIntent : FILE_NON_DIRECTORY_FILE);
    const NTSTATUS status = g_ntCreateFile(&opened, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, share,
                                           FILE_OPEN, options, nullptr, 0);
    if (status < 0 || opened == nullptr) return FileHandle();
    return FileHandle(opened);
}

namespace {

// The plain form of a name the system gives with the long-path prefix: "\\?\C:\..." becomes
// "C:\...", "\\?\UNC\server\..." becomes "\\server\..."; UTF-8, empty when it has no UTF-8 form.
std::string PlainName(std::wstring name) {
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0) name.erase(2, 6);
    else if (name.rfind(L"\\\\?\\", 0) == 0) name.erase(0, 4);
    std::string text;
    return Utf8FromWide(name, text) ? text : std::string();
}

// Calls ask(buffer, size) with a growing buffer until the answer fits; empty on failure.
template <typename Ask>
std::wstring GrowingAnswer(Ask ask) {
    std::wstring text(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = ask(&text[0], static_cast<DWORD>(text.size()));
        if (n == 0) return {};
        if (n < text.size()) {
            text.resize(n);
            return text;
        }
        text.resize(n + 1);
    }
    return {};
}

}  // namespace

std::string FinalPathOf(HANDLE handle) {
    const std::wstring name = GrowingAnswer([handle](wchar_t* buffer, DWORD size) {
        return ::GetFinalPathNameByHandleW(handle, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    return name.empty() ? std::string() : PlainName(name);
}

std::string FullPathName(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) return {};
    const std::wstring full = GrowingAnswer([&wide](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    return full.empty() ? std::string() : PlainName(full);
}

bool RenameInFolder(HANDLE file, HANDLE folder, const std::wstring& name) {
    if (!g_ntSetInformationFile || name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos) return false;
    // The native call, because the documented one refuses a name relative to a folder handle on
    // some systems (Wine 8 answers ERROR_INVALID_PARAMETER) and a full path would be looked up again.
    const size_t bytes = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(bytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = folder;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), info->FileName);
    IO_STATUS_BLOCK io{};
    return g_ntSetInformationFile(file, &io, info, static_cast<ULONG>(bytes), kFileRenameInformation) >= 0;
}

bool MarkForDeletion(HANDLE handle) {
    if (!g_dispositionExMissing && g_ntSetInformationFile) {
        // POSIX semantics: the name goes at once, not when the last other handle closes.
        ULONG flags = kDispositionDelete | kDispositionPosixSemantics;
        IO_STATUS_BLOCK io{};
        const NTSTATUS status = g_ntSetInformationFile(handle, &io, &flags, sizeof flags, kFileDispositionInformationEx);
        if (status >= 0) return true;
        // Only a missing information class falls back; any other refusal stands.
        constexpr NTSTATUS kNotImplemented = static_cast<NTSTATUS>(0xC0000002);
        constexpr NTSTATUS kInvalidInfoClass = static_cast<NTSTATUS>(0xC0000003);
        constexpr NTSTATUS kInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
        constexpr NTSTATUS kNotSupported = static_cast<NTSTATUS>(0xC00000BB);
        if (status != kNotImplemented && status != kInvalidInfoClass && status != kInvalidParameter &&
            status != kNotSupported)
            return false;
        g_dispositionExMissing = status == kNotImplemented || status == kInvalidInfoClass;
    }
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info) != FALSE;
}

bool FileIdOf(HANDLE handle, uint64_t& id) {
    LARGE_INTEGER index{};
    IO_STATUS_BLOCK io{};
    if (!g_ntQueryInformationFile ||
        g_ntQueryInformationFile(handle, &io, &index, sizeof index, kFileInternalInformation) < 0)
        return false;
    id = static_cast<uint64_t>(index.QuadPart);
    return true;
}

bool SetAttributesOf(HANDLE handle, uint32_t attributes) {
    FILE_BASIC_INFO info{};
    info.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return ::SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info) != FALSE;
}

bool SamePath(const std::string& a, const std::string& b) {
    std::wstring wa, wb;
    if (!WideFromUtf8(a, wa) || !WideFromUtf8(b, wb)) return false;
    return ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                  TRUE) == CSTR_EQUAL;
}
