// Owning wrappers for the system's handles: kernel handles, memory drawing surfaces, GDI objects,
// window drawing surfaces, COM interface references and the GDI+ start-up. Each closes what it holds exactly
// once; copies are deleted, moves hand the handle over. A wrapper belongs to one thread at a time.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <utility>

namespace tesmora {

template <class Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const { return value_; }
    bool Valid() const { return value_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    // Gives the handle away without closing it.
    Type Release() { return std::exchange(value_, Traits::Invalid()); }
    void Reset(Type value = Traits::Invalid()) {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Type value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
// Files answer INVALID_HANDLE_VALUE, not null, on failure.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};
template <class T>
struct GdiObjectTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;
using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueResource<GdiObjectTraits<HPEN>>;
using UniqueModule = UniqueResource<ModuleTraits>;

// One reference to a COM object, given back with Release.
template <typename T>
struct ComRelease {
    void operator()(T* object) const {
        if (object) object->Release();
    }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;

// A window's drawing surface from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a drawing surface for a scope and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// GDI+ started for the lifetime of the object. The library counts start-ups, so nested sessions
// (the panel's, a message box's) are fine; each must end on the thread that began it.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    GdiplusSession(GdiplusSession&& other) noexcept : token_(std::exchange(other.token_, 0)) {}
    GdiplusSession& operator=(GdiplusSession&& other) noexcept;

    bool Started() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

}  // namespace tesmora
