#include "engine/Relaunch.h"

#include "archive/Trailer.h"
#include "install/PathRules.h"
#include "install/SelfDeleteBatch.h"
#include "win/FileStream.h"
#include "win/Handles.h"
#include "win/WideText.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <vector>

namespace setup {

namespace {

constexpr DWORD kLauncherWait = 30000;
constexpr DWORD kExitFailedCode = 3;

// A unique name in the temporary folder with the given extension. GetTempFileNameW creates the
// ".tmp" file that makes the name unique; it is removed once the name with our extension exists.
class TemporaryName {
public:
    explicit TemporaryName(const wchar_t* extension) {
        wchar_t folder[MAX_PATH];
        const DWORD n = ::GetTempPathW(MAX_PATH, folder);
        if (n == 0 || n >= MAX_PATH) return;
        wchar_t name[MAX_PATH];
        if (!::GetTempFileNameW(folder, L"qvu", 0, name)) return;
        placeholder_ = name;
        std::wstring wanted = name;
        const size_t dot = wanted.find_last_of(L'.');
        if (dot == std::wstring::npos) return;
        path_ = wanted.substr(0, dot + 1) + extension;
    }
    ~TemporaryName() {
        if (!placeholder_.empty()) ::DeleteFileW(placeholder_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring placeholder_;
    std::wstring path_;
};

bool WriteMarker(const std::u16string& path, int32_t marker) {
    QV::FileStream file;
    if (!file.Open(path, QV::FileStream::AccessReadWrite | QV::FileStream::ShareNone | QV::FileStream::OpenExisting)) {
        return false;
    }
    if (file.Size() < Trailer::kSize || file.Seek(4, QV::SeekEnd) < 0) return false;
    return file.WriteDword(uint32_t(marker)) && ::FlushFileBuffers(file.Handle());
}

// The batch text in the OEM code page the command interpreter reads; a path that does not
// survive the conversion is written in its short form.
bool EncodeBatch(const std::vector<std::u16string>& files, const std::vector<std::u16string>& folders,
                 const std::u16string& batch, std::string& bytes) {
    const auto encode = [](const std::u16string& text, std::string& out) {
        const std::wstring wide = ToWide(text);
        BOOL lost = FALSE;
        const int n = ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.c_str(), int(wide.size()), nullptr, 0,
                                            nullptr, &lost);
        if (n <= 0 && !wide.empty()) return false;
        out.assign(size_t(n), '\0');
        ::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.c_str(), int(wide.size()), out.data(), n, nullptr,
                              &lost);
        return !lost;
    };
    const auto shortForm = [&](const std::u16string& path) {
        std::string probe;
        if (encode(path, probe)) return path;
        wchar_t buffer[MAX_PATH];
        const DWORD n = ::GetShortPathNameW(ToWide(path).c_str(), buffer, MAX_PATH);
        return n && n < MAX_PATH ? FromWide(buffer) : path;
    };
    std::vector<std::u16string> shortFiles, shortFolders;
    for (const std::u16string& file : files) shortFiles.push_back(shortForm(file));
    for (const std::u16string& folder : folders) shortFolders.push_back(shortForm(folder));
    return encode(SelfDeleteBatchText(shortFiles, shortFolders, shortForm(batch)), bytes);
}

}  // namespace

bool IsUsableSourceFolder(const std::u16string& folder) {
    const std::u16string trimmed = TrimSeparators(folder);
    // Room for the log's name and the files below it.
    return trimmed.size() < kMaxPath - 20 && IsAbsoluteFolder(trimmed) && !IsDriveRoot(trimmed);
}

bool RelaunchFromTemporaryCopy(const std::u16string& programPath, const std::u16string& copyTail, std::u16string& error,
                               DWORD* exitCode) {
    const std::u16string folder = ParentFolder(programPath);
    if (!IsUsableSourceFolder(folder)) {
        error = u"folder " + folder;
        return false;
    }
    TemporaryName name(L"exe");
    if (name.Path().empty()) {
        error = u"temporary name";
        return false;
    }
    const std::u16string copy = FromWide(name.Path());
    if (!::CopyFileW(ToWide(programPath).c_str(), name.Path().c_str(), FALSE)) {
        error = u"copy " + copy;
        return false;
    }
    // A read-only attribute carried over from the installed file would make the marker patch fail.
    ::SetFileAttributesW(name.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::wstring directory = ToWide(ParentFolder(copy));
    const std::wstring parameters = ToWide(copyTail);
    if (!WriteMarker(copy, Trailer::kUninstallerCopy)) {
        error = u"marker " + copy;
    } else if (exitCode) {
        // Waiting: started directly, for its handle; it creates no window, so no show state.
        std::wstring commandLine = L"\"" + name.Path() + L"\" " + parameters;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(name.Path().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             directory.c_str(), &startup, &info)) {
            KernelHandle process(info.hProcess), thread(info.hThread);
            ::WaitForSingleObject(process.Get(), INFINITE);
            if (!::GetExitCodeProcess(process.Get(), exitCode)) *exitCode = kExitFailedCode;
            return true;
        }
        error = u"start " + copy;
    } else if (reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, nullptr, name.Path().c_str(), parameters.c_str(),
                                                           directory.c_str(), SW_SHOWNORMAL)) <= 32) {
        error = u"start " + copy;
    } else {
        return true;
    }
    ::DeleteFileW(name.Path().c_str());
    return false;
}

void WaitForLauncher() {
    const DWORD self = ::GetCurrentProcessId();
    // A snapshot fails with INVALID_HANDLE_VALUE, as files do.
    FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    if (parent == 0) return;
    KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, parent));
    if (process) ::WaitForSingleObject(process.Get(), kLauncherWait);
}

bool StartSelfDelete(const std::u16string& programPath, const std::u16string& deferred,
                     const std::vector<std::u16string>& folders) {
    TemporaryName name(L"bat");
    if (name.Path().empty()) return false;
    std::string bytes;
    std::vector<std::u16string> files{programPath};
    if (!deferred.empty()) files.push_back(deferred);
    if (!EncodeBatch(files, folders, FromWide(name.Path()), bytes)) return false;
    {
        FileHandle file(::CreateFileW(name.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        DWORD written = 0;
        if (!file || !::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            file.Reset();
            ::DeleteFileW(name.Path().c_str());
            return false;
        }
    }
    if (reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, nullptr, name.Path().c_str(), nullptr, nullptr, SW_HIDE)) <=
        32) {
        ::DeleteFileW(name.Path().c_str());
        return false;
    }
    return true;
}

}  // namespace setup
