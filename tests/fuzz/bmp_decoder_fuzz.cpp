// Arbitrary bytes as a bitmap resource: the decoder answers a picture whose pixels fill exactly
// width × height, or nothing, and never reads outside the data.

#include "cairo/bmp_decoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto decoded =
        miral::platform::decodeBmp({reinterpret_cast<const std::byte*>(data), size});
    if (decoded && (decoded->width <= 0 || decoded->height <= 0 ||
                    decoded->pixels.size() !=
                        static_cast<size_t>(decoded->width) * static_cast<size_t>(decoded->height)))
        std::abort();
    return 0;
}
