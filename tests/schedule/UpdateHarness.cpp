#include "UpdateHarness.h"

#include "schedule/ListSignature.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateWorker.h"
#include "support/BannerWriter.h"
#include "targets/ByteStream.h"
#include "targets/PluginRecord.h"

#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <tuple>
#include <sstream>

namespace update_test {

namespace {

std::string WorkingFolder() {
    char cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    std::string path = cwd;
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The test key, as tl_publish exported it: X||Y||d.
class TestKey {
public:
    TestKey() {
        std::ifstream in(WorkingFolder() + "test-update-key.raw");
        std::string hex;
        in >> hex;
        const std::vector<uint8_t> raw = FromHex(hex);
        if (raw.size() != 96) return;
        if (::BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) return;
        std::vector<uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB));
        BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PRIVATE_P256_MAGIC, 32};
        std::memcpy(blob.data(), &header, sizeof header);
        blob.insert(blob.end(), raw.begin(), raw.end());
        if (::BCryptImportKeyPair(algorithm_, nullptr, BCRYPT_ECCPRIVATE_BLOB, &key_, blob.data(),
                                  static_cast<ULONG>(blob.size()), 0) != 0)
            key_ = nullptr;
    }
    ~TestKey() {
        if (key_) ::BCryptDestroyKey(key_);
        if (algorithm_) ::BCryptCloseAlgorithmProvider(algorithm_, 0);
    }
    std::string Sign(const std::string& bytes) const {
        if (!key_) return {};
        update::Sha256Digest digest = ListSignature::Sha256(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        uint8_t sig[64];
        ULONG n = 0;
        if (::BCryptSignHash(key_, nullptr, digest.data(), 32, sig, sizeof sig, &n, 0) != 0 || n != 64) return {};
        return std::string(reinterpret_cast<char*>(sig), 64);
    }

private:
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_KEY_HANDLE key_ = nullptr;
};

void WriteAll(const std::string& path, const std::string& bytes) {
    // Folders first, one level at a time.
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Backslashed(std::string relative) {
    for (char& c : relative)
        if (c == '/') c = '\\';
    return relative;
}

void Collect(const std::string& folder, const std::string& prefix, std::map<std::string, std::string>& out) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[prefix + name + "\\"] = "<folder>";
            Collect(folder + name + "\\", prefix + name + "\\", out);
        } else {
            out[prefix + name] = ReadFileBytes(folder + name);
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
}

}  // namespace

std::string Sign(const std::string& bytes) {
    static TestKey key;
    return key.Sign(bytes);
}

