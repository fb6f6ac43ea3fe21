#pragma once
// Move-only owners of the Win32 handles the setup program holds.
#include <windows.h>

#include <utility>

namespace setup {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Reset(); }
    FileHandle(FileHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, INVALID_HANDLE_VALUE));
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void Reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (Valid()) ::CloseHandle(h_);
        h_ = h;
    }
    HANDLE Release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T h) : h_(h) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    GdiObject& operator=(GdiObject&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    T Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset(T h = nullptr) {
        if (h_) ::DeleteObject(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Reset(); }
    RegKey(RegKey&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    RegKey& operator=(RegKey&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY Get() const { return h_; }
    HKEY* Receive() {
        Reset();
        return &h_;
    }
    void Reset() {
        if (h_) ::RegCloseKey(h_);
        h_ = nullptr;
    }

private:
    HKEY h_ = nullptr;
};

}  // namespace setup
