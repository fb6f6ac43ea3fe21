#pragma once
// Test inputs of the setup tests: the committed archives made by real tools (archives/, see
// make_archives.sh) and the shipped data files the build compiled (<build>/data/setup/).
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace setup_test {

// This folder, as an absolute Linux path (the build names the tests' source folder).
inline std::string TestsFolder() { return std::string(TL_TESTS_DIR) + "/setup"; }

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
