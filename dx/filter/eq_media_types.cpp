#include "eq_media_types.h"

#include "dx/framework/windows_api.h"

#include <ks.h>
#include <ksmedia.h>
#include <uuids.h>

#include <cstdint>
#include <cstring>

namespace miral::dx {
namespace {

/// Bytes of a WAVEFORMATEXTENSIBLE and of its part after the WAVEFORMATEX.
constexpr ULONG kExtensibleBytes = sizeof(WAVEFORMATEXTENSIBLE);
constexpr WORD kExtensibleExtraBytes = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);

// The SubFormat GUIDs, spelt out: {00000001-0000-0010-8000-00AA00389B71} and
// {00000003-0000-0010-8000-00AA00389B71}.
constexpr GUID kSubFormatPcm = {
    0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID kSubFormatIeeeFloat = {
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

bool isAudio(const AM_MEDIA_TYPE& type) {
    return type.majortype == MEDIATYPE_Audio;
}

/// Whether the rate, block alignment and byte rate describe the samples they come with.
bool isConsistentFormat(const WAVEFORMATEX& format) {
    if (format.nSamplesPerSec < kLowestRateHz || format.nSamplesPerSec > kHighestRateHz)
        return false;
    const DWORD frameBytes = DWORD(format.wBitsPerSample / 8) * format.nChannels;
    return format.nBlockAlign == frameBytes &&
           uint64_t(format.nAvgBytesPerSec) == uint64_t(format.nSamplesPerSec) * frameBytes;
}

/// Whether the tag and sample size are ones the filter converts.
bool isSupportedSampleFormat(WORD tag, WORD bits) {
    return (tag == kTagPcm && bits == 16) || (tag == kTagIeeeFloat && bits == 32);
}

} // namespace

WORD effectiveFormatTag(const AM_MEDIA_TYPE& type) noexcept {
    const WAVEFORMATEX* format = waveFormatOf(type);
    if (format == nullptr)
        return 0;
    if (format->wFormatTag != WAVE_FORMAT_EXTENSIBLE)
        return format->wFormatTag;
    if (type.cbFormat < kExtensibleBytes || format->cbSize < kExtensibleExtraBytes)
        return format->wFormatTag;
    WAVEFORMATEXTENSIBLE extensible;
    std::memcpy(&extensible, type.pbFormat, sizeof(extensible));
    const WORD validBits = extensible.Samples.wValidBitsPerSample;
    if (validBits != 0 && validBits != format->wBitsPerSample)
        return format->wFormatTag;
    if (extensible.SubFormat == kSubFormatPcm)
        return kTagPcm;
    if (extensible.SubFormat == kSubFormatIeeeFloat)
        return kTagIeeeFloat;
    return format->wFormatTag;
}

HRESULT checkEqInputType(const AM_MEDIA_TYPE& input) noexcept {
    const WAVEFORMATEX* format = waveFormatOf(input);
    if (!isAudio(input) || input.bTemporalCompression || format == nullptr)
        return E_INVALIDARG;
    if (format->nChannels != 1 && format->nChannels != 2)
        return E_INVALIDARG;
    if (!isConsistentFormat(*format))
        return E_INVALIDARG;
    return isSupportedSampleFormat(effectiveFormatTag(input), format->wBitsPerSample)
               ? S_OK
               : E_INVALIDARG;
}

HRESULT checkEqTransform(const AM_MEDIA_TYPE& input, const AM_MEDIA_TYPE& output) noexcept {
    const WAVEFORMATEX* in = waveFormatOf(input);
    const WAVEFORMATEX* out = waveFormatOf(output);
    if (!isAudio(input) || !isAudio(output) || in == nullptr || out == nullptr ||
        input.bTemporalCompression || output.bTemporalCompression)
        return E_INVALIDARG;
    const bool same = effectiveFormatTag(input) == effectiveFormatTag(output) &&
                      in->wBitsPerSample == out->wBitsPerSample &&
                      in->nSamplesPerSec == out->nSamplesPerSec;
    return same && out->nChannels == 2 ? S_OK : E_INVALIDARG;
}

HRESULT makeStereoVariant(const AM_MEDIA_TYPE& input, MediaType& output) noexcept {
    const WAVEFORMATEX* in = waveFormatOf(input);
    if (in == nullptr)
        return E_INVALIDARG;
    HRESULT result = output.assign(input);
    if (FAILED(result))
        return result;
    AM_MEDIA_TYPE& type = output.get();
    if (in->wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        const WAVEFORMATEX plain = normalisedWaveFormat(input);
        BYTE* block = output.allocateFormat(sizeof(WAVEFORMATEX));
        if (block == nullptr)
            return E_OUTOFMEMORY;
        std::memcpy(block, &plain, sizeof(plain));
    }
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type.pbFormat);
    if (type.cbFormat > sizeof(PCMWAVEFORMAT))
        format->cbSize = 0;
    format->nBlockAlign = static_cast<WORD>(format->wBitsPerSample / 8 * 2);
    format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
    format->nChannels = 2;
    type.lSampleSize = format->nBlockAlign;
    return S_OK;
}

WAVEFORMATEX normalisedWaveFormat(const AM_MEDIA_TYPE& type) noexcept {
    WAVEFORMATEX normal{};
    const WAVEFORMATEX* format = waveFormatOf(type);
    if (format == nullptr)
        return normal;
    normal.wFormatTag = effectiveFormatTag(type);
    normal.nChannels = format->nChannels;
    normal.nSamplesPerSec = format->nSamplesPerSec;
    normal.wBitsPerSample = format->wBitsPerSample;
    normal.nBlockAlign = static_cast<WORD>(format->wBitsPerSample / 8 * format->nChannels);
    normal.nAvgBytesPerSec = normal.nSamplesPerSec * normal.nBlockAlign;
    normal.cbSize = 0;
    return normal;
}

} // namespace miral::dx
