// tl_publish: writes an update server folder from the build, and manages the signing key.
//
//   tl_publish folder OUT KEY.pem PLUGINS BANNERS.txt BANNER_VERSION PLUGIN_VERSION [BINDING]
//       OUT/update.prm and OUT/updateplg.prm with their signatures (.sig: r||s, 64 bytes, ECDSA
//       P-256 over the SHA-256 of the list), OUT/STDPLUGS and OUT/APPPLUGS copied from
//       PLUGINS/STDPLUGS and PLUGINS/APPPLUGS, and OUT/banner.qbf from the banners that
//       BANNERS.txt describes. Serve the folder that holds OUT as-is with any static HTTP server.
//   tl_publish resign OUT KEY.pem [BINDING]
//       signs OUT/update.prm again with a new sequence and expiry, bound to OUT/updateplg.prm as
//       it is now; nothing else changes. Run it before the lists expire.
//   BINDING, the options of both:
//       --sequence N      the list's sequence; it must be above the one OUT/update.prm has (default:
//                         the publication time in seconds since 1970 UTC, or one above OUT's when
//                         that is higher), since clients refuse a lower one
//       --expires TIME    when clients stop taking the list, UTC: YYYY-MM-DD or YYYY-MM-DDTHH:MM
//       --days N          expires N days after publication (default 30)
//   tl_publish genkey KEY.pem      a new private key (kept out of the repository); prints its
//                                  public half in the form the build reads (hex X||Y)
//   tl_publish pubkey KEY.pem      prints the public half of a key (hex X||Y)
//   tl_publish rawkey KEY.pem      prints hex X||Y||d, for tests that sign lists of their own
//   tl_publish sign FILE KEY.pem   writes FILE.sig
#include "schedule/UpdateLists.h"
#include "targets/ByteStream.h"
#include "targets/PropertyTree.h"

#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "tl_publish: %s\n", message.c_str());
    return 1;
}

std::optional<Bytes> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string Hex(const uint8_t* data, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 15];
    }
    return out;
}

struct PkeyDeleter {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyDeleter>;

Pkey LoadKey(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    Pkey key(PEM_read_PrivateKey(f, nullptr, nullptr, nullptr));
    std::fclose(f);
    if (!key || !EVP_PKEY_is_a(key.get(), "EC")) return nullptr;
    char group[64] = {};
    size_t len = 0;
    if (!EVP_PKEY_get_utf8_string_param(key.get(), OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, &len) ||
        std::strcmp(group, "prime256v1") != 0)
        return nullptr;
    return key;
}

// X||Y of the key's public point.
std::optional<Bytes> PublicXY(EVP_PKEY* key) {
    EVP_PKEY_set_utf8_string_param(key, OSSL_PKEY_PARAM_EC_POINT_CONVERSION_FORMAT, "uncompressed");
    uint8_t point[65];
    size_t len = 0;
    if (!EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, &len) || len != 65 ||
        point[0] != 0x04)
        return std::nullopt;
    return Bytes(point + 1, point + 65);
}

std::optional<Bytes> PrivateD(EVP_PKEY* key) {
    BIGNUM* d = nullptr;
    if (!EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_PRIV_KEY, &d)) return std::nullopt;
    Bytes out(32);
    const bool ok = BN_bn2binpad(d, out.data(), 32) == 32;
    BN_clear_free(d);
    if (!ok) return std::nullopt;
    return out;
}

update::Sha256Digest Sha256(const Bytes& data) {
    update::Sha256Digest digest{};
    unsigned int len = 0;
    EVP_Digest(data.data(), data.size(), digest.data(), &len, EVP_sha256(), nullptr);
    return digest;
}

// ECDSA P-256 over SHA-256 of `data`, as r||s (32 bytes each), the form CNG verifies.
std::optional<Bytes> Sign(EVP_PKEY* key, const Bytes& data) {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    size_t derLen = 0;
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key) != 1 ||
        EVP_DigestSign(ctx.get(), nullptr, &derLen, data.data(), data.size()) != 1)
        return std::nullopt;
    Bytes der(derLen);
    if (EVP_DigestSign(ctx.get(), der.data(), &derLen, data.data(), data.size()) != 1) return std::nullopt;
    const unsigned char* p = der.data();
    ECDSA_SIG* sig = d2i_ECDSA_SIG(nullptr, &p, static_cast<long>(derLen));
    if (!sig) return std::nullopt;
    Bytes out(64);
    const bool ok = BN_bn2binpad(ECDSA_SIG_get0_r(sig), out.data(), 32) == 32 &&
                    BN_bn2binpad(ECDSA_SIG_get0_s(sig), out.data() + 32, 32) == 32;
    ECDSA_SIG_free(sig);
    if (!ok) return std::nullopt;
    return out;
}

