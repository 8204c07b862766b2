#include "audio_files/sndfile_stream.h"

#include "output_safety/file_descriptor.h"

#include <fcntl.h>

namespace miral::cli {

SNDFILE* openStreamOn(int descriptor, int mode, SF_INFO& info, const std::string& what) {
    const int duplicate = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (duplicate < 0)
        throw systemError(what);
    return sf_open_fd(duplicate, mode, &info, SF_TRUE);
}

} // namespace miral::cli
