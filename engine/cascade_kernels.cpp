#include "engine/cascade_kernels.h"

#include "cpu_features.h"

namespace miral {

CascadeKernel bestCascadeKernel() {
    if (isCascadeKernelAvailable(CascadeKernel::Avx512))
        return CascadeKernel::Avx512;
    if (isCascadeKernelAvailable(CascadeKernel::Avx))
        return CascadeKernel::Avx;
    if (isCascadeKernelAvailable(CascadeKernel::Sse2))
        return CascadeKernel::Sse2;
    return CascadeKernel::Scalar;
}

bool isCascadeKernelAvailable(CascadeKernel kernel) {
    switch (kernel) {
    case CascadeKernel::Scalar:
        return true;
    case CascadeKernel::Sse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case CascadeKernel::Avx:
#if defined(__SSE2__)
        return cpuSupportsAvx();
#else
        return false;
#endif
    case CascadeKernel::Avx512:
#if defined(__SSE2__)
        return cpuSupportsAvx512();
#else
        return false;
#endif
    }
    return false;
}

void runCascade(CascadeKernel kernel, const CascadeJob& job) noexcept {
    switch (kernel) {
    case CascadeKernel::Avx512:
        runCascadeAvx512(job);
        return;
    case CascadeKernel::Avx:
        runCascadeAvx(job);
        return;
    case CascadeKernel::Sse2:
        runCascadeSse2(job);
        return;
    case CascadeKernel::Scalar:
        break;
    }
    runCascadeScalar(job);
}

} // namespace miral
