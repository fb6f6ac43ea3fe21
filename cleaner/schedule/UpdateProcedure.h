#pragma once
// The update procedure: what the worker fetches, checks and saves, in order, and what it tells its
// window. Platform-neutral: the network, the signature check, the program folder and the window
// are behind UpdateServices (WinINet, CNG and the file system in the program; fakes would do).
#include "schedule/UpdateLists.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace update {

enum class FetchResult { Ok, Failed, Stopped };

class UpdateServices {
public:
    virtual ~UpdateServices() = default;
    // Whether the Internet session could be created.
    [[nodiscard]] virtual bool SessionOpen() = 0;
    // GET of the base address followed by `relativeUrl` ("/" separated). Failed for anything but a
    // complete 2xx answer of at most `limit` bytes; Stopped when a stop request was noticed. With
    // `reportProgress`, a body larger than kProgressWithinFileFrom reports kFileProgress.
    [[nodiscard]] virtual FetchResult Download(const std::string& relativeUrl, size_t limit,
                                               bool reportProgress, std::vector<uint8_t>& out) = 0;
    // ECDSA P-256 over SHA-256 with the program's public key; the signature is r||s (64 bytes).
    [[nodiscard]] virtual bool VerifySignature(const std::vector<uint8_t>& data, const std::vector<uint8_t>& signature) = 0;
    [[nodiscard]] virtual Sha256Digest Sha256(const std::vector<uint8_t>& data) = 0;
    // Whether an entry of a fetched plug-in passes the engine's safety rules: a plug-in that would
    // be refused when it loads is never saved.
    [[nodiscard]] virtual bool EntryAllowed(const EntryRecord& entry) = 0;
    // The stored form of a plug-in's strings (the program: the ANSI code page).
    [[nodiscard]] virtual const StoredText& PluginText() { return AsciiStoredText(); }
    // A file of the program's folder ("update.prm", "STDPLUGS\x.tlp"); false when it is missing,
    // unreadable or larger than `limit`.
    [[nodiscard]] virtual bool ReadProgramFile(const std::string& relativePath, size_t limit, std::vector<uint8_t>& out) = 0;
    // Replaces (or creates) the file as a whole, creating its folder when missing; on failure the
    // previous file is left as it was.
    [[nodiscard]] virtual bool SaveProgramFile(const std::string& relativePath, const std::vector<uint8_t>& bytes) = 0;
    // Whether the file exists at all (a file that does not read as a plug-in is still there).
    [[nodiscard]] virtual bool ProgramFileExists(const std::string& relativePath) = 0;

    // The records of the settings key, where no downloaded file can change them: the highest list
    // sequence accepted, and the highest stamp of each plug-in file ("STDPLUGS\x.tlp") the
    // program has held, which tells a deleted plug-in from one it never had.
    [[nodiscard]] virtual std::optional<uint32_t> AcceptedSequence() = 0;
    virtual void RecordSequence(uint32_t sequence) = 0;
    [[nodiscard]] virtual std::optional<uint32_t> KnownPluginStamp(const std::string& relativePath) = 0;
    virtual void RememberPluginStamp(const std::string& relativePath, uint32_t stamp) = 0;
    // Seconds since 1970-01-01 UTC.
    [[nodiscard]] virtual int64_t Now() = 0;

    virtual void Notify(uint32_t code, uint32_t value) = 0;
    // kFileBegins with the file's name.
    virtual void NotifyFile(const std::string& fileName) = 0;
    virtual void Wait(uint32_t ms) = 0;
    [[nodiscard]] virtual bool StopRequested() = 0;
};

// Runs the whole procedure. Returns the final code it sent, or 0 when it ended on a stop request
// without one.
//
// Nothing in the program's folder changes until every list has verified against its signature,
// "update.prm" has passed its binding (a sequence not below the accepted one, not expired, and
// naming the hash of the "updateplg.prm" served with it), and every chosen file has arrived whole,
// matched its signed hash and read as what it claims to be; then the banner and the plug-ins are
// saved, "update.prm" last, so a file that could not be saved is offered again at the next check.
// The list's sequence is recorded only when the update has succeeded; an equal sequence is
// "nothing to fetch".
uint32_t RunUpdate(UpdateServices& services);

}  // namespace update
