#pragma once
// Process-wide objects that a program or a test replaces for a while.
//
// The core reaches its seams and stores through one accessor each (scheduler(), dialogs(),
// GTex(), ...), so that code deep down needs no parameter for them. Start-up installs the
// real ones, a test installs its doubles, and each install lasts exactly as long as the
// object that made it: installs nest, and leaving a scope brings back what was there
// before it, in reverse order.

#include <utility>

namespace platform {

// Puts `value` into `slot` for the lifetime of this object, then puts back what the slot
// held before. Scopes must end in reverse order of their start, as automatic objects do.
template <class T>
class ScopedSlot {
public:
    ScopedSlot(T& slot, T value) : slot_(slot), previous_(std::exchange(slot, std::move(value))) {}
    ~ScopedSlot() { slot_ = std::move(previous_); }
    ScopedSlot(const ScopedSlot&) = delete;
    ScopedSlot& operator=(const ScopedSlot&) = delete;

private:
    T& slot_;
    T previous_;
};

template <class T>
class ScopedInstall;

// The installed T. The accessor of each store falls back to its own default
// object when none is installed, and builds that default only when it is needed.
template <class T>
class Installed {
public:
    static T& orFallback(T& (*fallback)()) { return slot_ ? *slot_ : fallback(); }

private:
    friend class ScopedInstall<T>;
    static inline T* slot_ = nullptr;
};

// Installs `object` as the process-wide T while this object lives.
template <class T>
class ScopedInstall : ScopedSlot<T*> {
public:
    explicit ScopedInstall(T& object) : ScopedSlot<T*>(Installed<T>::slot_, &object) {}
};

}  // namespace platform
