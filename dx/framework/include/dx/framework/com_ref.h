#pragma once

// An owning reference to a COM interface: releases what it holds, adds a reference when
// copied, and fills from functions that hand out an interface through an out-pointer.

#include "dx/framework/windows_api.h"

#include <unknwn.h>

#include <utility>

namespace miral::dx {

template <class Interface> class ComRef {
public:
    ComRef() noexcept = default;
    /// Takes a reference the caller already owns.
    static ComRef adopt(Interface* raw) noexcept {
        ComRef ref;
        ref.raw_ = raw;
        return ref;
    }
    /// Adds a reference of its own.
    static ComRef share(Interface* raw) noexcept {
        if (raw != nullptr)
            raw->AddRef();
        return adopt(raw);
    }
    ComRef(const ComRef& other) noexcept : raw_(other.raw_) {
        if (raw_ != nullptr)
            raw_->AddRef();
    }
    ComRef(ComRef&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComRef& operator=(ComRef other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComRef() { reset(); }

    void reset() noexcept {
        if (Interface* old = std::exchange(raw_, nullptr))
            old->Release();
    }
    Interface* get() const noexcept { return raw_; }
    Interface* operator->() const noexcept { return raw_; }
    explicit operator bool() const noexcept { return raw_ != nullptr; }
    /// Releases what is held and gives the out-pointer to fill.
    Interface** put() noexcept {
        reset();
        return &raw_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    /// Gives up ownership without releasing.
    Interface* detach() noexcept { return std::exchange(raw_, nullptr); }

private:
    Interface* raw_ = nullptr;
};

/// Asks `object` for another of its interfaces.
template <class Wanted, class Source>
ComRef<Wanted> queryInterface(Source* object, REFIID iid) noexcept {
    ComRef<Wanted> wanted;
    if (object != nullptr)
        object->QueryInterface(iid, wanted.putVoid());
    return wanted;
}

} // namespace miral::dx
