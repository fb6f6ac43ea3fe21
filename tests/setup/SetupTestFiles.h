#pragma once
// Test inputs of the setup tests: the committed archives made by real tools (archives/, see
// make_archives.sh) and the shipped data files the build compiled (<build>/data/setup/).
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace setup_test {

// This folder. The native tests get the source folder from the build; __FILE__ is only a fallback,
// since a compiler launcher may rewrite it to a path relative to the build folder.
inline std::string TestsFolder() {
#ifdef TL_SOURCE_DIR
    return std::string(TL_SOURCE_DIR) + "/tests/setup";
#endif
    std::string here = __FILE__;
    const size_t slash = here.find_last_of("/\\");
    return here.substr(0, slash);
}

inline std::string ArchivePath(const std::string& name) { return TestsFolder() + "/archives/" + name; }

inline bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
    return true;
}

// Test programs run in <build>/tests; the shipped data lies in <build>/data/setup.
inline std::string ShippedDataPath(const std::string& name) { return "../data/setup/" + name; }

}  // namespace setup_test
