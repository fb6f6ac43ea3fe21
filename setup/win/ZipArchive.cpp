#include "win/ZipArchive.h"

#include "archive/Descramble.h"
#include "archive/EntryName.h"
#include "install/PathRules.h"
#include "win/WideText.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace setup {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsAbsolute(const std::u16string& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == u':');
}

bool Exists(const std::u16string& path) { return ::GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Creates every missing folder of `folder` (no trailing separator needed).
void CreateFolders(const std::u16string& folder) {
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i < folder.size() && !IsSeparator(folder[i])) continue;
        const std::u16string part = folder.substr(0, i);
        if (part.size() == 2 && part[1] == u':') continue;  // a drive
        if (!Exists(part)) ::CreateDirectoryW(ToWide(part).c_str(), nullptr);
    }
}

FILETIME ToFileTime(uint64_t ticks) {
    FILETIME ft;
    ft.dwLowDateTime = DWORD(ticks);
    ft.dwHighDateTime = DWORD(ticks >> 32);
    return ft;
}

class FileSink : public ZipSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Write(const uint8_t* data, size_t count) override {
        DWORD written = 0;
        return ::WriteFile(file_, data, DWORD(count), &written, nullptr) && written == count;
    }

private:
    HANDLE file_;
};

}  // namespace

void EntryFileTimes(const ZipEntry& entry, FILETIME& created, FILETIME& accessed, FILETIME& modified) {
    FILETIME local{}, utc{};
    if (!::DosDateTimeToFileTime(entry.dosDate, entry.dosTime, &local) || !::LocalFileTimeToFileTime(&local, &utc)) {
        utc = FILETIME{};
    }
    created = accessed = modified = utc;
    if (entry.unixTimes & 1) modified = ToFileTime(entry.modified);
    if (entry.unixTimes & 2) accessed = ToFileTime(entry.accessed);
    if (entry.unixTimes & 4) created = ToFileTime(entry.created);
}

ZipArchive::ZipArchive() {
    wchar_t current[MAX_PATH];
    const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, current);
    SetBaseFolder(n && n < MAX_PATH ? FromWide(current) : std::u16string());
}

bool ZipArchive::Open(HANDLE file) {
    if (reader_.IsOpen()) return false;
    file_.Attach(file);
    if (reader_.Open(file_)) return true;
    file_.Close();
    return false;
}

void ZipArchive::Close() {
    reader_.Close();
    file_.Close();
}

void ZipArchive::SetBaseFolder(const std::u16string& folder) {
    base_ = folder;
    if (base_.empty() || !IsSeparator(base_.back())) base_ += u'\\';
}

ZipResult ZipArchive::UnzipEntry(const ZipEntry& entry) {
    if (entry.nameRefused) return ZipResult::NameRefused;
    return UnzipToFile(entry, entry.name);
}

ZipResult ZipArchive::UnzipToFile(const ZipEntry& entry, const std::u16string& outputPath, bool replaceExisting) {
    if (!reader_.IsOpen() || outputPath.empty()) return ZipResult::BadArguments;
    std::u16string path = IsAbsolute(outputPath) ? outputPath : base_ + outputPath;
    if (entry.IsDirectory()) {
        while (!path.empty() && IsSeparator(path.back())) path.pop_back();
        CreateFolders(path);
        return Exists(path) ? ZipResult::Ok : ZipResult::CannotCreate;
    }
    const size_t split = path.find_last_of(u"\\/");
    if (split != std::u16string::npos && split > 0) CreateFolders(path.substr(0, split));

    DWORD attributes = entry.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                           FILE_ATTRIBUTE_ARCHIVE);
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    const std::wstring wide = ToWide(path);
    // CREATE_ALWAYS fails on a read-only file and on a hidden one opened without the hidden flag.
    // An update replaces its own files whatever their attributes; otherwise a read-only file in the
    // way is not ours to overwrite, even where the file system would let us (Wine run as root).
    const DWORD existing = ::GetFileAttributesW(wide.c_str());
    if (replaceExisting) {
        ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    } else if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) {
        return ZipResult::CannotCreate;
    }
    FileHandle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    if (!file.Valid()) return ZipResult::CannotCreate;

    FileSink sink(file.Get());
    const ZipResult result = reader_.Extract(entry, sink);
    if (result != ZipResult::Ok) {
        file.Reset();
        // What was written failed its checks: do not leave a damaged file as if it were installed.
        if (result != ZipResult::WriteFailed) {
            ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(wide.c_str());
        }
        return result;
    }
    FILETIME created, accessed, modified;
    EntryFileTimes(entry, created, accessed, modified);
    ::SetFileTime(file.Get(), &created, &accessed, &modified);
    return ZipResult::Ok;
}

