#include "wav_file.h"

#include "dx/framework/windows_api.h"

#include <cstdio>
#include <cstring>

namespace miral::dx::test {
namespace {

void put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, uint16_t(value));
    put16(out, uint16_t(value >> 16));
}
void putTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

bool writeWav(const std::string& path, uint16_t formatTag, int channels, uint32_t rateHz,
              uint16_t bits, const void* samples, size_t bytes) {
    const uint16_t blockAlign = uint16_t(channels * bits / 8);
    const bool plain = formatTag == 1;
    std::vector<uint8_t> file;
    putTag(file, "RIFF");
    const size_t header = 4 + 8 + (plain ? 16u : 18u) + (plain ? 0u : 12u) + 8;
    put32(file, uint32_t(header + bytes));
    putTag(file, "WAVE");
    putTag(file, "fmt ");
    put32(file, plain ? 16 : 18);
    put16(file, formatTag);
    put16(file, uint16_t(channels));
    put32(file, rateHz);
    put32(file, rateHz * blockAlign);
    put16(file, blockAlign);
    put16(file, bits);
    if (!plain) {
        put16(file, 0); // cbSize
        putTag(file, "fact");
        put32(file, 4);
        put32(file, uint32_t(bytes / blockAlign));
    }
    putTag(file, "data");
    put32(file, uint32_t(bytes));
    const auto* data = static_cast<const uint8_t*>(samples);
    file.insert(file.end(), data, data + bytes);

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

} // namespace

bool writeWavPcm16(const std::string& path, int channels, uint32_t rateHz,
                   const std::vector<int16_t>& samples) {
    return writeWav(path, 1, channels, rateHz, 16, samples.data(), samples.size() * 2);
}

bool writeWavFloat32(const std::string& path, int channels, uint32_t rateHz,
                     const std::vector<float>& samples) {
    return writeWav(path, 3, channels, rateHz, 32, samples.data(), samples.size() * 4);
}

std::string temporaryPath(const char* name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "miral_dx_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

} // namespace miral::dx::test
