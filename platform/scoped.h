// The one owner for resources given back by hand, on every system: a
// traits struct per kind of resource says what "none" is and how to give
// one back.
#pragma once

#include <utility>

namespace quillfern::platform {

// Owns a handle of the kind that Traits describes: Traits::Handle, its
// empty value Traits::Invalid() (compared with ==), and
// Traits::Close(handle), true when giving it back succeeded. Each handle is
// given back exactly once; owners move but cannot be copied.
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
  // Gives back what is held and lends the slot to a call that fills it.
  Handle* receive() {
    Reset();
    return &handle_;
  }
  explicit operator bool() const { return !(handle_ == Traits::Invalid()); }
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

}  // namespace quillfern::platform
