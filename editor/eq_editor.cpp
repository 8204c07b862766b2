#include "editor/eq_editor.h"

#include "artwork_resources.h"
#include "band_solo.h"
#include "band_switch.h"
#include "editor/editor_layout.h"
#include "engine/params.h"
#include "output_gain_slider.h"
#include "response_display.h"
#include "toolkit/frame.h"
#include "toolkit/image.h"
#include "toolkit/knob.h"
#include "toolkit/on_off_button.h"
#include "toolkit/slider.h"
#include "toolkit/splash_screen.h"
#include "value_text.h"

#include <new>

using namespace miral;
using namespace miral::editor;
using toolkit::CControl;
using toolkit::CImage;

namespace {

/// The panel; the editor's bitmaps are made available as resources first.
CImage* loadBackground() {
    registerEditorArtwork();
    return new CImage(kBackgroundId);
}

} // namespace

/// The images the controls are built from, loaded for one open; the controls keep their own
/// references, and these are released when the opening is done.
class EqEditor::OpenImages {
public:
    /// Loads the knob handle and faces, the switch strips, the slider parts, the screen and the
    /// generation's about image.
    explicit OpenImages(toolkit::ToolkitGeneration generation) {
        try {
            for (int32_t id = kKnobHandleId; id <= kDisplayScreenId; ++id)
                images[size_t(id - kFirstId)] = new CImage(id);
            aboutImage = new CImage(aboutImageId(generation));
        } catch (...) {
            release();
            throw;
        }
    }
    ~OpenImages() { release(); }
    OpenImages(const OpenImages&) = delete;
    OpenImages& operator=(const OpenImages&) = delete;

    CImage* operator[](int32_t id) const { return images[size_t(id - kFirstId)]; }
    CImage* about() const { return aboutImage; }

private:
    void release() {
        for (CImage* image : images)
            if (image != nullptr)
                image->forget();
        if (aboutImage != nullptr)
            aboutImage->forget();
    }

    static constexpr int32_t kFirstId = kBackgroundId;
    static constexpr int32_t kLastId = kDisplayScreenId;
    std::array<CImage*, kLastId - kFirstId + 1> images{};
    CImage* aboutImage = nullptr;
};

EqEditor::EqEditor(ParametricEq* owner, toolkit::ToolkitGeneration toolkitGeneration)
    : AEffGUIEditor(owner), equaliser(owner), generation(toolkitGeneration),
      background(loadBackground()) {
    setLayoutSize(static_cast<int16_t>(background->getWidth()),
                  static_cast<int16_t>(background->getHeight()));
}

EqEditor::~EqEditor() {
    closeFrame(); // the effect may be ending: its solo is not touched
    background->forget();
}

template <typename View> View* EqEditor::add(View* view) {
    if (frame->addView(view))
        return view;
    view->forget();
    return nullptr;
}

intptr_t EqEditor::open(void* parentWindow) {
    close();
    AEffGUIEditor::open(parentWindow);
    pendingHostChanges.store(0); // the controls start at the effect's values
    try {
        const OpenImages images(generation);
        frame = new toolkit::CFrame(kFrameBox, parentWindow, this, generation, getScale());
        if (!frame->isOpen()) {
            close();
            return 0;
        }
        frame->setBackground(background);
        createControls(images);
    } catch (const std::bad_alloc&) {
        close();
        return 0;
    }
    opened = true;
    return 1;
}

void EqEditor::createControls(const OpenImages& images) {
    display = add(new CResponseDisplay(kDisplayBox, this, kDisplayTag, images[kDisplayScreenId],
                                       images[kKnobHandleId], {0, 0}, &equaliser->engine()));

    // The sliders show the effect's values like every other control (a host may have set them
    // before the editor opened).
    int32_t slider = 0;
    for (const SliderPlace& place : {kRangeSlider, kOutputSlider}) {
        constexpr int32_t style = toolkit::kVertical | toolkit::kTop;
        toolkit::CSlider* control =
            place.tag == kOutputSlider.tag
                ? new COutputGainSlider(place.box, this, place.tag, place.box.top,
                                        kSliderLowestHandleTop, images[kSliderHandleId],
                                        images[place.trackId], {0, 0}, style, equaliser->engine(),
                                        display)
                : new toolkit::CSlider(place.box, this, place.tag, place.box.top,
                                       kSliderLowestHandleTop, images[kSliderHandleId],
                                       images[place.trackId], {0, 0}, style);
        control->setValue(equaliser->getParameter(place.tag));
        control->setOffsetHandle(kSliderHandleOffset);
        (slider++ == 0 ? rangeSlider : outputSlider) = add(control);
    }

    for (size_t i = 0; i < kKnobs.size(); ++i) {
        const KnobPlace& place = kKnobs[i];
        auto* knob = new toolkit::CKnob(place.box, this, place.tag, images[place.faceId],
                                        images[kKnobHandleId], {0, 0});
        knob->setValue(equaliser->getParameter(place.tag));
        knobs[i] = add(knob);
    }
    for (size_t i = 0; i < kSwitches.size(); ++i) {
        const SwitchPlace& place = kSwitches[i];
        auto* button = new CBandSwitch(place.box, this, place.tag, images[place.stripId]);
        button->setValue(equaliser->getParameter(place.tag));
        bandSwitches[i] = add(button);
    }
    if (display != nullptr)
        display->setSoloBand(equaliser->solo());
    about = add(new toolkit::CSplashScreen(kAboutBox, this, aboutTag(generation), images.about(),
                                           kFrameBox, {0, 0}));
}

