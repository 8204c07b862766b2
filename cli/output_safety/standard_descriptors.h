#pragma once

// Standard input, output and error that were closed when the command started. A file the
// command opens would otherwise get their numbers, and audio meant for standard output would
// land in it; they are opened on /dev/null instead, and remembered as closed.

namespace miral::cli {

/// Opens each of descriptors 0-2 that is closed on /dev/null. Call first thing in main.
void openClosedStandardDescriptors();

/// True when `descriptor` (0, 1 or 2) was closed when the command started.
bool wasClosedAtStart(int descriptor);

} // namespace miral::cli
