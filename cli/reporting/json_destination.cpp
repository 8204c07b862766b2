#include "reporting/json_destination.h"

#include "output_safety/file_descriptor.h"
#include "output_safety/output_file.h"

namespace miral::cli {

JsonDestination::JsonDestination(const std::optional<std::string>& path, bool force) {
    if (!path)
        stream_ = stderr;
    else if (*path == kStandardStream)
        stream_ = stdout;
    else
        file_ = std::make_unique<OutputFile>(*path, force);
}

void JsonDestination::write(const std::string& text) {
    if (file_) {
        writeAll(file_->descriptor(), text.data(), text.size(), file_->name());
        file_->commit();
    } else if (std::fputs(text.c_str(), stream_) < 0 || std::fflush(stream_) != 0) {
        throw systemError(std::string("cannot write ") +
                          (stream_ == stdout ? "standard output" : "standard error"));
    }
}

} // namespace miral::cli
