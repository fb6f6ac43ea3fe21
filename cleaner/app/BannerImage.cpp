#include "app/BannerImage.h"

#include <objidl.h>
#include <shlwapi.h>

// The few GDI+ flat functions the decoder needs (the C++ wrapper headers do not build with
// NOMINMAX).
extern "C" {
struct TlGdiplusStartupInput {
    UINT32 version;
    void* debugEventCallback;
    BOOL suppressBackgroundThread;
    BOOL suppressExternalCodecs;
};
int WINAPI GdiplusStartup(ULONG_PTR* token, const TlGdiplusStartupInput* input, void* output);
int WINAPI GdipCreateBitmapFromStream(IStream* stream, void** bitmap);
int WINAPI GdipCreateHBITMAPFromBitmap(void* bitmap, HBITMAP* result, DWORD background);
int WINAPI GdipDisposeImage(void* image);
}

namespace {
bool StartGdiplus() {
    // Started once for the process; the system tears it down at exit.
    static const bool started = [] {
        ULONG_PTR token = 0;
        TlGdiplusStartupInput input{1, nullptr, FALSE, FALSE};
        return GdiplusStartup(&token, &input, nullptr) == 0;
    }();
    return started;
}
}  // namespace

HBITMAP DecodeImage(const std::vector<uint8_t>& data) {
    if (data.empty() || data.size() > 0x7FFFFFFF || !StartGdiplus()) return nullptr;
    IStream* stream = ::SHCreateMemStream(data.data(), static_cast<UINT>(data.size()));
    if (!stream) return nullptr;
    void* bitmap = nullptr;
    HBITMAP result = nullptr;
    if (GdipCreateBitmapFromStream(stream, &bitmap) == 0 && bitmap) {
        if (GdipCreateHBITMAPFromBitmap(bitmap, &result, 0xFFF0F0FFu) != 0) result = nullptr;
        GdipDisposeImage(bitmap);
    }
    stream->Release();
    return result;
}
