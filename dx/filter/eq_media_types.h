#pragma once

// The filter's media-type rules: which audio types it takes in, which output goes with an
// input, the stereo type it proposes and the normalised format copy it keeps. Pure functions
// of the types, so that each rule is testable on its own.
//
// Accepted: MEDIATYPE_Audio, not temporally compressed, 1 or 2 channels, either 16-bit integer
// PCM (tag 1) or 32-bit IEEE float (tag 3), at 1 kHz to 768 kHz (below 44.1 kHz the effect
// passes the audio through), with nBlockAlign = channels x bytes per sample and
// nAvgBytesPerSec = rate x nBlockAlign. WAVE_FORMAT_EXTENSIBLE blocks (at least 40 bytes,
// cbSize at least 22) whose SubFormat is PCM or IEEE float and whose valid bits fill the
// container count as tag 1 or tag 3: Wine's and current Windows' wave parsers describe float
// and some 16-bit files that way.

#include "dx/framework/media_type.h"

namespace miral::dx {

inline constexpr WORD kTagPcm = WAVE_FORMAT_PCM;              // 1
inline constexpr WORD kTagIeeeFloat = WAVE_FORMAT_IEEE_FLOAT; // 3
/// The rates the filter takes; outside them a format is taken for a broken one.
inline constexpr DWORD kLowestRateHz = 1000;
inline constexpr DWORD kHighestRateHz = 768000;

/// The format tag the type's samples have: 1 or 3 for an extensible block with the PCM or
/// IEEE-float SubFormat, the plain tag otherwise; 0 without a format block of 16 bytes.
WORD effectiveFormatTag(const AM_MEDIA_TYPE& type) noexcept;

/// S_OK for an input type the filter takes (see above); E_INVALIDARG else.
HRESULT checkEqInputType(const AM_MEDIA_TYPE& input) noexcept;
/// S_OK when `output` can be made from `input` (audio both, 16-byte format blocks,
/// no temporal compression, same effective tag, bits and rate, stereo out); E_INVALIDARG else.
HRESULT checkEqTransform(const AM_MEDIA_TYPE& input, const AM_MEDIA_TYPE& output) noexcept;
/// The stereo output type for `input`: a copy with two channels, block alignment and
/// byte rate to match and cbSize 0. An extensible input gets a plain 18-byte WAVEFORMATEX of
/// its effective tag instead, since cbSize 0 would leave the extensible block inconsistent.
HRESULT makeStereoVariant(const AM_MEDIA_TYPE& input, MediaType& output) noexcept;
/// The normalised 18-byte copy of the type's format: effective tag, channels, rate and
/// bits from the type; block alignment and byte rate computed; cbSize 0.
WAVEFORMATEX normalisedWaveFormat(const AM_MEDIA_TYPE& type) noexcept;

} // namespace miral::dx
