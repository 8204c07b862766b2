#include "picture_file.h"

#include <cstdio>

namespace miral::reference {
namespace {
void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}
} // namespace

bool writeBmp(const char* path, int32_t width, int32_t height,
              const std::vector<platform::Rgb>& pixels) {
    if (pixels.size() != size_t(width) * size_t(height))
        return false;
    const uint32_t stride = (uint32_t(width) * 3 + 3) / 4 * 4;
    const uint32_t dataSize = stride * uint32_t(height);
    std::vector<uint8_t> file;
    file.push_back('B');
    file.push_back('M');
    put32(file, 54 + dataSize);
    put32(file, 0);
    put32(file, 54);
    put32(file, 40);
    put32(file, uint32_t(width));
    put32(file, uint32_t(height)); // rows from the bottom
    put16(file, 1);
    put16(file, 24);
    for (const uint32_t value : {0u, dataSize, 2835u, 2835u, 0u, 0u})
        put32(file, value);
    for (int32_t y = height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < width; ++x) {
            const platform::Rgb& colour = pixels[size_t(y) * size_t(width) + size_t(x)];
            file.insert(file.end(), {colour.blue, colour.green, colour.red});
        }
        file.resize(file.size() + (stride - uint32_t(width) * 3), 0);
    }
    std::FILE* out = std::fopen(path, "wb");
    bool written = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out != nullptr && std::fclose(out) != 0)
        written = false;
    return written;
}

} // namespace miral::reference
