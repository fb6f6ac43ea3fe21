#pragma once
// What the update worker tells its window, and the bounds it works within. Platform-neutral: the
// procedure, the update dialog and the main window share these numbers.
#include "targets/BannerFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace update {

// The notification message (WM_USER + 1): the code as first parameter, a value as second. On a
// dialog the same number is DM_SETDEFID, so receivers accept it only from their own worker.
constexpr unsigned kNotifyMessage = 0x0401;

enum Code : uint32_t {
    kConnecting = 1,         // value 0
    kChecking = 2,           // value 0
    kDownloadsBegin = 4,     // value: number of files to fetch
    kFileBegins = 5,         // value: the owned name object of the file
    kSucceeded = 6,          // value: number of files fetched
    kFileProgress = 7,       // value: per mille of the current file received (our own addition)
    kListUnreadable = 4097,  // value 0: a list, a signature or a fetched file was refused
    kServerUnreachable = 4098,  // value 0: a download failed
    kNothingToFetch = 4100,  // value 0
};

[[nodiscard]] bool IsKnownCode(uint32_t code);
// 6, 4097, 4098 and 4100: the worker sends nothing more after one of them.
[[nodiscard]] bool IsFinalCode(uint32_t code);

// Nothing the server sends is taken without a bound: a list or a plug-in is a few kilobytes, a
// banner a few pictures.
constexpr size_t kMaxListBytes = 4u << 20;
constexpr size_t kMaxPluginBytes = 4u << 20;
// A banner no larger than the main window reads.
constexpr size_t kMaxBannerBytes = static_cast<size_t>(kMaxBannerFileSize);
// Fetched files are held until all of them have arrived and been checked; their sum is bounded too.
constexpr size_t kMaxStagedBytes = 64u << 20;
// Files larger than this also report progress within the file.
constexpr size_t kProgressWithinFileFrom = 64u * 1024;
constexpr uint32_t kPerMille = 1000;

// Per mille of `total` that `received` stands for (0 when the total is unknown).
[[nodiscard]] uint32_t PerMille(uint64_t received, uint64_t total);

// The update dialog's status texts.
[[nodiscard]] std::string StatusText(uint32_t code, uint32_t filesFetched);
[[nodiscard]] std::string FileText(const std::string& fileName);
[[nodiscard]] std::string StoppedText(uint32_t filesSaved);
// The automatic update's balloon after code 6.
[[nodiscard]] std::string SucceededText(uint32_t filesFetched);

}  // namespace update
