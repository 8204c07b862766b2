#pragma once

// A stream (standard input, a FIFO, a device) copied into an unnamed temporary file, so that
// libsndfile can seek in it as every container's reader needs; several readers give wrong
// results on a pipe.

#include "output_safety/file_descriptor.h"

#include <string>

namespace miral::cli {

/// Reads `stream` to its end into a file in $TMPDIR (or /tmp) and returns it, positioned at its
/// start. A caught signal stops the copy ("interrupted") even while the stream stalls. Throws
/// std::runtime_error naming `what` on failure.
FileDescriptor spoolStream(int stream, const std::string& what);

} // namespace miral::cli
