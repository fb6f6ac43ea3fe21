// The winapp2.ini reader, and the stored form of what it read: whatever the bytes, reading ends
// with a result, and a stored import reads back as the same targets.
#include "targets/ImportStore.h"
#include "targets/WinappIni.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Latin-1 stands in for the code page in the native build.
    const WinappReadResult read = ReadWinappIni(bytes, [](std::string_view ansi, std::string& out) {
        out.clear();
        for (unsigned char c : ansi) {
            if (c < 0x80) out += static_cast<char>(c);
            else out += static_cast<char>(0xC0 | (c >> 6)), out += static_cast<char>(0x80 | (c & 0x3F));
        }
        return true;
    });
    if (!read.ok) return 0;
    MemoryStream stored;
    WriteImport(read.targets, stored);
    MemoryStream in(stored.Bytes());
    auto back = ReadImport(in);
    if (!back) std::abort();
    MemoryStream again;
    WriteImport(*back, again);
    if (again.Bytes() != stored.Bytes() && back->size() == read.targets.size()) std::abort();
    return 0;
}