std::string Sha256(const std::string& bytes) {
    update::Sha256Digest d = ListSignature::Sha256(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    return std::string(d.begin(), d.end());
}

std::string TreeBytes(const PropertyTree& tree) {
    MemoryStream out;
    tree.Write(out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

std::string PluginFile(const std::string& targetName, uint8_t stampDay, size_t padding) {
    TargetRecord record;
    record.name = targetName;
    record.description = "Update test target";
    record.stamp = {stampDay, 1, 1, 0};
    EntryRecord entry;
    entry.kind = 2;
    entry.path = "C:\\TracelornUpdateTest\\never\\";
    entry.recurse = false;
    record.entries.push_back(entry);
    PropertyTree tree;
    if (TreeFromRecord(record, tree) != RecordWriteResult::Ok) return {};
    for (size_t i = 0; padding > 0; ++i) {
        const size_t piece = std::min<size_t>(padding, 60000);
        tree.AddNode("Zpad" + std::to_string(i), 0, true).SetString("Fill", std::string(piece, 'p'));
        padding -= piece;
    }
    return TreeBytes(tree);
}

std::string BannerBytes(int count) {
    BannerWriter writer;
    std::vector<BannerWriter::Entry> entries;
    for (int i = 0; i < count; ++i) {
        BannerWriter::Entry e;
        e.ints = {{"NumImages", 1}, {"ImageWidth", 20}};
        e.image = SolidBmp(20, 10, static_cast<uint8_t>(40 * i), 100, 200);
        entries.push_back(e);
    }
    const std::vector<uint8_t> bytes = writer.Build(entries);
    return std::string(bytes.begin(), bytes.end());
}

PropertyTree UpdateList(uint32_t banner, uint32_t plugin, const std::string& bannerBytes) {
    PropertyTree tree;
    PropertyNode& node = tree.AddNode("Update", 0, false);
    node.SetInteger("Banner", banner);
    node.SetInteger("Plugin", plugin);
    node.SetString(update::kBannerHashName, Sha256(bannerBytes));
    return tree;
}

ServerFolder::ServerFolder(const std::string& name) : name_(name) {
    folder_ = WorkingFolder() + "update-www\\" + name + "\\tracelorn\\2\\";
    RemoveTree(WorkingFolder() + "update-www\\" + name);
}

int ServerFolder::Port() {
    std::ifstream in(WorkingFolder() + "update-server.port");
    int port = 0;
    in >> port;
    return port;
}

std::string ServerFolder::Base() const {
    return "http://127.0.0.1:" + std::to_string(Port()) + "/" + name_ + "/tracelorn/2/";
}

void ServerFolder::Put(const std::string& relative, const std::string& bytes) const {
    WriteAll(folder_ + Backslashed(relative), bytes);
}

std::string ServerFolder::Get(const std::string& relative) const { return ReadFileBytes(folder_ + Backslashed(relative)); }

void ServerFolder::Fault(const std::string& relative, const std::string& word) const {
    Put(relative + ".fault", word);
}

void ServerFolder::Remove(const std::string& relative) const { ::DeleteFileA((folder_ + Backslashed(relative)).c_str()); }

void ServerFolder::Publish(const ServerContent& content) {
    Put("banner.qbf", content.banner);
    PropertyTree plugins;
    PropertyNode& standard = plugins.AddNode("Std", 0, false);
    PropertyNode& app = plugins.AddNode("App", 0, false);
    PropertyNode& hashes = plugins.AddNode("Hash", 0, false);
    for (const auto& [offers, node, folder] :
         {std::tuple{&content.standard, &standard, update::PluginFolder::Standard},
          std::tuple{&content.application, &app, update::PluginFolder::Application}}) {
        for (const Offer& offer : *offers) {
            node->SetInteger(offer.name, offer.stamp);
            if (!offer.serve) continue;
            Put(std::string(update::FolderName(folder)) + "/" + offer.name, offer.bytes);
            hashes.SetString(update::PluginHashName(folder, offer.name), Sha256(offer.bytes));
        }
    }
    plugins.SortNodes();
    const std::string pluginList = TreeBytes(plugins);
    Put("updateplg.prm", pluginList);
    Put("updateplg.prm.sig", Sign(pluginList));
    PropertyTree list = UpdateList(content.bannerVersion, content.pluginVersion, content.banner);
    PropertyNode& first = list.Node(0);
    first.SetInteger(update::kSequenceName, content.sequence);
    const auto expires = update::StampBytes(static_cast<uint32_t>(content.expires ? content.expires : std::time(nullptr) + 86400));
    first.SetStamp(update::kExpiresName, expires[0], expires[1], expires[2], expires[3]);
    first.SetString(update::kPluginListHashName, Sha256(pluginList));
    const std::string updateList = TreeBytes(list);
    Put("update.prm", updateList);
    Put("update.prm.sig", Sign(updateList));
}

std::vector<std::string> ServerFolder::Requests() const {
    std::ifstream in(WorkingFolder() + "update-www\\requests.log");
    std::vector<std::string> found;
    const std::string prefix = "/" + name_ + "/";
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line.substr(prefix.size()));
    return found;
}

ProgramFolder::ProgramFolder() {
    temp_.MakeFolder("prog\\STDPLUGS");
    temp_.MakeFolder("prog\\APPPLUGS");
}

std::string ProgramFolder::Path() const { return temp_.Path() + "prog"; }
void ProgramFolder::Put(const std::string& relative, const std::string& bytes) const {
    WriteAll(Path() + "\\" + relative, bytes);
}
std::string ProgramFolder::Get(const std::string& relative) const { return ReadFileBytes(Path() + "\\" + relative); }
bool ProgramFolder::Has(const std::string& relative) const { return FileExists(Path() + "\\" + relative); }

std::map<std::string, std::string> ProgramFolder::Snapshot() const {
    std::map<std::string, std::string> files;
    Collect(temp_.Path(), "", files);
    return files;
}

Recorder::Recorder() {
    static ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Recorder::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TracelornUpdateRecorder";
        return ::RegisterClassA(&wc);
    }();
    (void)atom;
    hwnd_ = ::CreateWindowExA(0, "TracelornUpdateRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Recorder::~Recorder() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK Recorder::Proc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Recorder*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message != update::kNotifyMessage || !self || !update_worker::IsOwnNotification(hwnd))
        return ::DefWindowProcA(hwnd, message, wp, lp);
    Notice n{static_cast<uint32_t>(wp), static_cast<uint32_t>(lp), {}};
    if (n.code == update::kFileBegins) {
        n.value = 0;
        if (auto name = update_worker::TakeFileName(lp)) n.name = *name;
    }
    self->notices_.push_back(n);
    return 0;
}

void ClearRecords() { ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("software\\") + kRecordsPath).c_str()); }

std::vector<Notice> RunWorker(const std::string& programFolder, const std::string& base, DWORD timeoutMs) {
    Recorder recorder;
    if (!update_worker::Start(UpdateJob{recorder.Hwnd(), programFolder, base, kRecordsPath})) return {};
    if (!update_worker::WaitForEnd(timeoutMs)) {
        update_worker::RequestStop();
        (void)update_worker::WaitForEnd();
    }
    return recorder.Notices();
}

std::vector<uint32_t> Codes(const std::vector<Notice>& notices) {
    std::vector<uint32_t> codes;
    for (const Notice& n : notices)
        if (n.code != update::kFileProgress) codes.push_back(n.code);
    return codes;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

}  // namespace update_test
