// The Win32 kinds of resource for the portable owner (platform/scoped.h),
// and the owners of process and thread state that are no handle: each gives
// its resource back exactly once and cannot be copied.
#pragma once

#include <objbase.h>
#include <windows.h>

#include "platform/scoped.h"

namespace quillfern::platform::win32 {

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

// Memory the system allocated with LocalAlloc for the caller (FormatMessage's text).
struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) { return ::LocalFree(h) == nullptr; }
};
// A wide string that COM allocated with its task allocator (StringFromCLSID's).
struct TaskMemoryTraits {
  using Handle = LPOLESTR;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) {
    ::CoTaskMemFree(h);
    return true;
  }
};
// One reference to a COM interface.
template <typename Interface>
struct ComTraits {
  using Handle = Interface*;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) {
    h->Release();
    return true;
  }
};

using ScopedFile = Scoped<FileTraits>;
using ScopedFind = Scoped<FindTraits>;
using ScopedKey = Scoped<RegTraits>;
using ScopedLocalMemory = Scoped<LocalMemoryTraits>;
using ScopedTaskString = Scoped<TaskMemoryTraits>;
template <typename Interface>
using ScopedCom = Scoped<ComTraits<Interface>>;

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
