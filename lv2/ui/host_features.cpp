#include "ui/host_features.h"

#include <lv2/atom/atom.h>
#include <lv2/parameters/parameters.h>

#include <cstring>

namespace miral::lv2 {
namespace {

/// The number the host's options give for `key`, as a float or a double.
std::optional<float> numberOption(const LV2_URID_Map* map, const LV2_Options_Option* options,
                                  const char* key) {
    if (map == nullptr || options == nullptr)
        return std::nullopt;
    const LV2_URID wanted = map->map(map->handle, key);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    const LV2_URID doubleType = map->map(map->handle, LV2_ATOM__Double);
    for (const LV2_Options_Option* option = options; option->key != 0; ++option) {
        if (option->key != wanted || option->value == nullptr)
            continue;
        if (option->type == floatType && option->size == sizeof(float))
            return *static_cast<const float*>(option->value);
        if (option->type == doubleType && option->size == sizeof(double))
            return static_cast<float>(*static_cast<const double*>(option->value));
    }
    return std::nullopt;
}

} // namespace

std::optional<float> scaleFactorOption(const LV2_URID_Map* map, const LV2_Options_Option* options) {
    return numberOption(map, options, LV2_UI__scaleFactor);
}

UiHostFeatures readHostFeatures(const LV2_Feature* const* features) {
    UiHostFeatures found;
    const LV2_Options_Option* options = nullptr;
    for (const LV2_Feature* const* feature = features; feature != nullptr && *feature != nullptr;
         ++feature) {
        const char* uri = (*feature)->URI;
        void* data = (*feature)->data;
        if (std::strcmp(uri, LV2_UI__parent) == 0)
            found.parentWindow = data;
        else if (std::strcmp(uri, LV2_UI__resize) == 0)
            found.resize = static_cast<const LV2UI_Resize*>(data);
        else if (std::strcmp(uri, LV2_UI__touch) == 0)
            found.touch = static_cast<const LV2UI_Touch*>(data);
        else if (std::strcmp(uri, LV2_URID__map) == 0)
            found.map = static_cast<const LV2_URID_Map*>(data);
        else if (std::strcmp(uri, LV2_OPTIONS__options) == 0)
            options = static_cast<const LV2_Options_Option*>(data);
    }
    found.sampleRateHz = numberOption(found.map, options, LV2_PARAMETERS__sampleRate);
    found.scaleFactor = scaleFactorOption(found.map, options);
    return found;
}

} // namespace miral::lv2
