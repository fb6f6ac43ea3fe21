// packager: writes the setup program's files from the setup image built for Windows.
//
//   packager uninst <image> <data-dir> <out>          Uninst.exe: the three trees, start marker 1
//   packager setup <image> <data-dir> <bin-dir> <out> [<ext.qvdt>]
//                                                     setup.exe: the trees, the settings' file list
//                                                     made from what is packed, the product files
//                                                     of <bin-dir>, start marker 0
//   packager verify <file> <marker> [<bin-dir>]       re-opens a written file and checks it
//
// Every written file is verified before it replaces the output.
#include "Packager.h"

#include "archive/Trailer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kInstallerMarker = 0;
// The product files beside the cleaner: the program, its console, its help, the uninstaller, the
// Group Policy templates (for administrators to copy into their policy store) and the plug-ins.
const char* const kTopFiles[] = {"Tracelorn.exe", "TracelornCmd.exe", "Tracelorn.chm", "Uninst.exe",
                                 "PolicyDefinitions/Tracelorn.admx", "PolicyDefinitions/en-US/Tracelorn.adml"};
const char* const kPluginFolders[] = {"STDPLUGS", "APPPLUGS"};

bool ReadFile(const fs::path& path, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    data = s.str();
    return true;
}

bool Fail(const std::string& message) {
    std::fprintf(stderr, "packager: %s\n", message.c_str());
    return false;
}

bool ProductFiles(const fs::path& bin, std::vector<packager::ProductFile>& files) {
    for (const char* name : kTopFiles) {
        packager::ProductFile file{name, {}};
        if (!ReadFile(bin / name, file.data)) return Fail("missing " + (bin / name).string());
        files.push_back(std::move(file));
    }
    for (const char* folder : kPluginFolders) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(bin / folder, error)) {
            if (entry.is_regular_file() && entry.path().extension() == ".tlp") names.push_back(entry.path().filename().string());
        }
        if (error) return Fail("cannot list " + (bin / folder).string());
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            packager::ProductFile file{std::string(folder) + "/" + name, {}};
            if (!ReadFile(bin / folder / name, file.data)) return Fail("cannot read " + name);
            files.push_back(std::move(file));
        }
    }
    return true;
}

bool Trees(const fs::path& data, std::vector<packager::Member>& members, QV::TreeNode* settings) {
    for (const char* name : {"lng.lngp", "res.qvdt", "set.qvdt"}) {
        packager::Member member{name, {}};
        if (!ReadFile(data / name, member.data)) return Fail("missing " + (data / name).string());
        if (settings && member.name == "set.qvdt") {
            QV::MemoryStream in(member.data.data(), member.data.size());
            if (!settings->Read(in)) return Fail("set.qvdt is not a tree");
        }
        members.push_back(std::move(member));
    }
    return true;
}

bool WriteVerified(const std::string& bytes, const fs::path& out, int32_t marker,
                   const std::vector<packager::ProductFile>* expected) {
    const std::string problem = packager::Verify(bytes, marker, expected);
    if (!problem.empty()) return Fail(out.string() + ": " + problem);
    const fs::path temporary = out.string() + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), std::streamsize(bytes.size()));
        if (!file.good()) return Fail("cannot write " + temporary.string());
    }
    std::error_code error;
    fs::rename(temporary, out, error);
    return !error || Fail("cannot replace " + out.string());
}

bool Uninst(const fs::path& image, const fs::path& data, const fs::path& out) {
    std::string program;
    if (!ReadFile(image, program)) return Fail("missing " + image.string());
    std::vector<packager::Member> members;
    if (!Trees(data, members, nullptr)) return false;
    const std::string bytes = packager::BuildSetupFile(program, members, std::string(), setup::Trailer::kUninstaller);
    return WriteVerified(bytes, out, setup::Trailer::kUninstaller, nullptr);
}

bool Setup(const fs::path& image, const fs::path& data, const fs::path& bin, const fs::path& out,
           const fs::path& extensionPath) {
    std::string program, extension;
    if (!ReadFile(image, program)) return Fail("missing " + image.string());
    if (!extensionPath.empty() && !ReadFile(extensionPath, extension)) return Fail("missing " + extensionPath.string());
    std::vector<packager::ProductFile> files;
    if (!ProductFiles(bin, files)) return false;
    std::vector<packager::Member> members;
    QV::TreeNode settings;
    if (!Trees(data, members, &settings)) return false;
    packager::FillFileList(settings, files);
    QV::MemoryStream encoded;
    if (!settings.Write(encoded)) return Fail("cannot encode set.qvdt");
    members.back().data.assign(reinterpret_cast<const char*>(encoded.Data()), size_t(encoded.Size()));
    for (const packager::ProductFile& file : files) members.push_back({file.relative, file.data});
    const std::string bytes = packager::BuildSetupFile(program, members, extension, kInstallerMarker);
    return WriteVerified(bytes, out, kInstallerMarker, &files);
}

bool VerifyFile(const fs::path& file, int32_t marker, const fs::path& bin) {
    std::string bytes;
    if (!ReadFile(file, bytes)) return Fail("missing " + file.string());
    std::vector<packager::ProductFile> files;
    if (!bin.empty() && !ProductFiles(bin, files)) return false;
    const std::string problem = packager::Verify(bytes, marker, bin.empty() ? nullptr : &files);
    if (!problem.empty()) return Fail(file.string() + ": " + problem);
    std::printf("%s: ok\n", file.string().c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    bool ok = false;
    if (command == "uninst" && argc == 5) {
        ok = Uninst(argv[2], argv[3], argv[4]);
    } else if (command == "setup" && (argc == 6 || argc == 7)) {
        ok = Setup(argv[2], argv[3], argv[4], argv[5], argc == 7 ? argv[6] : "");
    } else if (command == "verify" && (argc == 4 || argc == 5)) {
        ok = VerifyFile(argv[2], std::atoi(argv[3]), argc == 5 ? argv[4] : "");
    } else {
        std::fprintf(stderr,
                     "usage: packager uninst <image> <data-dir> <out>\n"
                     "       packager setup <image> <data-dir> <bin-dir> <out> [<ext.qvdt>]\n"
                     "       packager verify <file> <marker> [<bin-dir>]\n");
        return 2;
    }
    return ok ? 0 : 1;
}
