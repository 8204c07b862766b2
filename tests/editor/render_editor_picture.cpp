// Linux side of the comparison of the editor's pictures: draws the editor with the Cairo
// backend on a headless screen, with the settings the Windows test uses, and writes the picture
// as raw RGB bytes and as a PNG file.
//   render_editor_picture RAW-FILE PNG-FILE
#include "editor_picture.h"
#include "host/host_callback.h"
#include "platform/headless_screen.h"
#include "plugin/parametric_eq_edit.h"
#include "reference_block.h"

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    using namespace miral::reference;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s RAW-FILE PNG-FILE\n", argv[0]);
        return 2;
    }
    miral::platform::HeadlessScreen screen(kEditorWidth, kEditorHeight);
    auto* effect = new ParametricEqEdit(miral::host::hostCallback);
    AEffect* record = effect->getAeffect();
    prepareEditorPicture(*record);
    record->dispatcher(record, effEditOpen, 0, 0, screen.handle(), 0.0f);
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    stepEditorPicture(*record);
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, effEditIdle, 0, 0, nullptr, 0.0f);

    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < kEditorHeight; ++y)
        for (int32_t x = 0; x < kEditorWidth; ++x) {
            const miral::platform::Rgb colour = screen.pixel(x, y);
            bytes.insert(bytes.end(), {colour.red, colour.green, colour.blue});
        }
    const bool pngWritten = screen.savePng(argv[2]);
    record->dispatcher(record, effEditClose, 0, 0, nullptr, 0.0f);
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);

    std::FILE* file = std::fopen(argv[1], "wb");
    bool written =
        file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr && std::fclose(file) != 0)
        written = false;
    if (!written || !pngWritten) {
        std::fprintf(stderr, "cannot write %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
