#include "schedule/UpdateRecords.h"

#include "platform/Handles.h"
#include "targets/AnsiStoredText.h"
#include "platform/Text.h"
#include "schedule/UpdateLists.h"
#include "schedule/UpdateProtocol.h"

#include <windows.h>

#include <vector>

namespace {

constexpr const char* kSequenceValue = "UpdateSequence";
constexpr const char* kStampsKey = "PluginStamps";

std::optional<uint32_t> ReadDword(const std::wstring& keyPath, const std::string& name) {
    RegKey key;
    if (keyPath.empty() ||
        ::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    if (::RegQueryValueExW(key.Get(), WideFromUtf8(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

void WriteDword(const std::wstring& keyPath, const std::string& name, uint32_t value) {
    RegKey key;
    if (keyPath.empty() || ::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_SET_VALUE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return;
    const DWORD v = value;
    (void)::RegSetValueExW(key.Get(), WideFromUtf8(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                           sizeof v);
}

bool ReadSmallFile(const std::wstring& path, std::vector<uint8_t>& out) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > update::kMaxPluginBytes)
        return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    return out.empty() ||
           (::ReadFile(file.Get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr) && got == out.size());
}

}  // namespace

std::wstring UpdateRecords::KeyPath(const char* subkey) const {
    if (settingsPath_.empty()) return {};
    std::string path = "software\\" + settingsPath_;
    if (subkey) path += std::string("\\") + subkey;
    return WideFromUtf8(path);
}

std::optional<uint32_t> UpdateRecords::AcceptedSequence() const { return ReadDword(KeyPath(), kSequenceValue); }

void UpdateRecords::RecordSequence(uint32_t sequence) const {
    const std::optional<uint32_t> accepted = AcceptedSequence();
    if (!accepted || *accepted < sequence) WriteDword(KeyPath(), kSequenceValue, sequence);
}

std::optional<uint32_t> UpdateRecords::KnownPluginStamp(const std::string& relativePath) const {
    return ReadDword(KeyPath(kStampsKey), relativePath);
}

void UpdateRecords::RememberPluginStamp(const std::string& relativePath, uint32_t stamp) const {
    const std::optional<uint32_t> known = KnownPluginStamp(relativePath);
    if (!known || *known < stamp) WriteDword(KeyPath(kStampsKey), relativePath, stamp);
}

void UpdateRecords::RememberInstalledPlugins(const std::string& programFolder) const {
    if (settingsPath_.empty()) return;
    for (update::PluginFolder folder : {update::PluginFolder::Standard, update::PluginFolder::Application}) {
        const std::string dir = programFolder + "\\" + update::FolderName(folder) + "\\";
        WIN32_FIND_DATAW data;
        FindHandle find(::FindFirstFileW(SystemPath(dir + "*.tlp").c_str(), &data));
        if (!find) continue;
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::string name;
            if (!Utf8FromWide(TrimNul(data.cFileName), name)) continue;
            std::vector<uint8_t> bytes;
            if (!ReadSmallFile(SystemPath(dir + name), bytes)) continue;
            if (const std::optional<uint32_t> stamp = update::PluginStamp(bytes, AnsiCodePageText()))
                RememberPluginStamp(std::string(update::FolderName(folder)) + "\\" + name, *stamp);
        } while (::FindNextFileW(find.Get(), &data));
    }
}
