#include "schedule/UpdateProcedure.h"

#include "schedule/UpdateProtocol.h"
#include "targets/BannerFile.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace update {

namespace {

constexpr uint32_t kPauseMs = 500;
constexpr size_t kMaxSignatureBytes = 1024;  // 64 expected; anything else is refused below
constexpr size_t kSignatureBytes = 64;
constexpr const char* kUpdateList = "update.prm";
constexpr const char* kPluginList = "updateplg.prm";
constexpr const char* kBanner = "banner.qbf";

// How a step ended: a failed download means the server could not be reached (4098), a refused list
// or file that it cannot be trusted (4097); a stop ends without a word.
enum class Outcome { Ok, Unreachable, Refused, Stopped };

Outcome FromFetch(FetchResult r) {
    switch (r) {
        case FetchResult::Ok: return Outcome::Ok;
        case FetchResult::Stopped: return Outcome::Stopped;
        default: return Outcome::Unreachable;
    }
}

struct Fetched {
    PluginOffer offer;
    std::vector<uint8_t> bytes;
};

// One run of the procedure; each step returns the final code, or nothing to go on.
class Procedure {
public:
    explicit Procedure(UpdateServices& services) : s_(services) {}

    uint32_t Run() {
        if (!s_.SessionOpen()) return Send(kServerUnreachable);
        if (s_.StopRequested()) return 0;
        s_.Notify(kConnecting, 0);
        if (Pause()) return 0;

        Outcome r = FetchList(kUpdateList, updateListBytes_, updateList_);
        if (r != Outcome::Ok) return End(r);
        binding_ = ReadBinding(updateList_);
        const ListVerdict verdict = JudgeList(binding_, s_.AcceptedSequence(), s_.Now());
        if (verdict != ListVerdict::Newer && verdict != ListVerdict::Same) return Send(kListUnreadable);
        const Needs needs = DecideNeeds(LocalList() ? &*localList_ : nullptr, updateList_);

        s_.Notify(kChecking, 0);
        if (Pause()) return 0;
        if (verdict == ListVerdict::Same) return Send(kNothingToFetch);
        if (needs.banner) {
            r = FetchBanner();
            if (r != Outcome::Ok) return End(r);
        } else if (!needs.plugins) {
            return Succeed(kNothingToFetch);
        }
        if (!needs.plugins) {
            // Only the banner was fetched.
            if (!SaveBanner() || !s_.SaveProgramFile(kUpdateList, updateListBytes_)) return Send(kListUnreadable);
            return Succeed(kNothingToFetch);
        }

        std::vector<uint8_t> pluginListBytes;
        PropertyTree pluginList;
        r = FetchList(kPluginList, pluginListBytes, pluginList);
        if (r != Outcome::Ok) return End(r);
        // Signed on its own, a plug-in list of another publication would verify too.
        if (s_.Sha256(pluginListBytes) != binding_->pluginListHash) return Send(kListUnreadable);
        std::optional<std::vector<PluginOffer>> offers = OfferedPlugins(pluginList);
        if (!offers) return Send(kListUnreadable);
        const std::vector<PluginOffer> chosen = Choose(*offers);
        if (chosen.empty()) {
            // The local "update.prm" stays as it was, so the plug-ins are checked again next time.
            if (!SaveBanner()) return Send(kListUnreadable);
            return Succeed(kNothingToFetch);
        }

        s_.Notify(kDownloadsBegin, static_cast<uint32_t>(chosen.size()));
        std::vector<Fetched> fetched;
        r = FetchPlugins(pluginList, chosen, fetched);
        if (r != Outcome::Ok) return End(r);
        if (s_.StopRequested()) return 0;
        return Commit(fetched);
    }

private:
    // Every chosen file, whole and matching its signed hash, held until all have arrived.
    Outcome FetchPlugins(const PropertyTree& pluginList, const std::vector<PluginOffer>& chosen,
                         std::vector<Fetched>& fetched) {
        size_t staged = banner_.size();
        for (const PluginOffer& offer : chosen) {
            s_.NotifyFile(offer.name);
            std::vector<uint8_t> bytes;
            Outcome r = FromFetch(s_.Download(RemotePath(offer), kMaxPluginBytes, true, bytes));
            if (r != Outcome::Ok) return r;
            const std::optional<Sha256Digest> expected = PluginHash(pluginList, offer);
            staged += bytes.size();
            if (!expected || s_.Sha256(bytes) != *expected || !IsAcceptablePlugin(bytes, [this](const EntryRecord& e) { return s_.EntryAllowed(e); }, s_.PluginText()) || staged > kMaxStagedBytes)
                return Outcome::Refused;
            fetched.push_back(Fetched{offer, std::move(bytes)});
        }
        return Outcome::Ok;
    }

