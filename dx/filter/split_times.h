#pragma once

// The times of an input sample shared out over the output samples it is split into: each
// output sample gets the part of the input's span its frames take, so that the first starts
// at the input's start and the last stops at the input's stop.

#include "dx/framework/windows_api.h"

#include <strmif.h>

#include <optional>
#include <utility>

namespace miral::dx {

class SplitTimes {
public:
    using Span = std::pair<LONGLONG, LONGLONG>;

    /// The input's times and media times (each only when given whole), over `frames` frames.
    SplitTimes(IMediaSample& input, long frames) noexcept;

    /// The times of frames [first, first + count); nothing when the input has none.
    std::optional<Span> times(long first, long count) const noexcept;
    std::optional<Span> mediaTimes(long first, long count) const noexcept;

private:
    std::optional<Span> share(const std::optional<Span>& whole, long first,
                              long count) const noexcept;

    std::optional<Span> times_;
    std::optional<Span> mediaTimes_;
    long frames_;
};

} // namespace miral::dx
