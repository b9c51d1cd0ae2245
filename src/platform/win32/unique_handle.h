#pragma once
// One small owning-handle template for every kind of Win32 handle (files, keys, GDI objects,
// item lists, COM pointers): copy deleted, move allowed, the closer runs once. Traits give
// the empty value and the closer.
#include <utility>

namespace tk::platform::win32 {

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type value) : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const { return value_; }
    Type operator->() const { return value_; }  // for the kinds that are pointers (COM)
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    Type release() { return std::exchange(value_, Traits::Invalid()); }
    // For a call that hands out a new handle through a pointer: the old one is closed first.
    Type* put() {
        reset();
        return &value_;
    }
    void reset(Type value = Traits::Invalid()) {
        if (value_ != Traits::Invalid()) {
            Traits::Close(value_);
        }
        value_ = value;
    }

private:
    Type value_ = Traits::Invalid();
};

}  // namespace tk::platform::win32
