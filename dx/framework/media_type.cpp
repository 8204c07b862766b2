#include "dx/framework/media_type.h"

#include "dx/framework/windows_api.h"

#include <uuids.h>

#include <cstring>

namespace miral::dx {

void freeMediaTypeContents(AM_MEDIA_TYPE& type) noexcept {
    if (type.pbFormat != nullptr)
        CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk != nullptr)
        type.pUnk->Release();
    type.pUnk = nullptr;
}

HRESULT copyMediaType(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source) noexcept {
    target = source;
    target.pbFormat = nullptr;
    target.cbFormat = 0;
    if (target.pUnk != nullptr)
        target.pUnk->AddRef();
    if (source.cbFormat == 0 || source.pbFormat == nullptr)
        return S_OK;
    auto* format = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
    if (format == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(format, source.pbFormat, source.cbFormat);
    target.pbFormat = format;
    target.cbFormat = source.cbFormat;
    return S_OK;
}

AM_MEDIA_TYPE* createMediaTypeCopy(const AM_MEDIA_TYPE& source) noexcept {
    auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (copy == nullptr)
        return nullptr;
    if (FAILED(copyMediaType(*copy, source))) {
        freeMediaTypeContents(*copy);
        CoTaskMemFree(copy);
        return nullptr;
    }
    return copy;
}

void deleteMediaType(AM_MEDIA_TYPE* type) noexcept {
    if (type == nullptr)
        return;
    freeMediaTypeContents(*type);
    CoTaskMemFree(type);
}

bool mediaTypeMatches(const AM_MEDIA_TYPE& type, const AM_MEDIA_TYPE& pattern) noexcept {
    const auto fits = [](const GUID& value, const GUID& wanted) {
        return wanted == GUID_NULL || value == wanted;
    };
    return fits(type.majortype, pattern.majortype) && fits(type.subtype, pattern.subtype) &&
           fits(type.formattype, pattern.formattype);
}

bool mediaTypeFullySpecified(const AM_MEDIA_TYPE& type) noexcept {
    return type.majortype != GUID_NULL && type.subtype != GUID_NULL && type.formattype != GUID_NULL;
}

const WAVEFORMATEX* waveFormatOf(const AM_MEDIA_TYPE& type) noexcept {
    if (type.formattype != FORMAT_WaveFormatEx || type.pbFormat == nullptr ||
        type.cbFormat < sizeof(PCMWAVEFORMAT))
        return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
}

MediaType::MediaType() noexcept : type_{} {}

MediaType::~MediaType() {
    clear();
}

HRESULT MediaType::assign(const AM_MEDIA_TYPE& source) noexcept {
    if (&source == &type_)
        return S_OK;
    clear();
    const HRESULT result = copyMediaType(type_, source);
    if (FAILED(result))
        clear();
    return result;
}

void MediaType::clear() noexcept {
    freeMediaTypeContents(type_);
    type_ = AM_MEDIA_TYPE{};
}

BYTE* MediaType::allocateFormat(ULONG size) noexcept {
    if (type_.pbFormat != nullptr)
        CoTaskMemFree(type_.pbFormat);
    type_.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(size));
    type_.cbFormat = type_.pbFormat != nullptr ? size : 0;
    if (type_.pbFormat != nullptr)
        std::memset(type_.pbFormat, 0, size);
    return type_.pbFormat;
}

} // namespace miral::dx
