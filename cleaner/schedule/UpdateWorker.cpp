#include "schedule/UpdateWorker.h"

#include "engine/EntryFactory.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "schedule/ListSignature.h"
#include "schedule/UpdateAddress.h"
#include "schedule/UpdateProcedure.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateRecords.h"
#include "schedule/UpdateSession.h"
#include "targets/AnsiStoredText.h"
#include "targets/PolicyReader.h"

#include <atomic>
#include <algorithm>
#include <ctime>
#include <exception>
#include <mutex>

namespace {

std::atomic<bool> g_running{false};
std::atomic<HWND> g_target{nullptr};
volatile LONG g_cancel = 0;
std::atomic<std::string*> g_pendingName{nullptr};
std::atomic<int> g_alive{0};
std::atomic<int> g_peakAlive{0};
KernelHandle g_thread;  // window thread only
// The running worker's session, for the stop request to cancel.
std::mutex g_sessionLock;
UpdateSession* g_session = nullptr;

// The lists keep their names in the ANSI code page, as every stored file of the program does; a
// name without a UTF-8 form names no file.
std::optional<std::string> Utf8Name(const std::string& stored) {
    std::string name;
    if (!Utf8FromAnsi(stored, name)) return std::nullopt;
    return name;
}

// The worker's view of the program: WinINet for the server, CNG for signatures and hashes, the
// program's folder for files, synchronous messages for the window.
class WorkerServices final : public update::UpdateServices {
public:
    explicit WorkerServices(const UpdateJob& job)
        : job_(job), session_(job.baseAddress), signature_(UpdatePublicKey()), records_(job.settingsPath) {
        std::lock_guard<std::mutex> hold(g_sessionLock);
        g_session = &session_;
    }
    ~WorkerServices() override {
        std::lock_guard<std::mutex> hold(g_sessionLock);
        g_session = nullptr;
    }
    WorkerServices(const WorkerServices&) = delete;
    WorkerServices& operator=(const WorkerServices&) = delete;

    void RememberInstalledPlugins() { records_.RememberInstalledPlugins(job_.programFolder); }

    bool SessionOpen() override { return session_.IsOpen(); }

    update::FetchResult Download(const std::string& relativeUrl, size_t limit, bool reportProgress,
                                 std::vector<uint8_t>& out) override {
        UpdateSession::Progress progress;
        if (reportProgress) progress = [this](uint32_t perMille) { Notify(update::kFileProgress, perMille); };
        return session_.Download(relativeUrl, limit, [this] { return StopRequested(); }, progress, out);
    }

    const StoredText& PluginText() override { return AnsiCodePageText(); }
    bool VerifySignature(const std::vector<uint8_t>& data, const std::vector<uint8_t>& sig) override {
        return signature_.Verify(data, sig);
    }
    update::Sha256Digest Sha256(const std::vector<uint8_t>& data) override { return ListSignature::Sha256(data); }
    bool EntryAllowed(const EntryRecord& entry) override { return IsEntryAllowed(entry, EntrySource::UpdatedPlugin); }

    bool ReadProgramFile(const std::string& relativePath, size_t limit, std::vector<uint8_t>& out) override {
        out.clear();
        const std::optional<std::wstring> path = PathOf(relativePath);
        if (!path) return false;
        FileHandle file(::CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > limit)
            return false;
        out.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!out.empty() && (!::ReadFile(file.Get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr) ||
                             got != out.size()))
            return false;
        return true;
    }

