#include "console/ConsoleReport.h"

#include "engine/SizeFormat.h"

#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
size_t SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    size_t n = 0;
    uint32_t cp = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
    else return 0;
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

std::string Number(uint64_t value) { return std::to_string(value); }

std::string Counters(const RunCounters& c) {
    return "\"files\": " + Number(c.files) + ", \"items\": " + Number(c.items) + ", \"bytes\": " + Number(c.bytes);
}

std::string Columns(const RunCounters& c) {
    return "  Files: " + CountText(c.files) + "  Items: " + CountText(c.items) + "  Disk space: " + FormatSize(c.bytes);
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t n = SequenceLength(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out + "\"";
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
               ", \"skipped\": " + (t.skipped.empty() ? "null" : JsonString(t.skipped)) + "}";
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
