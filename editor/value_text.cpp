#include "value_text.h"

#include "editor/editor_layout.h"

namespace miral::editor {

std::string valueText(int32_t tag, float value) {
    return hasControl(tag) ? readoutText(tag, value) : std::string();
}

} // namespace miral::editor
