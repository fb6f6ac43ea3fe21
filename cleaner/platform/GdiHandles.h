#pragma once
// Owners for drawing handles: GDI objects by type, memory DCs, DCs borrowed from a window, the
// paint DC of WM_PAINT, and objects selected into a DC for a scope. Drawing code never frees or
// restores by hand, so an early return cannot leak a DC or leave a DC holding a stray object.
#include "platform/Handles.h"

#include <windows.h>
#include <commctrl.h>

template <typename T>
struct GdiTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

template <typename T>
using Gdi = UniqueHandle<GdiTraits<T>>;
using GdiBitmap = Gdi<HBITMAP>;
using GdiFont = Gdi<HFONT>;
using GdiPen = Gdi<HPEN>;
using GdiBrush = Gdi<HBRUSH>;
using GdiRegion = Gdi<HRGN>;

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};

// A DC of CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc : public UniqueHandle<MemoryDcTraits> {
public:
    explicit MemoryDc(HDC like) : UniqueHandle(::CreateCompatibleDC(like)) {}
};

// Selects an object into a DC and puts the previous one back at the end of the scope. A DC must
// not be deleted while it still holds one of our objects, so declare the guard after the DC and
// after the object it selects.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_) ::SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// GetDC (client area) or GetWindowDC (whole window, frame included), given back with ReleaseDC.
// A null window borrows the screen's DC.
class WindowDc {
public:
    enum class Area { Client, Whole };
    explicit WindowDc(HWND window, Area area = Area::Client)
        : window_(window), dc_(area == Area::Whole ? ::GetWindowDC(window) : ::GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint of one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Get() const { return dc_; }
    const PAINTSTRUCT& Paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// Window-manager objects outside GDI that a window or a control borrows: menus, icons made by
// LoadImage without LR_SHARED, image lists.
struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyMenu(h); }
};
using MenuHandle = UniqueHandle<MenuTraits>;

struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyIcon(h); }
};
using IconHandle = UniqueHandle<IconTraits>;

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::ImageList_Destroy(h); }
};
using ImageListHandle = UniqueHandle<ImageListTraits>;