Bytes TreeBytes(const PropertyTree& tree) {
    MemoryStream out;
    tree.Write(out);
    return out.Bytes();
}

bool WriteSigned(EVP_PKEY* key, const fs::path& path, const Bytes& bytes) {
    std::optional<Bytes> sig = Sign(key, bytes);
    fs::path sigPath = path;
    sigPath += ".sig";
    return sig && WriteFile(path, bytes) && WriteFile(sigPath, *sig);
}

std::string AsText(const update::Sha256Digest& d) { return std::string(d.begin(), d.end()); }

constexpr uint32_t kDefaultDays = 30;

// The sequence and expiry of one publication, from the options and the list already in OUT.
struct Binding {
    uint32_t sequence = 0;
    uint32_t expires = 0;
};

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM" (UTC) as seconds since 1970.
std::optional<int64_t> ParseUtc(const std::string& text) {
    std::tm tm{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    char tail = 0;
    const int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &year, &month, &day, &hour, &minute, &tail);
    if (!(n == 3 && text.size() == 10) && n != 5) return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || year < 1970) return std::nullopt;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    return static_cast<int64_t>(timegm(&tm));
}

std::optional<uint32_t> PreviousSequence(const fs::path& out) {
    std::optional<Bytes> bytes = ReadFile(out / "update.prm");
    std::optional<PropertyTree> list = bytes ? update::ReadList(*bytes) : std::nullopt;
    if (!list || list->NodeCount() == 0) return std::nullopt;
    const Property* p = list->Node(0).Find(update::kSequenceName);
    if (!p || p->type != static_cast<uint8_t>(PropertyType::Integer)) return std::nullopt;
    return p->number;
}

std::optional<Binding> Refuse(const std::string& message) {
    Fail(message);
    return std::nullopt;
}

std::optional<Binding> ReadBindingOptions(const fs::path& out, int argc, char** args) {
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    std::optional<int64_t> sequence, expires;
    int64_t days = kDefaultDays;
    for (int i = 0; i < argc; i += 2) {
        const std::string option = args[i];
        if (i + 1 >= argc) return Refuse(option + ": a value is missing");
        const std::string value = args[i + 1];
        if (option == "--sequence") sequence = std::stoll(value);
        else if (option == "--days") days = std::stoll(value);
        else if (option == "--expires") {
            expires = ParseUtc(value);
            if (!expires) return Refuse(value + ": not a UTC time (YYYY-MM-DD or YYYY-MM-DDTHH:MM)");
        } else return Refuse(option + ": unknown option");
    }
    if (!expires) expires = now + days * 86400;
    const std::optional<uint32_t> previous = PreviousSequence(out);
    if (!sequence) sequence = std::max<int64_t>(now, previous ? int64_t{*previous} + 1 : 0);
    if (*sequence <= 0 || *sequence > 0xFFFFFFFFll) return Refuse("the sequence must be 1 to 4294967295");
    if (previous && *sequence <= *previous)
        return Refuse("sequence " + std::to_string(*sequence) + " is not above the published " + std::to_string(*previous) +
                    ": clients would refuse it");
    if (*expires <= now || *expires > 0xFFFFFFFFll) return Refuse("the expiry must lie in the future");
    return Binding{static_cast<uint32_t>(*sequence), static_cast<uint32_t>(*expires)};
}

// The first node's binding: the sequence, the expiry and the plug-in list it was published with.
void Bind(PropertyNode& node, const Binding& binding, const Bytes& pluginList) {
    node.SetInteger(update::kSequenceName, binding.sequence);
    const std::array<uint8_t, 4> expires = update::StampBytes(binding.expires);
    node.SetStamp(update::kExpiresName, expires[0], expires[1], expires[2], expires[3]);
    node.SetString(update::kPluginListHashName, AsText(Sha256(pluginList)));
}

std::string UtcText(uint32_t instant) {
    const std::time_t t = instant;
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", std::gmtime(&t));
    return text;
}

// One banner of BANNERS.txt: "file=NAME frames=N width=W anim=MS type=T x=X y=Y url=URL" (file is
// relative to BANNERS.txt; the others are optional).
struct BannerSpec {
    fs::path image;
    std::map<std::string, uint32_t> integers;
    std::string url;
};

