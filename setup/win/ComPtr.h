#pragma once
// One reference to a COM interface, and COM for the calling thread.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace setup {

// One reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* adopted) : p_(adopted) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the out-parameter of CoCreateInstance and QueryInterface.
    void** ReceiveVoid() {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// Memory the shell hands over to be freed with CoTaskMemFree (an item id list, a path).
template <typename T>
class CoTaskMem {
public:
    explicit CoTaskMem(T* p = nullptr) : p_(p) {}
    ~CoTaskMem() { ::CoTaskMemFree(p_); }
    CoTaskMem(const CoTaskMem&) = delete;
    CoTaskMem& operator=(const CoTaskMem&) = delete;
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_;
};

// COM for the calling thread, for as long as this object lives.
class ComApartment {
public:
    explicit ComApartment(DWORD model) : ok_(SUCCEEDED(::CoInitializeEx(nullptr, model))) {}
    ~ComApartment() {
        if (ok_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Ok() const { return ok_; }

private:
    bool ok_;
};

}  // namespace setup
