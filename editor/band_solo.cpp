#include "band_solo.h"

#include "engine/params.h"
#include "toolkit/draw_port.h"

namespace miral::editor {

int32_t soloGestureBand(int32_t tag, int32_t buttons) {
    using namespace toolkit;
    const bool altClick = (buttons & (kLButton | kShift | kControl | kAlt)) == (kLButton | kAlt);
    if (!altClick || !isBandParam(tag) || kindOfParam(tag) != BandParamKind::OnOff)
        return -1;
    return bandOfParam(tag);
}

} // namespace miral::editor
