#pragma once
// What the update client's tests stand on: lists signed with the test key (CNG), update server
// folders for the tests' HTTP server (update_server.py, started by the CTest fixture), program
// folders compared byte for byte, and a window that records what a worker reports.
#include "schedule/UpdateLists.h"
#include "support/TempFolder.h"
#include "targets/PropertyTree.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace update_test {

// The test key's signature (r||s) of `bytes`; empty when the key could not be used.
std::string Sign(const std::string& bytes);
std::string Sha256(const std::string& bytes);
std::string TreeBytes(const PropertyTree& tree);

// A plug-in file: one target of that name, stamp day/month/year bytes, one entry on a folder no
// test walks; `padding` bytes of an extra node make it larger.
std::string PluginFile(const std::string& targetName, uint8_t stampDay, size_t padding = 0);
// A banner file with `count` banners.
std::string BannerBytes(int count);

struct Offer {
    std::string name;
    uint32_t stamp = 0;
    std::string bytes;        // served as STDPLUGS/<name> or APPPLUGS/<name>
    bool serve = true;        // false: listed only
};

struct ServerContent {
    uint32_t bannerVersion = 1;
    uint32_t pluginVersion = 1;
    uint32_t sequence = 1;
    int64_t expires = 0;  // seconds since 1970 UTC; 0: a day from now
    std::string banner = BannerBytes(2);
    std::vector<Offer> standard, application;
};

// One update server below the tests' HTTP server: update-www/<name>/tracelorn/2/.
class ServerFolder {
public:
    explicit ServerFolder(const std::string& name);
    // The base address the client is given.
    std::string Base() const;
    // Writes every file of `content` the way the publisher does: signed lists, hashes, banner.
    void Publish(const ServerContent& content);
    void Put(const std::string& relative, const std::string& bytes) const;
    std::string Get(const std::string& relative) const;
    // Makes the server answer this file wrongly (a word of update_server.py).
    void Fault(const std::string& relative, const std::string& word) const;
    void Remove(const std::string& relative) const;
    // Request paths the server saw for this folder.
    std::vector<std::string> Requests() const;

    static int Port();  // 0 when the server is not running

private:
    std::string name_;
    std::string folder_;  // Windows path with trailing backslash
};

// The update list the publisher writes for these versions and banner bytes.
PropertyTree UpdateList(uint32_t banner, uint32_t plugin, const std::string& bannerBytes);

// A program folder: STDPLUGS and APPPLUGS inside a temporary folder.
class ProgramFolder {
public:
    ProgramFolder();
    std::string Path() const;  // without a trailing backslash, as the worker takes it
    void Put(const std::string& relative, const std::string& bytes) const;
    std::string Get(const std::string& relative) const;
    bool Has(const std::string& relative) const;
    // Every file below the folder and its bytes.
    std::map<std::string, std::string> Snapshot() const;

private:
    TempFolder temp_;
};

struct Notice {
    uint32_t code = 0;
    uint32_t value = 0;
    std::string name;  // code 5
};

// The settings key of the workers the tests start themselves (below HKCU\software).
constexpr char kRecordsPath[] = "Quorvane\\TracelornTest\\UpdateClient";
void ClearRecords();

// Runs one update worker for the folder and base address with a recording window as its
// notification window; returns what it reported, in order.
std::vector<Notice> RunWorker(const std::string& programFolder, const std::string& base, DWORD timeoutMs = 60000);
std::vector<uint32_t> Codes(const std::vector<Notice>& notices);

// A recording window (message-only) for workers started by a test itself.
class Recorder {
public:
    Recorder();
    ~Recorder();
    HWND Hwnd() const { return hwnd_; }
    const std::vector<Notice>& Notices() const { return notices_; }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    std::vector<Notice> notices_;
};

// Handles messages (posted and sent) until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);

}  // namespace update_test
