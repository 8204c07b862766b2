#pragma once

// Objects shared by reference count: whoever keeps one calls remember(), and forget() when
// done; the object is destroyed with its last reference. Its creator holds the first one.
// CKept<T> is the reference a member keeps.

#include <cstdint>

namespace miral::toolkit {

class CReferenceCounted {
public:
    CReferenceCounted() = default;
    CReferenceCounted(const CReferenceCounted&) = delete;
    CReferenceCounted& operator=(const CReferenceCounted&) = delete;

    void remember() { ++references; }
    /// Releases one reference; the last one destroys the object.
    void forget();
    int32_t getNbReference() const { return references; }

protected:
    virtual ~CReferenceCounted() = default;

private:
    int32_t references = 1;
};

/// A reference kept to a counted object, or none; released when the holder goes.
template <typename T> class CKept {
public:
    CKept() = default;
    CKept(const CKept&) = delete;
    CKept& operator=(const CKept&) = delete;
    ~CKept() { reset(nullptr); }

    /// Keeps `object` (may be null) instead of the object kept so far. The new reference is
    /// taken first, so that keeping the object already kept cannot destroy it.
    void reset(T* object) {
        if (object != nullptr)
            object->remember();
        if (kept != nullptr)
            kept->forget();
        kept = object;
    }
    T* get() const { return kept; }
    T* operator->() const { return kept; }
    explicit operator bool() const { return kept != nullptr; }

private:
    T* kept = nullptr;
};

} // namespace miral::toolkit