std::optional<std::vector<BannerSpec>> ReadBannerSpecs(const fs::path& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    static const std::map<std::string, std::string> kProperties = {
        {"frames", "NumImages"}, {"width", "ImageWidth"}, {"anim", "AnimTime"},
        {"type", "AnimType"},    {"x", "WndX"},           {"y", "WndY"}};
    std::vector<BannerSpec> specs;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        BannerSpec spec;
        std::string word;
        while (words >> word) {
            const size_t eq = word.find('=');
            if (eq == std::string::npos) return std::nullopt;
            const std::string name = word.substr(0, eq), value = word.substr(eq + 1);
            if (name == "file") spec.image = path.parent_path() / value;
            else if (name == "url") spec.url = value;
            else if (auto p = kProperties.find(name); p != kProperties.end())
                spec.integers[p->second] = static_cast<uint32_t>(std::stoul(value));
            else return std::nullopt;
        }
        if (spec.image.empty()) return std::nullopt;
        specs.push_back(std::move(spec));
    }
    return specs;
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
void AppendU32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// "QBF1", the entry count, the entry headers (two unused u32s, the data offset, the node), then
// each entry's data block (u32 byte count and the image).
std::optional<Bytes> BuildBannerFile(const std::vector<BannerSpec>& specs) {
    Bytes file = {'Q', 'B', 'F', '1'};
    AppendU32(file, static_cast<uint32_t>(specs.size()));
    std::vector<size_t> offsetSlots;
    std::vector<Bytes> images;
    for (const BannerSpec& spec : specs) {
        std::optional<Bytes> image = ReadFile(spec.image);
        if (!image || image->empty()) return std::nullopt;
        images.push_back(std::move(*image));
        AppendU32(file, 0);
        AppendU32(file, 0);
        offsetSlots.push_back(file.size());
        AppendU32(file, 0);
        PropertyNode node("Banner", 0);
        for (const auto& [name, value] : spec.integers) node.SetInteger(name, value);
        if (!spec.url.empty()) node.SetString("URL", spec.url);
        MemoryStream encoded;
        node.Write(encoded);
        file.insert(file.end(), encoded.Bytes().begin(), encoded.Bytes().end());
    }
    for (size_t i = 0; i < images.size(); ++i) {
        PutU32(file, offsetSlots[i], static_cast<uint32_t>(file.size()));
        AppendU32(file, static_cast<uint32_t>(images[i].size()));
        file.insert(file.end(), images[i].begin(), images[i].end());
    }
    return file;
}

// Copies PLUGINS/<folder>/*.tlp to OUT/<folder> and lists each with its stamp and hash. Every
// file must be one the client would save: a safe name and a plug-in that reads.
bool PublishPlugins(const fs::path& plugins, const fs::path& out, update::PluginFolder folder,
                    PropertyNode& list, PropertyNode& hashes) {
    const char* name = update::FolderName(folder);
    fs::create_directories(out / name);
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(plugins / name, ec))
        if (entry.is_regular_file() && entry.path().extension() == ".tlp") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string fileName = file.filename().string();
        std::optional<Bytes> bytes = ReadFile(file);
        std::string problem;
        if (!update::IsSafePluginFileName(fileName)) problem = ": not a name clients accept";
        else if (!bytes || !update::IsAcceptablePlugin(*bytes)) problem = ": not a plug-in clients accept";
        else if (!WriteFile(out / name / fileName, *bytes)) problem = ": cannot be written";
        if (!problem.empty()) {
            Fail(file.string() + problem);
            return false;
        }
        list.SetInteger(fileName, *update::PluginStamp(*bytes));
        hashes.SetString(update::PluginHashName(folder, fileName), AsText(Sha256(*bytes)));
    }
    return true;
}

int PublishFolder(int argc, char** args) {
    const fs::path out = args[0];
    const std::optional<Binding> binding = ReadBindingOptions(out, argc - 6, args + 6);
    if (!binding) return 1;
    Pkey key = LoadKey(args[1]);
    if (!key) return Fail(std::string(args[1]) + ": not a P-256 private key");
    const fs::path plugins = args[2];
    std::optional<std::vector<BannerSpec>> specs = ReadBannerSpecs(args[3]);
    if (!specs || specs->empty()) return Fail(std::string(args[3]) + ": no banners");
    const uint32_t bannerVersion = static_cast<uint32_t>(std::stoul(args[4]));
    const uint32_t pluginVersion = static_cast<uint32_t>(std::stoul(args[5]));

    fs::create_directories(out);
    std::optional<Bytes> banner = BuildBannerFile(*specs);
    if (!banner) return Fail("a banner image is missing or empty");
    if (!WriteFile(out / "banner.qbf", *banner)) return Fail("cannot write banner.qbf");

    PropertyTree pluginList;
    PropertyNode& standard = pluginList.AddNode("Std", 0, false);
    PropertyNode& app = pluginList.AddNode("App", 0, false);
    PropertyNode& hashes = pluginList.AddNode("Hash", 0, false);
    if (!PublishPlugins(plugins, out, update::PluginFolder::Standard, standard, hashes) ||
        !PublishPlugins(plugins, out, update::PluginFolder::Application, app, hashes))
        return 1;
    pluginList.SortNodes();

    const Bytes pluginListBytes = TreeBytes(pluginList);
    PropertyTree updateList;
    PropertyNode& versions = updateList.AddNode("Update", 0, false);
    versions.SetInteger("Banner", bannerVersion);
    versions.SetInteger("Plugin", pluginVersion);
    versions.SetString(update::kBannerHashName, AsText(Sha256(*banner)));
    Bind(versions, *binding, pluginListBytes);

    if (!WriteSigned(key.get(), out / "updateplg.prm", pluginListBytes) ||
        !WriteSigned(key.get(), out / "update.prm", TreeBytes(updateList)))
        return Fail("cannot sign or write the lists");
    std::printf("%s: %zu standard and %zu application plug-ins, %zu banners; sequence %u, expires %s\n",
                out.string().c_str(), standard.Properties().size(), app.Properties().size(), specs->size(),
                binding->sequence, UtcText(binding->expires).c_str());
    return 0;
}

