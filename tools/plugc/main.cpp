// plugc: compiles a readable plug-in source to a ".tlp" file, and prints a ".tlp" back as text.
//   plugc compile <source.txt> <out.tlp>
//   plugc print <file.tlp>
#include "targets/PluginText.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace {
bool ReadAll(const char* path, std::string& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "compile" && argc == 4) {
        std::string text;
        if (!ReadAll(argv[2], text)) { std::cerr << argv[2] << ": cannot read\n"; return 1; }
        PluginTextResult parsed = ParsePluginText(text);
        if (!parsed.record) { std::cerr << argv[2] << ": " << parsed.error << "\n"; return 1; }
        MemoryStream out;
        if (WriteTargetRecord(*parsed.record, out) != RecordWriteResult::Ok) return 1;
        std::ofstream f(argv[3], std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(out.Bytes().data()), out.Bytes().size());
        if (!f) { std::cerr << argv[3] << ": cannot write\n"; return 1; }
        return 0;
    }
    if (mode == "print" && argc == 3) {
        std::string bytes;
        if (!ReadAll(argv[2], bytes)) { std::cerr << argv[2] << ": cannot read\n"; return 1; }
        MemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        auto record = ReadTargetRecord(in);
        if (!record) { std::cerr << argv[2] << ": not a plug-in target file\n"; return 1; }
        std::cout << PrintPluginText(*record);
        return 0;
    }
    std::cerr << "usage: plugc compile <source.txt> <out.tlp> | plugc print <file.tlp>\n";
    return 2;
}
