#pragma once

// libsndfile streams on descriptors the command owns. libsndfile 1.0.31 and later close the
// descriptor when opening fails, even one they were told to leave open, so a caller that
// closes it afterwards closes it twice, and in a batch with several jobs that second close
// can hit another job's file that got the same number meanwhile.

#include <sndfile.h>

#include <string>

namespace miral::cli {

/// Opens a stream on a duplicate of `descriptor`, which libsndfile owns: sf_close closes it,
/// and so does a failed open. `descriptor` stays open and the caller's. Null when libsndfile
/// cannot open the stream (sf_strerror(nullptr) says why); throws std::runtime_error "what:
/// reason" when no duplicate can be made.
SNDFILE* openStreamOn(int descriptor, int mode, SF_INFO& info, const std::string& what);

} // namespace miral::cli
