#pragma once

// Media types (AM_MEDIA_TYPE) as owning values, the helpers that copy and free them as COM
// callers expect (format blocks and whole records from CoTaskMemAlloc), and reading the audio
// format a type describes.

#include "dx/framework/windows_api.h"

#include <mmreg.h>
#include <strmif.h>
#include <vfwmsgs.h>

namespace miral::dx {

/// Frees the format block and the pUnk reference of `type` and zeroes those fields.
void freeMediaTypeContents(AM_MEDIA_TYPE& type) noexcept;
/// Deep copy of `source` into `target` (whose contents are not freed first). E_OUTOFMEMORY when
/// the format block cannot be allocated; `target` is then left without one.
HRESULT copyMediaType(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source) noexcept;
/// A copy of `source` in memory from CoTaskMemAlloc, as IEnumMediaTypes hands out; null when
/// memory runs out. Freed with deleteMediaType.
AM_MEDIA_TYPE* createMediaTypeCopy(const AM_MEDIA_TYPE& source) noexcept;
void deleteMediaType(AM_MEDIA_TYPE* type) noexcept;

/// Whether `type` fits `pattern`, whose null major type, subtype or format type match anything.
bool mediaTypeMatches(const AM_MEDIA_TYPE& type, const AM_MEDIA_TYPE& pattern) noexcept;
/// Whether major type, subtype and format type are all given.
bool mediaTypeFullySpecified(const AM_MEDIA_TYPE& type) noexcept;

/// The format block read as a WAVEFORMATEX when the format type says it is one and it holds
/// at least its first 16 bytes (a PCMWAVEFORMAT); null otherwise. Only the first 16 bytes may be
/// read unless cbFormat says more.
const WAVEFORMATEX* waveFormatOf(const AM_MEDIA_TYPE& type) noexcept;

/// An owning AM_MEDIA_TYPE: empty (all zero) or a deep copy.
class MediaType {
public:
    MediaType() noexcept;
    ~MediaType();
    MediaType(const MediaType&) = delete;
    MediaType& operator=(const MediaType&) = delete;

    /// Replaces the contents with a copy of `source`.
    HRESULT assign(const AM_MEDIA_TYPE& source) noexcept;
    /// Back to empty.
    void clear() noexcept;
    /// Allocates a zeroed format block of `size` bytes (replacing any); null when out of memory.
    BYTE* allocateFormat(ULONG size) noexcept;

    const AM_MEDIA_TYPE& get() const noexcept { return type_; }
    AM_MEDIA_TYPE& get() noexcept { return type_; }
    bool empty() const noexcept { return type_.majortype == GUID_NULL; }

private:
    AM_MEDIA_TYPE type_;
};

} // namespace miral::dx
