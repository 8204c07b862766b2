#include "plugin_driving/editor_snapshot.h"

#include "host/host_callback.h"
#include "output_safety/output_file.h"
#include "platform/headless_screen.h"

#include <stdexcept>

namespace miral::cli {

// Nothing listens: the pictures are taken without a user.
InProcessEqualiser::InProcessEqualiser(double editorScale)
    : editor_(host::hostCallback, nullptr,
              EmbeddedEditorSettings{.sampleRateHz = 44100.0, .scale = editorScale}) {
    if (!editor_.hasEditor())
        throw std::runtime_error("the equaliser's editor cannot be created");
    record_ = &editor_.record();
    dispatch(effOpen);
}

void InProcessEqualiser::saveEditorPicture(const std::string& pngPath, bool force) {
    const std::optional<EditorSize> size = editor_.size();
    if (!size)
        throw std::runtime_error("the equaliser has no editor");
    OutputFile file(pngPath, force);
    platform::HeadlessScreen screen(size->width, size->height);
    if (!editor_.open(screen.handle()))
        throw std::runtime_error("the editor cannot be opened");
    editor_.idle(); // the first paint
    // The picture library writes by name: this process's own name for the open file.
    const std::string self = "/proc/self/fd/" + std::to_string(file.descriptor());
    const bool written = screen.savePng(self.c_str());
    editor_.close();
    if (!written)
        throw std::runtime_error("cannot write " + file.name());
    file.commit();
}

} // namespace miral::cli