int Resign(int argc, char** args) {
    const fs::path out = args[0];
    Pkey key = LoadKey(args[1]);
    if (!key) return Fail(std::string(args[1]) + ": not a P-256 private key");
    std::optional<Bytes> listBytes = ReadFile(out / "update.prm");
    std::optional<PropertyTree> list = listBytes ? update::ReadList(*listBytes) : std::nullopt;
    std::optional<Bytes> pluginList = ReadFile(out / "updateplg.prm");
    if (!list || list->NodeCount() == 0 || !pluginList) return Fail(out.string() + ": no published lists to sign again");
    const std::optional<Binding> binding = ReadBindingOptions(out, argc - 2, args + 2);
    if (!binding) return 1;
    Bind(list->Node(0), *binding, *pluginList);
    if (!WriteSigned(key.get(), out / "update.prm", TreeBytes(*list))) return Fail("cannot sign or write update.prm");
    std::printf("%s: sequence %u, expires %s\n", out.string().c_str(), binding->sequence,
                UtcText(binding->expires).c_str());
    return 0;
}

int PrintKey(const char* path, bool withPrivate) {
    Pkey key = LoadKey(path);
    if (!key) return Fail(std::string(path) + ": not a P-256 private key");
    std::optional<Bytes> xy = PublicXY(key.get());
    std::optional<Bytes> d = withPrivate ? PrivateD(key.get()) : Bytes{};
    if (!xy || !d) return Fail("cannot read the key's numbers");
    std::printf("%s%s\n", Hex(xy->data(), xy->size()).c_str(), Hex(d->data(), d->size()).c_str());
    return 0;
}

int GenerateKey(const char* path) {
    if (fs::exists(path)) return Fail(std::string(path) + " exists; not overwritten");
    Pkey key(EVP_EC_gen("P-256"));
    if (!key) return Fail("key generation failed");
    FILE* f = std::fopen(path, "wb");
    if (!f) return Fail(std::string("cannot create ") + path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    const bool ok = PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(f);
    if (!ok) return Fail("cannot write the key");
    return PrintKey(path, false);
}

int SignFile(const char* file, const char* keyPath) {
    Pkey key = LoadKey(keyPath);
    if (!key) return Fail(std::string(keyPath) + ": not a P-256 private key");
    std::optional<Bytes> bytes = ReadFile(file);
    std::optional<Bytes> sig = bytes ? Sign(key.get(), *bytes) : std::nullopt;
    if (!sig || !WriteFile(std::string(file) + ".sig", *sig)) return Fail(std::string("cannot sign ") + file);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "folder" && argc >= 8) return PublishFolder(argc - 2, argv + 2);
        if (command == "resign" && argc >= 4) return Resign(argc - 2, argv + 2);
        if (command == "genkey" && argc == 3) return GenerateKey(argv[2]);
        if (command == "pubkey" && argc == 3) return PrintKey(argv[2], false);
        if (command == "rawkey" && argc == 3) return PrintKey(argv[2], true);
        if (command == "sign" && argc == 4) return SignFile(argv[2], argv[3]);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    std::fputs("usage: tl_publish folder OUT KEY.pem PLUGINS BANNERS.txt BANNER_VERSION PLUGIN_VERSION\n"
               "                         [--sequence N] [--expires YYYY-MM-DD[THH:MM] | --days N]\n"
               "       tl_publish resign OUT KEY.pem [--sequence N] [--expires ... | --days N]\n"
               "       tl_publish genkey KEY.pem | pubkey KEY.pem | rawkey KEY.pem | sign FILE KEY.pem\n",
               stderr);
    return 2;
}