bool ZipArchive::ExtractFolder(const std::u16string& folder, const QV::TreeNode& list, const ExtractTexts& texts,
                               const std::vector<std::u16string>& crypt, ExtractReport& report, bool replaceExisting) {
    if (!reader_.IsOpen()) return false;
    ExtractTree(folder, list, {texts, crypt, report, replaceExisting}, true);
    return true;
}

void ZipArchive::ExtractTree(const std::u16string& folder, const QV::TreeNode& list, const ExtractJob& job, bool top) {
    const ExtractTexts& texts = job.texts;
    ExtractReport& report = job.report;
    // The installation folder is the product's own: always logged, removed when it ends up empty.
    // A subfolder is logged only when this extraction creates it.
    const bool existed = Exists(folder);
    ::SHCreateDirectoryExW(nullptr, ToWide(folder).c_str(), nullptr);
    if (!Exists(folder)) {
        report.Failed(folder);
        return;
    }
    if (top || !existed) report.LogFolder(folder);
    SetBaseFolder(folder);
    report.Status(texts.output + u" " + folder, false);

    for (const auto& [rawName, property] : list.Properties()) {
        if (property->Type() != QV::TypeWideString) continue;
        const std::u16string name = FromAnsiCodePage(rawName);
        if (!IsContainedRelativePath(name)) {
            report.Failed(name);
            continue;
        }
        report.Status(texts.extract + u" " + name, true);
        const auto path = JoinPath(folder, name);
        ZipEntry entry;
        if (!path || !reader_.Find(property->Wide(), true, entry)) {
            report.Failed(path.value_or(name));
            continue;
        }
        const ZipResult result = UnzipToFile(entry, *path, job.replaceExisting);
        // A file that was created is logged even when its data failed, so it is removed again.
        if (result == ZipResult::Ok || (result == ZipResult::WriteFailed && Exists(*path))) report.LogFile(*path);
        if (result != ZipResult::Ok) {
            report.Failed(*path);
            continue;
        }
        if (HasListedExtension(name, job.crypt) && !DescrambleFile(*path)) report.Failed(*path);
    }
    for (const auto& [rawName, child] : list.Children()) {
        const std::u16string name = FromAnsiCodePage(rawName);
        const auto path = IsContainedRelativePath(name) ? JoinPath(folder, name) : std::nullopt;
        if (!path) {
            report.Failed(name);
            continue;
        }
        ExtractTree(*path, *child, job, false);
    }
}

bool DescrambleFile(const std::u16string& path) {
    QV::FileStream file;
    if (!file.Open(path, QV::FileStream::AccessReadWrite | QV::FileStream::ShareNone | QV::FileStream::OpenExisting)) {
        return false;
    }
    QV::MemoryStream data;
    const uint64_t size = file.Size();
    if (size == 0) return true;
    if (!data.Resize(size) || file.Read(data.Data(), size_t(size)) != size) return false;
    Descramble(data.Data(), size_t(size));
    if (file.Seek(0, QV::SeekBegin) != 0) return false;
    return file.Write(data.Data(), size_t(size)) == size;
}

}  // namespace setup
