#include "schedule/UpdateWorker.h"

#include "engine/EntryFactory.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Handles.h"
#include "schedule/ListSignature.h"
#include "schedule/UpdateAddress.h"
#include "schedule/UpdateProcedure.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateSession.h"
#include "targets/PolicyReader.h"

#include <atomic>
#include <algorithm>
#include <exception>

namespace {

std::atomic<bool> g_running{false};
std::atomic<HWND> g_target{nullptr};
volatile LONG g_cancel = 0;
std::atomic<std::string*> g_pendingName{nullptr};
std::atomic<int> g_alive{0};
std::atomic<int> g_peakAlive{0};
KernelHandle g_thread;  // window thread only

// The worker's view of the program: WinINet for the server, CNG for signatures and hashes, the
// program's folder for files, synchronous messages for the window.
class WorkerServices final : public update::UpdateServices {
public:
    explicit WorkerServices(const UpdateJob& job)
        : job_(job), session_(job.baseAddress), signature_(UpdatePublicKey()) {}

    bool SessionOpen() override { return session_.IsOpen(); }

    update::FetchResult Download(const std::string& relativeUrl, size_t limit, bool reportProgress,
                                 std::vector<uint8_t>& out) override {
        UpdateSession::Progress progress;
        if (reportProgress) progress = [this](uint32_t perMille) { Notify(update::kFileProgress, perMille); };
        return session_.Download(relativeUrl, limit, [this] { return StopRequested(); }, progress, out);
    }

    bool VerifySignature(const std::vector<uint8_t>& data, const std::vector<uint8_t>& sig) override {
        return signature_.Verify(data, sig);
    }
    update::Sha256Digest Sha256(const std::vector<uint8_t>& data) override { return ListSignature::Sha256(data); }
    bool EntryAllowed(const EntryRecord& entry) override { return IsEntryAllowed(entry); }

    bool ReadProgramFile(const std::string& relativePath, size_t limit, std::vector<uint8_t>& out) override {
        out.clear();
        FileHandle file(::CreateFileA(PathOf(relativePath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

    bool SaveProgramFile(const std::string& relativePath, const std::vector<uint8_t>& bytes) override {
        const std::string path = PathOf(relativePath);
        const size_t slash = relativePath.find('\\');
        if (slash != std::string::npos) ::CreateDirectoryA(PathOf(relativePath.substr(0, slash)).c_str(), nullptr);
        // A read-only file is one the user chose to keep: the move would replace it anyway.
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
            return false;
        return ReplaceFileContents(path, bytes.data(), bytes.size());
    }

    void Notify(uint32_t code, uint32_t value) override {
        ::SendMessageA(job_.window, update::kNotifyMessage, code, static_cast<LPARAM>(value));
    }

    void NotifyFile(const std::string& fileName) override {
        auto* name = new std::string(fileName);
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
    std::string PathOf(const std::string& relativePath) const { return job_.programFolder + "\\" + relativePath; }

    UpdateJob job_;
    UpdateSession session_;
    ListSignature signature_;
};

DWORD WINAPI WorkerMain(LPVOID parameter) {
    std::unique_ptr<UpdateJob> job(static_cast<UpdateJob*>(parameter));
    const int alive = ++g_alive;
    for (int peak = g_peakAlive.load(); alive > peak && !g_peakAlive.compare_exchange_weak(peak, alive);) {}
    try {
        WorkerServices services(*job);
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
void RequestStop() { ::InterlockedIncrement(&g_cancel); }

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
    const std::string path = "software\\" + settingsPath;
    if (!settingsPath.empty() &&
        ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS) {
        char value[1024] = {};
        DWORD size = sizeof value - 1, type = 0;
        if (::RegQueryValueExA(key.Get(), "UpdateURL", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            value[std::min<DWORD>(size, sizeof value - 1)] = '\0';
            if (auto base = update::NormaliseBaseAddress(value)) return *base;
        }
    }
    return update::kDefaultBaseAddress;
}
