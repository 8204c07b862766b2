#include "output_safety/same_file.h"

#include "output_safety/output_file.h"

#include <sys/stat.h>

#include <filesystem>

namespace miral::cli {

bool sameFile(const std::string& a, const std::string& b, int standardDescriptor) {
    struct stat first {
    }, second{};
    const bool aExists = a == kStandardStream ? fstat(standardDescriptor, &first) == 0
                                              : stat(a.c_str(), &first) == 0;
    const bool bExists = b == kStandardStream ? fstat(standardDescriptor, &second) == 0
                                              : stat(b.c_str(), &second) == 0;
    if (aExists && bExists)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    if (a == kStandardStream || b == kStandardStream)
        return false;
    // Absolute first: a relative name whose first part does not exist stays relative.
    const auto resolved = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error)
            .lexically_normal();
    };
    return resolved(a) == resolved(b);
}

} // namespace miral::cli
