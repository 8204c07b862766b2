# Writes OUTPUT, a C++ source that holds the BMP files bitmapID.bmp of DIRECTORY for every ID
# in IDS (comma-separated) as byte arrays, and lists them for embeddedArtwork().
string(REPLACE "," ";" ids "${IDS}")
list(LENGTH ids count)
set(arrays "")
set(entries "")
foreach(id IN LISTS ids)
    file(READ "${DIRECTORY}/bitmap${id}.bmp" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "const unsigned char kBitmap${id}[] = {\n    ${bytes}\n};\n\n")
    string(APPEND entries "    {${id}, kBitmap${id}, sizeof(kBitmap${id})},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from the BMP files in resources/; do not edit.
#include \"embedded_artwork.h\"

#include <array>

namespace miral::editor {
namespace {

${arrays}const std::array<EmbeddedBitmap, ${count}> kBitmaps{{
${entries}}};

} // namespace

std::span<const EmbeddedBitmap> embeddedArtwork() {
    return kBitmaps;
}

} // namespace miral::editor
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
