#include "console/ConsoleReport.h"

#include "engine/SizeFormat.h"

#include <cstdint>
#include <cstdio>

namespace {

std::string Number(uint64_t value) { return std::to_string(value); }

std::string Counters(const RunCounters& c) {
    return "\"files\": " + Number(c.files) + ", \"items\": " + Number(c.items) + ", \"bytes\": " + Number(c.bytes);
}

std::string Columns(const RunCounters& c) {
    return "  Files: " + CountText(c.files) + "  Items: " + CountText(c.items) + "  Disk space: " + FormatSize(c.bytes);
}

const char* KindName(FoundItem::Kind kind) {
    switch (kind) {
        case FoundItem::Kind::File: return "file";
        case FoundItem::Kind::RegistryValue: return "value";
        case FoundItem::Kind::RegistryKey: return "key";
        case FoundItem::Kind::Rows: return "rows";
        case FoundItem::Kind::Store: return "store";
    }
    return "file";
}

bool IsRegistry(FoundItem::Kind kind) {
    return kind == FoundItem::Kind::RegistryValue || kind == FoundItem::Kind::RegistryKey;
}

// {"kind": "file", "path": <folder>, "name": ..., "size": ..., "time": ...}; registry items name
// their key as "key".
std::string JsonItem(const FoundItem& item) {
    const std::string time = IsoTime(item.lastWrite);
    return std::string("{\"kind\": \"") + KindName(item.kind) + "\", " + (IsRegistry(item.kind) ? "\"key\": " : "\"path\": ") +
           JsonString(item.place) + ", \"name\": " + JsonString(item.name) + ", \"size\": " + Number(item.size) +
           ", \"time\": " + (time.empty() ? "null" : JsonString(time)) + "}";
}

std::string JsonItems(const std::vector<FoundItem>& items) {
    if (items.empty()) return "[]";
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ",\n      " : "\n      ") + JsonItem(items[i]);
    return out + "\n    ]";
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::string IsoTime(uint64_t fileTime) {
    constexpr uint64_t kTicksPerSecond = 10000000;
    constexpr uint64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
    const uint64_t seconds = fileTime / kTicksPerSecond;
    if (fileTime == 0 || seconds < kUnixEpochSeconds) return {};
    const uint64_t unix = seconds - kUnixEpochSeconds;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(static_cast<int64_t>(unix / 86400), year, month, day);
    const uint64_t inDay = unix % 86400;
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(year), month, day,
                  static_cast<unsigned>(inDay / 3600), static_cast<unsigned>(inDay / 60 % 60),
                  static_cast<unsigned>(inDay % 60));
    return text;
}

std::string PlainDetailLine(const FoundItem& item) {
    const std::string indent = "    ";
    switch (item.kind) {
        case FoundItem::Kind::File: {
            std::string line = indent;
            // A cache record without a file of its own is named by its address alone.
            if (item.name.empty()) line += item.place;
            else if (!item.place.empty()) line += item.place + (item.place.back() == '\\' ? "" : "\\");
            line += item.name + "  " + FormatSize(item.size);
            const std::string time = IsoTime(item.lastWrite);
            return time.empty() ? line : line + "  " + time;
        }
        case FoundItem::Kind::RegistryValue:
            return indent + item.place + "  value " + (item.name.empty() ? "(default)" : "\"" + item.name + "\"");
        case FoundItem::Kind::RegistryKey: return indent + item.place + "  (" + CountText(static_cast<uint32_t>(item.size)) + " values)";
        case FoundItem::Kind::Rows: return indent + item.place + "  table " + item.name + ": " + CountText(static_cast<uint32_t>(item.size)) + " rows";
        case FoundItem::Kind::Store: return indent + item.place + ": " + CountText(static_cast<uint32_t>(item.size)) + " items";
    }
    return indent + item.place;
}

std::string JsonList(const std::vector<ListedTarget>& targets) {
    std::string out = "{\n  \"targets\": [";
    for (size_t i = 0; i < targets.size(); ++i) {
        const ListedTarget& t = targets[i];
        out += i ? ",\n    {" : "\n    {";
        out += "\"id\": " + JsonString(t.id) + ", \"category\": " + JsonString(t.category) +
               ", \"selected\": " + (t.selected ? "true" : "false") +
               ", \"locked\": " + (t.lock.empty() ? "null" : JsonString(t.lock)) +
               ", \"warning\": " + (t.warning.empty() ? "null" : JsonString(t.warning)) + "}";
    }
    return out + (targets.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::string JsonReport(const RunReport& r) {
    std::string out = "{\n";
    out += "  \"program\": \"Tracelorn\",\n";
    out += "  \"version\": " + JsonString(r.version) + ",\n";
    out += "  \"action\": " + JsonString(r.action) + ",\n";
    out += "  \"start\": " + JsonString(r.start) + ",\n";
    out += "  \"end\": " + JsonString(r.end) + ",\n";
    out += "  \"overwrite\": " + Number(static_cast<uint64_t>(r.overwrite)) + ",\n";
    out += "  \"stopped\": " + std::string(r.stopped ? "true" : "false") + ",\n";
    out += "  \"exitCode\": " + Number(static_cast<uint64_t>(r.exitCode)) + ",\n";
    out += "  \"targets\": [";
    for (size_t i = 0; i < r.targets.size(); ++i) {
        const TargetResult& t = r.targets[i];
        out += i ? ",\n    {" : "\n    {";
        out += "\"id\": " + JsonString(t.id) + ", " + Counters(t.counters) +
               ", \"skipped\": " + (t.skipped.empty() ? "null" : JsonString(t.skipped));
        if (r.details) out += ", \"details\": " + JsonItems(t.found);
        out += "}";
    }
    out += r.targets.empty() ? "],\n" : "\n  ],\n";
    out += "  \"summary\": {" + Counters(r.summary) + "}\n}\n";
    return out;
}

std::string PlainTargetLine(const std::string& name, const RunCounters& counters) { return name + Columns(counters); }

std::string PlainSummaryLine(const std::string& action, const RunCounters& counters) {
    return "Summary " + action + " Information:" + Columns(counters);
}

std::string PlainListLine(const ListedTarget& t) {
    std::string line = std::string(t.selected ? "[x] " : "[ ] ") + t.id;
    if (!t.lock.empty()) line += "  (" + t.lock + ": set by your administrator)";
    if (!t.warning.empty()) line += "  ! " + t.warning;
    return line;
}
