// Owners for the Win32 resources the probes take: each gives its resource
// back exactly once and cannot be copied.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <utility>

namespace quillfern::platform::win32 {

// Owns a handle of the kind that Traits describes (Traits::Invalid() and
// Traits::Close(handle)).
template <typename Traits>
class Scoped {
 public:
  using Handle = typename Traits::Handle;
  Scoped() = default;
  explicit Scoped(Handle h) : handle_(h) {}
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  ~Scoped() { Reset(); }
  Handle get() const { return handle_; }
  Handle* receive() {
    Reset();
    return &handle_;
  }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  // Hands the resource over; the owner gives nothing back afterwards.
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  // Gives the resource back now; true when that succeeded or there was none.
  bool Reset() {
    const Handle h = std::exchange(handle_, Traits::Invalid());
    return h == Traits::Invalid() || Traits::Close(h);
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return ::CloseHandle(h) != FALSE; }
};
struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return ::FindClose(h) != FALSE; }
};
struct RegTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) { return ::RegCloseKey(h) == ERROR_SUCCESS; }
};

using ScopedFile = Scoped<FileTraits>;
using ScopedFind = Scoped<FindTraits>;
using ScopedKey = Scoped<RegTraits>;

// Sets the process error mode for its lifetime and restores the previous one.
class ScopedErrorMode {
 public:
  explicit ScopedErrorMode(UINT mode) : previous_(::SetErrorMode(mode)) {}
  ScopedErrorMode(const ScopedErrorMode&) = delete;
  ScopedErrorMode& operator=(const ScopedErrorMode&) = delete;
  ~ScopedErrorMode() { ::SetErrorMode(previous_); }

 private:
  UINT previous_;
};

// COM for this thread as a single-threaded apartment while the owner lives;
// released only when the initialisation succeeded.
class ScopedComApartment {
 public:
  ScopedComApartment() : initialised_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;
  ~ScopedComApartment() {
    if (initialised_) ::CoUninitialize();
  }
  bool ok() const { return initialised_; }

 private:
  bool initialised_;
};

}  // namespace quillfern::platform::win32
