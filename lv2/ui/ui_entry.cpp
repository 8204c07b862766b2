// The LV2 entry point of the user-interface library: one X11 user interface with an idle
// interface and an options interface (the host's scale factor changing while it is open).
#include "lv2/uris.h"
#include "ui/equaliser_ui.h"

#include <cstring>
#include <memory>
#include <new>

namespace miral::lv2 {
namespace {

EqualiserUi* ui(LV2UI_Handle handle) {
    return static_cast<EqualiserUi*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char*, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    const UiHostFeatures host = readHostFeatures(features);
    try {
        auto created = std::make_unique<EqualiserUi>(write, controller, host);
        if (!created->open())
            return nullptr;
        *widget = created->widget();
        return created.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void cleanup(LV2UI_Handle handle) {
    delete ui(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format,
               const void* buffer) {
    ui(handle)->portEvent(port, bufferSize, format, buffer);
}

int idle(LV2UI_Handle handle) {
    return ui(handle)->idle();
}

const LV2UI_Idle_Interface idleInterface = {idle};

uint32_t getOptions(LV2_Handle, LV2_Options_Option*) {
    return LV2_OPTIONS_ERR_UNKNOWN;
}

uint32_t setOptions(LV2_Handle handle, const LV2_Options_Option* options) {
    return ui(handle)->setOptions(options);
}

const LV2_Options_Interface optionsInterface = {getOptions, setOptions};

const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &idleInterface;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0)
        return &optionsInterface;
    return nullptr;
}

const LV2UI_Descriptor descriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

} // namespace
} // namespace miral::lv2

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &miral::lv2::descriptor : nullptr;
}
