#include "engine/Win32VolumeMedia.h"

#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>
#include <winioctl.h>

namespace {

// "\\?\Volume{...}" (no trailing separator, which would open the root folder instead of the
// device) for the volume holding path; empty when the system cannot name it.
std::wstring VolumeDeviceOf(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) return {};
    wchar_t root[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(wide.c_str(), root, MAX_PATH)) return {};
    wchar_t volume[MAX_PATH + 1] = {};
    std::wstring device;
    if (::GetVolumeNameForVolumeMountPointW(root, volume, MAX_PATH)) {
        device = volume;
    } else {
        device = root;  // "C:\" -> "\\.\C:"
        if (device.size() < 2 || device[1] != L':') return {};
        device = L"\\\\.\\" + device.substr(0, 2);
    }
    while (!device.empty() && device.back() == L'\\') device.pop_back();
    return device;
}

template <typename Descriptor>
bool QueryProperty(HANDLE device, STORAGE_PROPERTY_ID id, Descriptor& out) {
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = id;
    query.QueryType = PropertyStandardQuery;
    DWORD returned = 0;
    return ::DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &out, sizeof out, &returned,
                             nullptr) &&
           returned >= sizeof out;
}

VolumeFacts AskDevice(const std::wstring& name) {
    VolumeFacts facts;
    // No access rights are needed for a property query, so no administrator either.
    FileHandle device(::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device) return facts;
    DEVICE_SEEK_PENALTY_DESCRIPTOR seek{};
    if (QueryProperty(device.Get(), StorageDeviceSeekPenaltyProperty, seek)) facts.seekPenalty = seek.IncursSeekPenalty != FALSE;
    DEVICE_TRIM_DESCRIPTOR trim{};
    if (QueryProperty(device.Get(), StorageDeviceTrimProperty, trim)) facts.trims = trim.TrimEnabled != FALSE;
    return facts;
}

}  // namespace

VolumeFacts Win32VolumeMediaQuery::FactsOf(const std::string& path) {
    const std::wstring device = VolumeDeviceOf(path);
    if (device.empty()) return {};
    std::lock_guard<std::mutex> lock(mutex_);
    const auto known = volumes_.find(device);
    if (known != volumes_.end()) return known->second;
    const VolumeFacts facts = AskDevice(device);
    volumes_.emplace(device, facts);
    return facts;
}

void Win32VolumeMediaQuery::Install() {
    static Win32VolumeMediaQuery query;
    volume_media::SetQuery(&query);
}
