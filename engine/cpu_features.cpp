#include "cpu_features.h"

namespace miral {

bool cpuSupportsAvx() {
#if defined(__x86_64__) || defined(__i386__)
    // The check includes the operating system's saving of the wide registers.
    static const bool supported = __builtin_cpu_supports("avx");
    return supported;
#else
    return false;
#endif
}

bool cpuSupportsAvx512() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool supported = __builtin_cpu_supports("avx512f");
    return supported;
#else
    return false;
#endif
}

} // namespace miral