void EqEditor::forgetControls() {
    field = nullptr; // the frame's view, deleted with it
    fieldIndex = -1;
    readoutIndex = -1;
    knobs.fill(nullptr);
    bandSwitches.fill(nullptr);
    rangeSlider = nullptr;
    outputSlider = nullptr;
    display = nullptr;
    about = nullptr;
}

void EqEditor::close() {
    // A solo nobody sees marked is not left playing.
    if (opened && equaliser->solo() >= 0)
        equaliser->setSolo(-1);
    closeFrame();
}

void EqEditor::closeFrame() {
    if (field != nullptr)
        frame->releaseKeyboardFocus();
    opened = false;
    forgetControls();
    delete frame; // with its views and their images
    frame = nullptr;
}

CControl* EqEditor::controlFor(int32_t index) const {
    if (!opened || !hasControl(index))
        return nullptr;
    for (CControl* control : knobs)
        if (control != nullptr && control->getTag() == index)
            return control;
    for (CControl* control : bandSwitches)
        if (control != nullptr && control->getTag() == index)
            return control;
    for (CControl* control :
         {static_cast<CControl*>(rangeSlider), static_cast<CControl*>(outputSlider)})
        if (control != nullptr && control->getTag() == index)
            return control;
    return nullptr;
}

void EqEditor::setParameter(int32_t index, float) {
    if (!isValidParamIndex(index))
        return;
    pendingHostChanges.fetch_or(uint32_t{1} << index);
    postUpdate();
}

void EqEditor::onValueChange(toolkit::CDrawPort* port, CControl* control) {
    const int32_t tag = control->getTag();
    const float value = control->getValue();
    if (hasControl(tag)) {
        equaliser->setParameterAutomated(tag, value);
        // The original toolkit draws the control at once; the later one at the frame's next
        // idle, which a drag runs on every step.
        if (generation == toolkit::ToolkitGeneration::kLater)
            control->setDirty(true);
        else if (port != nullptr)
            control->update(*port);
        // The effect told this editor of the change as if it came from the host; it did not,
        // so the control needs no update and nothing a full redraw.
        pendingHostChanges.fetch_and(~(uint32_t{1} << tag));
        hostChanged = false;
    }
    if (display != nullptr) {
        display->setText(valueText(tag, value).c_str());
        if (hasControl(tag))
            readoutIndex = tag;
    }
}

bool EqEditor::onModifierClick(toolkit::CDrawPort&, CControl* control, int32_t buttons) {
    const int32_t band = soloGestureBand(control->getTag(), buttons);
    if (band < 0)
        return false;
    equaliser->setSolo(soloAfterGesture(equaliser->solo(), band));
    if (display != nullptr)
        display->setSoloBand(equaliser->solo());
    return true;
}

void EqEditor::idle() {
    const uint32_t changed = pendingHostChanges.exchange(0);
    if (opened && changed != 0) {
        hostChanged = true;
        for (int32_t index = 0; index < kNumParams; ++index)
            if ((changed >> index & 1) != 0)
                if (CControl* control = controlFor(index))
                    control->setValue(equaliser->getParameter(index));
    }
    AEffGUIEditor::idle();
    if (!opened || !hostChanged)
        return;
    for (CControl* control : knobs)
        if (control != nullptr)
            control->setDirty(true);
    for (CControl* control : bandSwitches)
        if (control != nullptr)
            control->setDirty(true);
    for (CControl* control :
         {static_cast<CControl*>(rangeSlider), static_cast<CControl*>(outputSlider),
          static_cast<CControl*>(display)})
        if (control != nullptr)
            control->setDirty(true);
    hostChanged = false;
    postUpdate();
}
