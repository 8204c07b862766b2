#pragma once

// Whether libsndfile will write a format, found out by trying it on a scratch file before
// any work: sf_format_check accepts some formats that then fail when written (a container
// that needs a file name, one that cannot be written front to back into a pipe).

#include <cstdint>
#include <string>

namespace miral::cli {

/// Throws UsageError naming `outputName` when libsndfile cannot write `format` with these
/// channels and rate; when `streamReason` says why the output is a stream ("is a pipe"), also
/// when the container needs to seek back, and then the message lists the types that can be
/// streamed.
void checkWritable(int format, int32_t channels, int32_t sampleRateHz,
                   const std::string& streamReason, const std::string& outputName);

} // namespace miral::cli
