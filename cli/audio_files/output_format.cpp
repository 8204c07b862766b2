#include "audio_files/output_format.h"

#include "audio_files/sndfile_formats.h"
#include "output_safety/output_file.h"
#include "settings/typed_text.h"
#include "usage_error.h"

#include <sndfile.h>

#include <filesystem>
#include <vector>

namespace miral::cli {
namespace {

struct Extension {
    const char* extension;
    int container;
};

// Extensions users expect beside the ones libsndfile reports for its containers.
constexpr Extension kExtraExtensions[] = {
    {"aif", SF_FORMAT_AIFF},
    {"ogg", SF_FORMAT_OGG},
};

std::string extensionOf(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    return extension;
}

/// The container named by an extension; 0 for none.
int containerNamed(const std::string& name) {
    const std::string extension = lowerCase(name);
    for (const Extension& extra : kExtraExtensions)
        if (extension == extra.extension)
            return extra.container;
    for (const Container& container : sndfileContainers())
        if (!extension.empty() && extension == container.extension)
            return container.format;
    return 0;
}

int containerOf(const std::string& path, const FormatRequest& request, int inputFormat) {
    if (request.type) {
        if (const int container = containerNamed(*request.type))
            return container;
        throw UsageError("unknown type \"" + *request.type +
                         "\" (use a file extension such as wav, flac, aiff or ogg)");
    }
    if (path == kStandardStream)
        return inputFormat & SF_FORMAT_TYPEMASK;
    if (const int container = containerNamed(extensionOf(path)))
        return container;
    throw UsageError("cannot tell the output format from \"" + path +
                     "\" (use an extension such as .wav, .flac, .aiff or .ogg, or --type)");
}

bool holds(int container, int subtype) {
    SF_INFO info{};
    info.format = container | subtype;
    info.channels = 2;
    info.samplerate = 48000;
    return sf_format_check(&info) == SF_TRUE;
}

int requestedSubtype(const FormatRequest& request) {
    if (request.asFloat)
        return SF_FORMAT_FLOAT;
    switch (*request.bits) {
    case 16:
        return SF_FORMAT_PCM_16;
    case 24:
        return SF_FORMAT_PCM_24;
    default:
        return SF_FORMAT_PCM_32;
    }
}

/// The requested sample format in `container`; throws UsageError when it cannot hold it.
int requestedFormat(const std::string& path, int container, const FormatRequest& request) {
    const int subtype = requestedSubtype(request);
    if (!holds(container, subtype))
        throw UsageError("\"" + path + "\" cannot hold " + describeFormat(subtype) + " samples");
    return container | subtype;
}

} // namespace

void checkFormatRequest(const std::string& path, const FormatRequest& request) {
    if (path == kStandardStream && !request.type)
        return; // the input's container, known once it is open
    const int container = containerOf(path, request, 0);
    if (request.asFloat || request.bits)
        requestedFormat(path, container, request);
}

int outputFormat(const std::string& path, int inputFormat, const FormatRequest& request) {
    const int container = containerOf(path, request, inputFormat);
    if (request.asFloat || request.bits)
        return requestedFormat(path, container, request);
    const int candidates[] = {inputFormat & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24, SF_FORMAT_FLOAT,
                              SF_FORMAT_VORBIS};
    for (const int subtype : candidates)
        if (holds(container, subtype))
            return container | subtype;
    throw UsageError("no sample format found for \"" + path + "\"");
}

} // namespace miral::cli
