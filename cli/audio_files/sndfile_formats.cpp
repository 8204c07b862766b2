#include "audio_files/sndfile_formats.h"

#include <sndfile.h>

namespace miral::cli {
namespace {

struct SampleEncoding {
    int subtype;
    const char* description; ///< null: libsndfile's own name
    int bytes;
    bool integer;
};

constexpr SampleEncoding kSampleEncodings[] = {
    {SF_FORMAT_PCM_S8, "8-bit", 1, true},         {SF_FORMAT_PCM_U8, "8-bit", 1, true},
    {SF_FORMAT_PCM_16, "16-bit", 2, true},        {SF_FORMAT_PCM_24, "24-bit", 3, true},
    {SF_FORMAT_PCM_32, "32-bit", 4, true},        {SF_FORMAT_FLOAT, "32-bit float", 4, false},
    {SF_FORMAT_DOUBLE, "64-bit float", 8, false}, {SF_FORMAT_ULAW, nullptr, 1, false},
    {SF_FORMAT_ALAW, nullptr, 1, false},
};

const SampleEncoding* encodingOf(int format) {
    for (const SampleEncoding& encoding : kSampleEncodings)
        if (encoding.subtype == (format & SF_FORMAT_SUBMASK))
            return &encoding;
    return nullptr;
}

/// libsndfile's name of a container or sample encoding; null when it has none.
const char* sndfileName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    return format && sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 ? info.name
                                                                                       : nullptr;
}

} // namespace

std::vector<Container> sndfileContainers() {
    std::vector<Container> containers;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
        containers.push_back(
            {info.format, info.name ? info.name : "", info.extension ? info.extension : ""});
    }
    return containers;
}

std::string describeFormat(int format) {
    std::string text;
    if (const char* container = sndfileName(format & SF_FORMAT_TYPEMASK))
        text = std::string(container) + ", ";
    const SampleEncoding* encoding = encodingOf(format);
    if (encoding && encoding->description)
        return text + encoding->description;
    const char* name = sndfileName(format & SF_FORMAT_SUBMASK);
    return text + (name ? name : "encoded");
}

bool isIntegerFormat(int format) {
    const SampleEncoding* encoding = encodingOf(format);
    return encoding && encoding->integer;
}

std::optional<int> bytesPerSample(int format) {
    if (const SampleEncoding* encoding = encodingOf(format))
        return encoding->bytes;
    return std::nullopt;
}

} // namespace miral::cli