    // The banner, the plug-ins, and the update list last: a file that could not be saved leaves
    // the old list, so it is offered again at the next check.
    uint32_t Commit(const std::vector<Fetched>& fetched) {
        if (!SaveBanner()) return Send(kListUnreadable);
        for (const Fetched& f : fetched) {
            if (!s_.SaveProgramFile(LocalPath(f.offer), f.bytes)) return Send(kListUnreadable);
            s_.RememberPluginStamp(LocalPath(f.offer), std::max(f.offer.stamp, PluginStamp(f.bytes, s_.PluginText()).value_or(0)));
        }
        if (!s_.SaveProgramFile(kUpdateList, updateListBytes_)) return Send(kListUnreadable);
        return Succeed(kSucceeded, static_cast<uint32_t>(fetched.size()));
    }

    uint32_t Send(uint32_t code, uint32_t value = 0) {
        s_.Notify(code, value);
        return code;
    }
    // The floor rises only with an update that went through.
    uint32_t Succeed(uint32_t code, uint32_t value = 0) {
        s_.RecordSequence(binding_->sequence);
        return Send(code, value);
    }
    uint32_t End(Outcome r) {
        if (r == Outcome::Stopped) return 0;
        return Send(r == Outcome::Unreachable ? kServerUnreachable : kListUnreadable);
    }
    bool Pause() {
        s_.Wait(kPauseMs);
        return s_.StopRequested();
    }

    // The list and its signature: a list without a signature, or one the program's key did not
    // make, is refused like one that does not read.
    Outcome FetchList(const char* name, std::vector<uint8_t>& bytes, PropertyTree& tree) {
        Outcome r = FromFetch(s_.Download(name, kMaxListBytes, false, bytes));
        if (r != Outcome::Ok) return r;
        std::vector<uint8_t> signature;
        const FetchResult got = s_.Download(std::string(name) + ".sig", kMaxSignatureBytes, false, signature);
        if (got == FetchResult::Stopped) return Outcome::Stopped;
        if (got != FetchResult::Ok || signature.size() != kSignatureBytes || !s_.VerifySignature(bytes, signature))
            return Outcome::Refused;
        std::optional<PropertyTree> read = ReadList(bytes);
        if (!read) return Outcome::Refused;
        tree = std::move(*read);
        return Outcome::Ok;
    }

    Outcome FetchBanner() {
        Outcome r = FromFetch(s_.Download(kBanner, kMaxBannerBytes, false, banner_));
        if (r != Outcome::Ok) return r;
        const std::optional<Sha256Digest> expected = BannerHash(updateList_);
        if (!expected || s_.Sha256(banner_) != *expected || !BannerFile::Parse(banner_)) return Outcome::Refused;
        haveBanner_ = true;
        return Outcome::Ok;
    }

    bool SaveBanner() { return !haveBanner_ || s_.SaveProgramFile(kBanner, banner_); }

    bool LocalList() {
        std::vector<uint8_t> bytes;
        if (!s_.ReadProgramFile(kUpdateList, kMaxListBytes, bytes)) return false;
        localList_ = ReadList(bytes);
        return localList_.has_value();
    }

    std::vector<PluginOffer> Choose(const std::vector<PluginOffer>& offers) {
        std::vector<PluginOffer> chosen;
        for (const PluginOffer& offer : offers) {
            const std::string path = LocalPath(offer);
            std::vector<uint8_t> bytes;
            std::optional<uint32_t> stamp;
            if (s_.ReadProgramFile(path, kMaxPluginBytes, bytes)) stamp = PluginStamp(bytes, s_.PluginText());
            Installed installed;
            if (stamp) {
                installed.file = Installed::File::Present;
                installed.stamp = *stamp;
            } else if (s_.ProgramFileExists(path)) {
                installed.file = Installed::File::Unreadable;
            }
            installed.knownStamp = s_.KnownPluginStamp(path);
            if (ShouldFetch(offer, installed)) chosen.push_back(offer);
        }
        return chosen;
    }

    static std::string RemotePath(const PluginOffer& offer) { return std::string(FolderName(offer.folder)) + "/" + offer.name; }
    static std::string LocalPath(const PluginOffer& offer) { return std::string(FolderName(offer.folder)) + "\\" + offer.name; }

    UpdateServices& s_;
    std::vector<uint8_t> updateListBytes_;
    PropertyTree updateList_;
    std::optional<ListBinding> binding_;
    std::optional<PropertyTree> localList_;
    std::vector<uint8_t> banner_;
    bool haveBanner_ = false;
};

}  // namespace

uint32_t RunUpdate(UpdateServices& services) { return Procedure(services).Run(); }

}  // namespace update
