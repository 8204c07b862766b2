#pragma once

// What the user interface takes from the features a host passes: the parent window, the
// resize and touch services, the URID map, and the sample rate and scale factor among the
// host's options.

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <optional>

namespace miral::lv2 {

struct UiHostFeatures {
    void* parentWindow = nullptr;         ///< the X11 window to open in; null when not given
    const LV2UI_Resize* resize = nullptr; ///< null when the host offers none
    const LV2UI_Touch* touch = nullptr;   ///< null when the host offers none
    const LV2_URID_Map* map = nullptr;    ///< null when the host offers none
    std::optional<float> sampleRateHz;    ///< the host's rate, when its options tell it
    std::optional<float> scaleFactor;     ///< the host's user-interface scale, when told
};

/// The scale factor among `options` (a list ended by a key of 0), read with `map`; nothing when
/// it is not there or either is null.
std::optional<float> scaleFactorOption(const LV2_URID_Map* map, const LV2_Options_Option* options);

/// The features of the null-terminated list `features` (which may itself be null).
UiHostFeatures readHostFeatures(const LV2_Feature* const* features);

} // namespace miral::lv2
