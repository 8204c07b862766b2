#pragma once

// How many frames an input file says it holds. libsndfile cuts the count of a WAV or AIFF file
// whose sample data ends early to what is there, and of an Ogg Vorbis file to the last page it
// could decode; the header's own count, and the position the last Ogg page ends at, tell a
// damaged or truncated file from a complete one.

#include <sndfile.h>

#include <cstdint>

namespace miral::cli {

/// The frames an open file announces: from the sample data chunk of WAV and AIFF files with
/// fixed-size samples (unless it is a streaming writer's placeholder), from the data size in the
/// header of AU, W64, RF64 and VOC files with such samples, from the frame count of AVR files,
/// from the last page of Ogg Vorbis files (SF_COUNT_MAX when it does not end the stream); an
/// IRCAM, PAF or PVF file, which announces no length, that ends inside a frame: SF_COUNT_MAX;
/// else libsndfile's count. Read through `descriptor`, without moving its offset.
int64_t announcedFrames(SNDFILE* file, const SF_INFO& info, int descriptor);

} // namespace miral::cli
