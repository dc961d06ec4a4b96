// Owning wrappers for Windows handles and COM interface pointers, in the spirit of WIL's
// unique_any: move-only, and a separate type for each "invalid" value, so a handle is never tested
// against the wrong one.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shtypes.h>

#include <memory>
#include <utility>

namespace tarn::win32 {

// One owner for every kind of handle, after WIL's unique_any: move-only; `Traits` names the
// handle type, its invalid value and how it is closed.
template <typename Traits>
class UniqueAny {
 public:
  using pointer = typename Traits::Type;

  UniqueAny() noexcept = default;
  explicit UniqueAny(pointer value) noexcept : value_(value) {}
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }
  pointer release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  void reset(pointer value = Traits::Invalid()) noexcept {
    if (*this) Traits::Close(value_);
    value_ = value;
  }
  // The address to receive a new handle; the one held before is closed first.
  pointer* put() noexcept {
    reset();
    return &value_;
  }

 private:
  pointer value_ = Traits::Invalid();
};

// How a handle type is closed, and whether null or INVALID_HANDLE_VALUE (files, searches) marks
// it invalid, so a handle is never tested against the wrong one.
template <typename T, void (*CloseFunction)(T), bool kInvalidIsMinusOne = false>
struct HandleTraits {
  using Type = T;
  static T Invalid() noexcept {
    if constexpr (kInvalidIsMinusOne)
      return INVALID_HANDLE_VALUE;
    else
      return nullptr;
  }
  static void Close(T value) noexcept { CloseFunction(value); }
};

inline void CloseKernelHandle(HANDLE handle) {
  ::CloseHandle(handle);
}
inline void CloseSearch(HANDLE search) {
  ::FindClose(search);
}
inline void FreeGlobal(HGLOBAL memory) {
  ::GlobalFree(memory);
}
inline void DeleteFont(HFONT font) {
  ::DeleteObject(font);
}
inline void DeleteIcon(HICON icon) {
  ::DestroyIcon(icon);
}
inline void DeleteAccelerators(HACCEL table) {
  ::DestroyAcceleratorTable(table);
}
inline void DeleteWindow(HWND window) {
  ::DestroyWindow(window);
}
inline void UnloadModule(HMODULE module) {
  ::FreeLibrary(module);
}
inline void ReleaseContext(HANDLE context) {
  ::ReleaseActCtx(context);
}

using UniqueHandle = UniqueAny<HandleTraits<HANDLE, CloseKernelHandle>>;  // processes, events
using UniqueFile = UniqueAny<HandleTraits<HANDLE, CloseKernelHandle, true>>;
using UniqueFind = UniqueAny<HandleTraits<HANDLE, CloseSearch, true>>;
using UniqueGlobal = UniqueAny<HandleTraits<HGLOBAL, FreeGlobal>>;
using UniqueFont = UniqueAny<HandleTraits<HFONT, DeleteFont>>;
using UniqueIcon = UniqueAny<HandleTraits<HICON, DeleteIcon>>;
using UniqueAccelerators = UniqueAny<HandleTraits<HACCEL, DeleteAccelerators>>;
using UniqueWindow = UniqueAny<HandleTraits<HWND, DeleteWindow>>;
using UniqueModule = UniqueAny<HandleTraits<HMODULE, UnloadModule>>;
using UniqueActCtx = UniqueAny<HandleTraits<HANDLE, ReleaseContext, true>>;  // activation contexts

template <typename Interface>
void ReleaseInterface(Interface* pointer) {
  pointer->Release();
}
// A COM interface pointer, after WIL's com_ptr: one reference, released once, by its one owner.
template <typename Interface>
using UniqueCom = UniqueAny<HandleTraits<Interface*, ReleaseInterface<Interface>>>;

struct CoTaskMemFreer {
  void operator()(void* memory) const noexcept { ::CoTaskMemFree(memory); }
};
// The shell's item list of a folder, released with CoTaskMemFree.
using UniqueItemList = std::unique_ptr<ITEMIDLIST, CoTaskMemFreer>;

// The clipboard, open for the life of the object.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) noexcept : open_(::OpenClipboard(owner) != FALSE) {}
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() {
    if (open_) ::CloseClipboard();
  }
  bool is_open() const noexcept { return open_; }

 private:
  bool open_;
};

}  // namespace tarn::win32
