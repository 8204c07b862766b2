#pragma once

// How many frames an input file says it holds. libsndfile cuts the count of a WAV or AIFF file
// whose sample data ends early to what is there; the header's own count tells a truncated file
// from a complete one.

#include <sndfile.h>

#include <cstdint>

namespace miral::cli {

/// The frames the header of an open file announces: from the sample data chunk of WAV and AIFF
/// files with fixed-size samples (unless it is a streaming writer's placeholder), else
/// libsndfile's count.
int64_t announcedFrames(SNDFILE* file, const SF_INFO& info);

} // namespace miral::cli
