// treedata: compiles the readable source of a tree-data file (see TreeText.h) into the binary
// form the setup program reads, and prints a binary tree-data file back as source text.
//
//   treedata compile <source.txt> <output>
//   treedata print <file>
#include "TreeText.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

int Compile(const char* source, const char* output) {
    QV::TreeNode root;
    std::string error;
    if (!treedata::CompileFile(source, root, error)) {
        std::fprintf(stderr, "treedata: %s\n", error.c_str());
        return 1;
    }
    QV::MemoryStream buffer;
    if (!root.Write(buffer)) {
        std::fprintf(stderr, "treedata: cannot encode %s\n", source);
        return 1;
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(buffer.Data()), std::streamsize(buffer.Size()));
    if (!out.good()) {
        std::fprintf(stderr, "treedata: cannot write %s\n", output);
        return 1;
    }
    return 0;
}

int Print(const char* file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "treedata: cannot read %s\n", file);
        return 1;
    }
    std::ostringstream s;
    s << in.rdbuf();
    const std::string bytes = s.str();
    QV::MemoryStream stream(bytes.data(), bytes.size());
    QV::TreeNode root;
    if (!root.Read(stream)) {
        std::fprintf(stderr, "treedata: %s is not a well-formed tree-data file\n", file);
        return 1;
    }
    if (stream.Tell() != stream.Size()) {
        std::fprintf(stderr, "treedata: %s: %llu bytes after the root node\n", file,
                     static_cast<unsigned long long>(stream.Size() - stream.Tell()));
    }
    const std::string text = treedata::PrintTree(root);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "compile" && argc == 4) return Compile(argv[2], argv[3]);
    if (command == "print" && argc == 3) return Print(argv[2]);
    std::fprintf(stderr, "usage: treedata compile <source> <output>\n       treedata print <file>\n");
    return 2;
}
