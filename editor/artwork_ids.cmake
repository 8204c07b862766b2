# The editor's bitmap resources: the one list of their identifiers, from which the build makes
# the C++ constants (editor/artwork_ids.h), the resource scripts' bitmap lines and the list of
# BMP files compiled into the Linux libraries.
#
# An entry NAME=ID is the bitmap kNAMEId, resources/bitmapID.bmp; NAME=ID+COUNT is COUNT
# bitmaps with consecutive identifiers from ID (kFirstNAMEId and kNAMECount). Every library links
# the shared artwork and the about image of its toolkit generation.
set(MIRAL_SHARED_ARTWORK
    Background=128        # the panel, 420 x 290, 8 bit
    KnobHandle=129        # 4 x 4 dot; white is transparent
    KnobFace=130+16       # 34 x 34, in the order of the knobs
    SwitchStrip=146+6     # 64 x 42: off above, on below, bands 1 to 6
    OutputTrack=152       # 12 x 47
    SliderHandle=153      # 10 x 5
    RangeTrack=154        # 12 x 47
    DisplayScreen=155     # 343 x 47, 24 bit
)
set(MIRAL_ORIGINAL_ABOUT_ARTWORK AboutImage=157)     # 211 x 46
set(MIRAL_LATER_ABOUT_ARTWORK LaterAboutImage=305)   # 211 x 46
# Every bitmap also comes drawn at twice the size, as resources/bitmapID.bmp with this much added
# to its identifier; the libraries carry both sets (Linux embeds them, Windows links them as
# bitmap resources).
set(MIRAL_DOUBLE_SIZE_ID_OFFSET 10000)

# Writes, into OUTPUT_DIR, editor/artwork_ids.h and the resource-script pieces
# shared_artwork.rc, original_about_artwork.rc and later_about_artwork.rc (each only when its
# content changes), and sets IDS_VARIABLE in the caller to every identifier, the double-size
# set's included.
function(miral_write_artwork_ids output_dir ids_variable)
    set(constants "")
    set(all_ids "")
    foreach(part SHARED ORIGINAL_ABOUT LATER_ABOUT)
        set(lines "")
        foreach(entry IN LISTS MIRAL_${part}_ARTWORK)
            if(NOT entry MATCHES "^([A-Za-z]+)=([0-9]+)(\\+([0-9]+))?$")
                message(FATAL_ERROR "artwork entry \"${entry}\" is not NAME=ID or NAME=ID+COUNT")
            endif()
            set(name ${CMAKE_MATCH_1})
            set(first ${CMAKE_MATCH_2})
            set(count 1)
            if(CMAKE_MATCH_4)
                set(count ${CMAKE_MATCH_4})
                string(APPEND constants "inline constexpr int32_t kFirst${name}Id = ${first};\n"
                                        "inline constexpr int32_t k${name}Count = ${count};\n")
            else()
                string(APPEND constants "inline constexpr int32_t k${name}Id = ${first};\n")
            endif()
            math(EXPR last "${first} + ${count} - 1")
            foreach(id RANGE ${first} ${last})
                list(APPEND all_ids ${id})
                math(EXPR double_size_id "${id} + ${MIRAL_DOUBLE_SIZE_ID_OFFSET}")
                foreach(resource ${id} ${double_size_id})
                    set(bmp ${PROJECT_SOURCE_DIR}/resources/bitmap${resource}.bmp)
                    string(APPEND lines "${resource} BITMAP \"${bmp}\"\n")
                endforeach()
            endforeach()
        endforeach()
        string(TOLOWER ${part} file)
        file(CONFIGURE OUTPUT ${output_dir}/${file}_artwork.rc
             CONTENT "// Generated from editor/artwork_ids.cmake; do not edit.\n${lines}")
    endforeach()
    file(CONFIGURE OUTPUT ${output_dir}/editor/artwork_ids.h CONTENT
"#pragma once

// Identifiers of the editor's bitmap resources, generated from editor/artwork_ids.cmake (which
// says what each shows); do not edit.

#include <cstdint>

namespace miral::editor {

${constants}
/// Added to an identifier: the same bitmap drawn at twice the size.
inline constexpr int32_t kDoubleSizeIdOffset = ${MIRAL_DOUBLE_SIZE_ID_OFFSET};
} // namespace miral::editor
")
    set(double_size_ids "")
    foreach(id IN LISTS all_ids)
        math(EXPR double_size_id "${id} + ${MIRAL_DOUBLE_SIZE_ID_OFFSET}")
        list(APPEND double_size_ids ${double_size_id})
    endforeach()
    set(${ids_variable} ${all_ids} ${double_size_ids} PARENT_SCOPE)
endfunction()
