#include "editor_host.h"

#include <limits>

namespace miral::clap {

EditorHost::EditorHost(Listener& listener, double sampleRateHz)
    : listener_(listener), editor_(*this, EmbeddedEditorSettings{.sampleRateHz = sampleRateHz}) {
    shown_.fill(std::numeric_limits<double>::quiet_NaN());
}

EditorHost::~EditorHost() = default;

bool EditorHost::size(uint32_t* width, uint32_t* height) {
    const std::optional<EditorSize> size = editor_.size();
    if (!size)
        return false;
    *width = static_cast<uint32_t>(size->width);
    *height = static_cast<uint32_t>(size->height);
    return true;
}

bool EditorHost::setScale(double factor) {
    return editor_.setScale(factor);
}

bool EditorHost::open(void* parentWindow) {
    return editor_.open(parentWindow);
}

bool EditorHost::isOpen() const {
    return editor_.isOpen();
}

void EditorHost::idle(const ParamValues& values) {
    for (uint32_t id = 0; id < kParamCount; ++id)
        if (values[id] != shown_[id]) {
            shown_[id] = values[id];
            editor_.effect().setParameter(static_cast<int32_t>(id),
                                          normalisedValue(id, values[id]));
        }
    editor_.idle();
}

void EditorHost::automated(int32_t index, float value) {
    const auto id = static_cast<uint32_t>(index);
    if (isParamId(id))
        shown_[id] = listener_.editorValue(id, value);
}

void EditorHost::gesture(int32_t index, bool begins) {
    const auto id = static_cast<uint32_t>(index);
    if (isParamId(id))
        listener_.editorGesture(id, begins);
}

void EditorHost::soloRequested(int32_t band) {
    listener_.editorSolo(band);
}

} // namespace miral::clap
