// Owning wrappers for Windows handles, in the spirit of WIL's unique_any: move-only, and a
// separate type for each "invalid" value, so a handle is never tested against the wrong one.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace tarn::win32 {

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};

// Handles that are invalid when NULL (processes, threads, events).
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Handles that are invalid when INVALID_HANDLE_VALUE (files).
class UniqueFile {
 public:
  UniqueFile() = default;
  explicit UniqueFile(HANDLE handle) noexcept : handle_(handle) {}
  UniqueFile(UniqueFile&& other) noexcept : handle_(other.release()) {}
  UniqueFile& operator=(UniqueFile&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  ~UniqueFile() { reset(); }

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE release() noexcept { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  void reset(HANDLE handle = INVALID_HANDLE_VALUE) noexcept {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A FindFirstFile search, closed with FindClose.
class UniqueFind {
 public:
  explicit UniqueFind(HANDLE find) noexcept : find_(find) {}
  UniqueFind(const UniqueFind&) = delete;
  UniqueFind& operator=(const UniqueFind&) = delete;
  ~UniqueFind() {
    if (find_ != INVALID_HANDLE_VALUE) ::FindClose(find_);
  }
  HANDLE get() const noexcept { return find_; }
  explicit operator bool() const noexcept { return find_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE find_;
};

struct GlobalFreer {
  void operator()(HGLOBAL memory) const noexcept { ::GlobalFree(memory); }
};
using UniqueGlobal = std::unique_ptr<std::remove_pointer_t<HGLOBAL>, GlobalFreer>;

struct CoTaskMemFreer {
  void operator()(void* memory) const noexcept { ::CoTaskMemFree(memory); }
};

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
