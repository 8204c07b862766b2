// Linux: the entries of /proc/self/task, the resident pages of /proc/self/statm.
#include "platform_seam.h"

#include <dirent.h>
#include <unistd.h>

#include <fstream>

namespace miral::harness {

std::optional<int> threadCount() {
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return std::nullopt;
    int count = 0;
    while (const dirent* entry = readdir(tasks))
        count += entry->d_name[0] != '.';
    closedir(tasks);
    return count;
}

size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t totalPages = 0;
    size_t residentPages = 0;
    statm >> totalPages >> residentPages;
    return residentPages * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace miral::harness
