#include "split_times.h"

#include <limits>

namespace miral::dx {
namespace {

/// `span` × `part` / `whole`, exact while the product fits 64 bits.
LONGLONG scaled(LONGLONG span, long part, long whole) noexcept {
    if (span >= 0 && (part == 0 || span <= std::numeric_limits<LONGLONG>::max() / part))
        return span * part / whole;
    return static_cast<LONGLONG>(static_cast<long double>(span) * part / whole);
}

} // namespace

SplitTimes::SplitTimes(IMediaSample& input, long frames) noexcept : frames_(frames) {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    if (input.GetTime(&start, &stop) == S_OK) // VFW_S_NO_STOP_TIME: no times
        times_ = Span{start, stop};
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    if (input.GetMediaTime(&mediaStart, &mediaStop) == S_OK)
        mediaTimes_ = Span{mediaStart, mediaStop};
}

std::optional<SplitTimes::Span> SplitTimes::times(long first, long count) const noexcept {
    return share(times_, first, count);
}

std::optional<SplitTimes::Span> SplitTimes::mediaTimes(long first, long count) const noexcept {
    return share(mediaTimes_, first, count);
}

std::optional<SplitTimes::Span> SplitTimes::share(const std::optional<Span>& whole, long first,
                                                  long count) const noexcept {
    if (!whole || frames_ <= 0 || (first == 0 && count >= frames_))
        return whole;
    const LONGLONG span = whole->second - whole->first;
    return Span{whole->first + scaled(span, first, frames_),
                whole->first + scaled(span, first + count, frames_)};
}

} // namespace miral::dx
