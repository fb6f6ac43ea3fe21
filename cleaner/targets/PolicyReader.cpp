#include "targets/PolicyReader.h"

#include "engine/ExcludeStore.h"

#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>

#include <vector>

namespace {

RegKey OpenKey(HKEY root, const std::string& path) {
    RegKey key;
    const std::wstring wide = WideFromUtf8(path);
    if (wide.empty() || ::RegOpenKeyExW(root, wide.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        key.Reset();
    return key;
}

// One value as its name and either a number or a text; policy texts are REG_SZ in UTF-16.
struct RawValue {
    std::string name;
    DWORD type = REG_NONE;
    uint32_t number = 0;
    std::string text;
};

template <typename Visit>
void EachValue(HKEY key, Visit visit) {
    DWORD count = 0, longestName = 0, longestData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                           &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> name(longestName + 2);
    std::vector<BYTE> data(longestData + sizeof(wchar_t) * 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size() - 4), type = 0;
        if (::RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            continue;
        RawValue v;
        v.type = type;
        if (!Utf8FromWide(std::wstring_view(name.data(), nameLength), v.name)) continue;
        if (type == REG_DWORD && size == sizeof(DWORD)) {
            v.number = *reinterpret_cast<const DWORD*>(data.data());
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            data[size] = data[size + 1] = 0;
            const std::wstring_view text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
            if (!Utf8FromWide(TrimNul(text), v.text)) continue;  // a lone surrogate: no text to apply
        } else {
            continue;
        }
        visit(v);
    }
}

MachinePolicy ReadOne(HKEY root, const std::string& path) {
    PolicyKeyValues values;
    RegKey key = OpenKey(root, path);
    if (!key) return {};
    EachValue(key.Get(), [&](const RawValue& v) {
        const bool text = policy_names::IsTextValue(v.name);
        if (text && v.type != REG_DWORD) values.texts.emplace_back(v.name, v.text);
        if (!text && v.type == REG_DWORD) values.numbers.emplace_back(v.name, v.number);
    });
    if (RegKey targets = OpenKey(key.Get(), policy_names::kTargetsKey)) {
        // The administrative template's list writes texts; a script may write numbers.
        EachValue(targets.Get(), [&](const RawValue& v) {
            if (v.type == REG_DWORD) values.targets.emplace_back(v.name, v.number);
            else if (v.text == "0" || v.text == "1") values.targets.emplace_back(v.name, v.text == "1" ? 1u : 0u);
        });
    }
    if (RegKey cookies = OpenKey(key.Get(), policy_names::kCookiesToKeepKey)) {
        EachValue(cookies.Get(), [&](const RawValue& v) {
            if (v.type != REG_DWORD) values.cookiesToKeep.push_back(v.text);
        });
    }
    if (RegKey excludes = OpenKey(key.Get(), policy_names::kExcludesKey)) {
        EachValue(excludes.Get(), [&](const RawValue& v) {
            if (v.type != REG_DWORD) values.excludes.push_back(v.text);
        });
    }
    return MachinePolicy::FromValues(values);
}

}  // namespace

MachinePolicy ReadMachinePolicy(const std::string& keyPath) {
    return MachinePolicy::Merge(ReadOne(HKEY_LOCAL_MACHINE, keyPath), ReadOne(HKEY_CURRENT_USER, keyPath));
}

ExcludeList LoadRunExcludes(const std::string& settingsPath) {
    ExcludeList list = exclude_store::Load(settingsPath);
    for (const Exclude& exclude : ReadMachinePolicy().excludes) exclude_store::AddWithResolved(list, exclude);
    return list;
}
