#include "Packager.h"

#include "archive/Trailer.h"
#include "archive/ZipReader.h"
#include "config/InstallSettings.h"
#include "config/LanguageSet.h"
#include "config/Text.h"

#include <zlib.h>

#include <map>

namespace packager {

namespace {

void Put16(std::string& out, uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string Deflate(const std::string& data) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return std::string();
    std::string out(deflateBound(&z, uLong(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int status = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return status == Z_STREAM_END ? out : std::string();
}

std::string ReadAll(QV::MemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Data()), size_t(stream.Size()));
}

}  // namespace

std::string BuildArchive(const std::vector<Member>& members, uint32_t base) {
    std::string body;
    std::string directory;
    for (const Member& member : members) {
        const uint32_t crc = uint32_t(crc32(0L, reinterpret_cast<const Bytef*>(member.data.data()),
                                            uInt(member.data.size())));
        std::string packed = Deflate(member.data);
        uint16_t method = 8;
        if (packed.empty() && !member.data.empty()) packed = member.data, method = 0;
        if (packed.size() >= member.data.size()) packed = member.data, method = 0;
        const uint32_t offset = base + uint32_t(body.size());

        Put32(body, 0x04034B50);
        Put16(body, 20);  // version needed
        Put16(body, 0);   // flags
        Put16(body, method);
        Put16(body, kDosTime);
        Put16(body, kDosDate);
        Put32(body, crc);
        Put32(body, uint32_t(packed.size()));
        Put32(body, uint32_t(member.data.size()));
        Put16(body, uint32_t(member.name.size()));
        Put16(body, 0);
        body += member.name;
        body += packed;

        Put32(directory, 0x02014B50);
        Put16(directory, 20);  // made by: MS-DOS host, so the attribute byte is read as Windows attributes
        Put16(directory, 20);
        Put16(directory, 0);
        Put16(directory, method);
        Put16(directory, kDosTime);
        Put16(directory, kDosDate);
        Put32(directory, crc);
        Put32(directory, uint32_t(packed.size()));
        Put32(directory, uint32_t(member.data.size()));
        Put16(directory, uint32_t(member.name.size()));
        Put16(directory, 0);  // extra
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, 0x20);  // archive
        Put32(directory, offset);
        directory += member.name;
    }
    const uint32_t directoryOffset = base + uint32_t(body.size());
    std::string archive = body + directory;
    Put32(archive, 0x06054B50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, uint32_t(members.size()));
    Put16(archive, uint32_t(members.size()));
    Put32(archive, uint32_t(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, 0);
    return archive;
}

std::string BuildSetupFile(const std::string& image, const std::vector<Member>& members,
                           const std::string& extension, int32_t marker) {
    std::string file = image;
    file += BuildArchive(members, uint32_t(image.size()));
    const uint32_t extensionOffset = extension.empty() ? 0 : uint32_t(file.size());
    file += extension;
    Put32(file, uint32_t(image.size()));
    Put32(file, extensionOffset);
    Put32(file, uint32_t(marker));
    return file;
}

void FillFileList(QV::TreeNode& settings, const std::vector<ProductFile>& files) {
    QV::TreeNode* list = settings.Child("files", true);
    list->Clear();
    uint64_t bytes = 0;
    for (const ProductFile& file : files) {
        QV::TreeNode* folder = list;
        std::string rest = file.relative;
        for (size_t slash; (slash = rest.find('/')) != std::string::npos; rest.erase(0, slash + 1)) {
            folder = folder->Child(rest.substr(0, slash), true);
        }
        folder->SetString(rest, setup::Utf8ToU16(file.relative));
        bytes += file.data.size();
    }
    auto count = std::make_unique<QV::TreeProperty>("fcount", QV::TypeDword);
    count->SetInteger(QV::TypeDword, uint32_t(files.size()));
    settings.SetProperty(std::move(count));
    auto size = std::make_unique<QV::TreeProperty>("fsize", QV::TypeDword);
    size->SetInteger(QV::TypeDword, uint32_t(bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : bytes));
    settings.SetProperty(std::move(size));
}

namespace {

// Walks the "files" node: every member it names is found and, when known, equals the packed file.
std::string CheckFiles(const setup::ZipReader& reader, const QV::TreeNode& list, const std::string& prefix,
                       const std::map<std::string, std::string>& expected, size_t& count, uint64_t& bytes) {
    for (const auto& [name, property] : list.Properties()) {
        if (property->Type() != QV::TypeWideString) return "files entry " + prefix + name + " is not a string";
        auto data = reader.ExtractToMemory(property->Wide());
        if (!data) return "member " + setup::U16ToUtf8(property->Wide()) + " missing or damaged";
        ++count;
        bytes += data->Size();
        if (expected.empty()) continue;
        const auto it = expected.find(prefix + name);
        if (it == expected.end()) return "unexpected file " + prefix + name;
        if (it->second != ReadAll(*data)) return "member " + prefix + name + " differs from its file";
    }
    for (const auto& [name, child] : list.Children()) {
        const std::string problem = CheckFiles(reader, *child, prefix + name + "/", expected, count, bytes);
        if (!problem.empty()) return problem;
    }
    return std::string();
}

}  // namespace

std::string Verify(const std::string& file, int32_t marker, const std::vector<ProductFile>* expected) {
    QV::MemoryStream stream(file.data(), file.size());
    setup::ZipReader reader;
    if (!reader.Open(stream)) return "no archive found";
    const auto trailer = setup::ReadTrailer(stream);
    if (!trailer) return "no trailer";
    if (trailer->startMarker != marker) return "start marker " + std::to_string(trailer->startMarker);
    setup::ZipEntry first;
    if (!reader.EntryAt(0, first) || first.localHeaderOffset != uint64_t(uint32_t(trailer->archiveOffset)) ||
        reader.Shift() != 0) {
        return "archive offset does not match the trailer";
    }
    if (trailer->extensionOffset != 0) {
        QV::TreeNode extension;
        if (!setup::ReadExtensionTree(stream, *trailer, extension)) return "extension tree unreadable";
    }
    QV::TreeNode language, skin, settings;
    if (!reader.LoadTree(u"lng.lngp", language)) return "lng.lngp unreadable";
    setup::LanguageSet languages;
    if (languages.Load(language) == 0) return "lng.lngp holds no language";
    if (!reader.LoadTree(u"res.qvdt", skin) || skin.Name() != "Root") return "res.qvdt unreadable";
    if (!reader.LoadTree(u"set.qvdt", settings)) return "set.qvdt unreadable";
    setup::InstallSettings parsed;
    parsed.Load(settings);
    if (parsed.Version() == setup::InstallSettings::kDefaultVersion) return "set.qvdt has no version";

    std::map<std::string, std::string> byPath;
    if (expected) {
        for (const ProductFile& f : *expected) byPath[f.relative] = f.data;
    }
    size_t count = 0;
    uint64_t bytes = 0;
    const QV::TreeNode* list = settings.Child("files");
    if (list) {
        const std::string problem = CheckFiles(reader, *list, std::string(), byPath, count, bytes);
        if (!problem.empty()) return problem;
    }
    if (expected && count != expected->size()) return "files lists " + std::to_string(count) + " files";
    if (count != parsed.FileCount()) return "fcount " + std::to_string(parsed.FileCount()) + " for " + std::to_string(count) + " files";
    if (bytes != parsed.FileSize()) return "fsize does not match the files";
    return std::string();
}

}  // namespace packager