    bool ProgramFileExists(const std::string& relativePath) override {
        const std::optional<std::wstring> path = PathOf(relativePath);
        return path && ::GetFileAttributesW(path->c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool SaveProgramFile(const std::string& relativePath, const std::vector<uint8_t>& bytes) override {
        const std::optional<std::string> name = Utf8Name(relativePath);
        if (!name) return false;
        const std::string path = job_.programFolder + "\\" + *name;
        const size_t slash = name->find('\\');
        if (slash != std::string::npos)
            ::CreateDirectoryW(SystemPath(job_.programFolder + "\\" + name->substr(0, slash)).c_str(), nullptr);
        // A read-only file is one the user chose to keep: the move would replace it anyway.
        const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
            return false;
        // The whole file or nothing: a stop or an exit never leaves half of one.
        return ReplaceFileContents(path, bytes.data(), bytes.size());
    }

    std::optional<uint32_t> AcceptedSequence() override { return records_.AcceptedSequence(); }
    void RecordSequence(uint32_t sequence) override { records_.RecordSequence(sequence); }
    std::optional<uint32_t> KnownPluginStamp(const std::string& relativePath) override {
        const std::optional<std::string> name = Utf8Name(relativePath);
        return name ? records_.KnownPluginStamp(*name) : std::nullopt;
    }
    void RememberPluginStamp(const std::string& relativePath, uint32_t stamp) override {
        if (const std::optional<std::string> name = Utf8Name(relativePath)) records_.RememberPluginStamp(*name, stamp);
    }
    int64_t Now() override { return static_cast<int64_t>(std::time(nullptr)); }

    void Notify(uint32_t code, uint32_t value) override {
        ::SendMessageA(job_.window, update::kNotifyMessage, code, static_cast<LPARAM>(value));
    }

    void NotifyFile(const std::string& fileName) override {
        auto* name = new std::string(Utf8Name(fileName).value_or(std::string()));
        g_pendingName.store(name);
        ::SendMessageA(job_.window, update::kNotifyMessage, update::kFileBegins, reinterpret_cast<LPARAM>(name));
        // Not taken when the window is gone or did not accept it: it is still ours to delete.
        delete g_pendingName.exchange(nullptr);
    }

    void Wait(uint32_t ms) override {
        for (uint32_t waited = 0; waited < ms && !StopRequested(); waited += 50) ::Sleep(50);
    }

    bool StopRequested() override { return g_cancel != 0; }

private:
    std::optional<std::wstring> PathOf(const std::string& relativePath) const {
        const std::optional<std::string> name = Utf8Name(relativePath);
        if (!name) return std::nullopt;
        return SystemPath(job_.programFolder + "\\" + *name);
    }

    UpdateJob job_;
    UpdateSession session_;
    ListSignature signature_;
    UpdateRecords records_;
};

DWORD WINAPI WorkerMain(LPVOID parameter) {
    std::unique_ptr<UpdateJob> job(static_cast<UpdateJob*>(parameter));
    const int alive = ++g_alive;
    for (int peak = g_peakAlive.load(); alive > peak && !g_peakAlive.compare_exchange_weak(peak, alive);) {}
    try {
        WorkerServices services(*job);
        services.RememberInstalledPlugins();
        (void)update::RunUpdate(services);
        g_running = false;
        g_target = nullptr;
    } catch (...) {
        // Nothing leaves a thread entry; the update simply ends.
        g_running = false;
        g_target = nullptr;
    }
    --g_alive;
    return 0;
}

}  // namespace

namespace update_worker {

bool Start(UpdateJob job) {
    if (g_running.exchange(true)) return false;
    // The previous worker has finished its procedure; let its thread end before the counter it
    // reads is reset.
    if (g_thread) {
        ::WaitForSingleObject(g_thread.Get(), INFINITE);
        g_thread.Reset();
    }
    ::InterlockedExchange(&g_cancel, 0);
    g_target = job.window;
    auto owned = std::make_unique<UpdateJob>(std::move(job));
    g_thread.Reset(::CreateThread(nullptr, 0, WorkerMain, owned.get(), 0, nullptr));
    if (!g_thread) {
        g_target = nullptr;
        g_running = false;
        return false;
    }
    owned.release();
    return true;
}

bool Running() { return g_running; }
HWND Target() { return g_running ? g_target.load() : nullptr; }
void RequestStop() {
    ::InterlockedIncrement(&g_cancel);
    std::lock_guard<std::mutex> hold(g_sessionLock);
    if (g_session) g_session->Cancel();
}

bool WaitForEnd(DWORD timeoutMs) {
    if (!g_thread) return true;
    const DWORD start = ::GetTickCount();
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = ::GetTickCount() - start;
            if (spent >= timeoutMs) return false;
            left = timeoutMs - spent;
        }
        HANDLE thread = g_thread.Get();
        const DWORD r = ::MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) {
            g_thread.Reset();
            return true;
        }
        if (r != WAIT_OBJECT_0 + 1) return false;
        // Handles the sent messages only; posted input stays queued for the caller's loop.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool IsOwnNotification(HWND window) {
    return window && Running() && Target() == window && ::InSendMessage();
}

std::unique_ptr<std::string> TakeFileName(LPARAM value) {
    std::string* expected = reinterpret_cast<std::string*>(value);
    if (!expected || !g_pendingName.compare_exchange_strong(expected, nullptr)) return nullptr;
    return std::unique_ptr<std::string>(expected);
}

int PeakWorkersAlive() { return g_peakAlive; }

}  // namespace update_worker

std::string UpdateBaseAddress(const std::string& settingsPath) {
    // An address the administrator set wins over the user's.
    if (const auto forced = ReadMachinePolicy().updateUrl)
        if (auto base = update::NormaliseBaseAddress(*forced)) return *base;
    RegKey key;
    const std::wstring path = WideFromUtf8("software\\" + settingsPath);
    if (!settingsPath.empty() &&
        ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS) {
        wchar_t value[1024] = {};
        DWORD size = sizeof value - sizeof(wchar_t), type = 0;
        if (::RegQueryValueExW(key.Get(), L"UpdateURL", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            std::string address;
            if (Utf8FromWide(TrimNul(std::wstring_view(value, size / sizeof(wchar_t))), address))
                if (auto base = update::NormaliseBaseAddress(address)) return *base;
        }
    }
    return update::kDefaultBaseAddress;
}
