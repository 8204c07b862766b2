#pragma once

// A view that holds a value in vmin .. vmax and lets the user change it. Every change the user
// makes is reported to the control's listener; a value set by the owner is only stored, and
// becomes visible at the frame's next idle because it differs from the value last drawn.

#include "toolkit/view.h"

#include <cstdint>
#include <functional>

namespace miral::toolkit {

class CControl;
class CImage;

/// Told of every change a user makes to a control.
class CValueListener {
public:
    /// `port` is the port of the gesture, or null for a change made with the keyboard.
    virtual void onValueChange(CDrawPort* port, CControl* control) = 0;
    /// Later toolkit generation: a click with Shift, Control or Alt (`buttons`) on a knob or a
    /// switch, offered before the control handles it. True takes the click from the control;
    /// listeners that do not override this leave it to the control.
    virtual bool onModifierClick(CDrawPort& port, CControl* control, int32_t buttons);
    /// A double-click on the control, with the CButton modifier bits `modifiers` held, offered
    /// before the control takes its second press as a click. True takes it; listeners that do
    /// not override this leave it to the control.
    virtual bool onDoubleClick(CDrawPort& port, CControl* control, int32_t modifiers);

protected:
    ~CValueListener() = default;
};

class CControl : public CView {
public:
    /// `backgroundImage` may be null; the control keeps a reference to it.
    CControl(const CBox& box, CValueListener* valueListener, int32_t controlTag,
             CImage* backgroundImage);

    /// Runs the frame's paced idle (during mouse tracking).
    virtual void doIdleStuff();
    /// Offers the double-click to the listener; one it does not take is a click (mouse()).
    void doubleClick(CDrawPort& port, CPos where, int32_t modifiers) override;
    /// Stores the value, unclamped; it is drawn at the next idle.
    virtual void setValue(float newValue) { value = newValue; }
    virtual float getValue() const { return value; }
    virtual void setMin(float newMin) { vmin = newMin; }
    virtual float getMin() const { return vmin; }
    virtual void setMax(float newMax) { vmax = newMax; }
    virtual float getMax() const { return vmax; }
    virtual void setOldValue(float newOldValue) { oldValue = newOldValue; }
    virtual float getOldValue() const { return oldValue; }
    /// The value a Control-click restores.
    virtual void setDefaultValue(float newDefault) { defaultValue = newDefault; }
    virtual float getDefaultValue() const { return defaultValue; }
    virtual void setTag(int32_t newTag) { tag = newTag; }
    int32_t getTag() const { return tag; }
    /// Replaces the background image, keeping a reference to the new one.
    virtual void setBackground(CImage* image);
    virtual CImage* getBackground() const { return background.get(); }
    virtual void setBackOffset(CPos offset) { backOffset = offset; }
    CPos getBackOffset() const { return backOffset; }
    /// Takes the background from the frame position of the control's top-left corner.
    virtual void copyBackOffset() { backOffset = size.topLeft(); }
    /// The step of one wheel notch or arrow key.
    virtual void setWheelInc(float increment) { wheelInc = increment; }
    virtual float getWheelInc() const { return wheelInc; }
    /// Clamps the value into vmin .. vmax.
    virtual void bounceValue();

    /// Dirty when marked, or when the value differs from the value last drawn.
    bool isDirty() const override;
    /// Clean: the current value counts as drawn. Dirty: the value counts as changed.
    void setDirty(bool value = true) override;

protected:
    ~CControl() override;

    /// One wheel step: value += wheelInc * distance (a tenth with Shift), clamped, reported
    /// with the port (between beginEdit and endEdit in the later generation). False when the
    /// mouse is disabled.
    bool wheelStep(CDrawPort& port, float distance);
    /// One arrow-key step: up and right add wheelInc, left and down subtract it (a tenth with
    /// Shift), clamped and reported without a port; 1, or -1 for other keys.
    int32_t arrowKeyStep(const CKeyCode& key);
    void tellListener(CDrawPort* port);

    /// One step of a drag: the pointer and the buttons held; true when the step looked at the
    /// pointer, so that a changed value is reported.
    using DragStep = std::function<bool(CPos where, int32_t buttons)>;
    /// Whether the frame runs the later toolkit generation.
    bool isLaterGeneration() const;
    /// Reports a change of value made by one click or notch, between the frame's beginEdit
    /// and endEdit in the later generation.
    void tellListenerAsEdit(CDrawPort& port);
    /// Later generation: offers a click with a modifier held to the listener; true when the
    /// listener took it.
    bool listenerTookModifierClick(CDrawPort& port, int32_t buttons);
    /// Which clicks of a gesture the listener is offered first.
    enum class ModifierClicks { kControlsOwn, kOfferedToListener };
    /// Starts a gesture of the left button: false when the mouse is disabled, the left button
    /// is up, the listener took a modifier click (when offered), or a Control-click restored
    /// the default value (reported with the port, as an edit in the later generation).
    /// Otherwise `buttons` holds the buttons and modifiers down and the caller drags.
    bool startGesture(CDrawPort& port, int32_t& buttons,
                      ModifierClicks modifierClicks = ModifierClicks::kControlsOwn);
    /// The drag of a gesture: the control takes the focus and the frame's beginEdit and endEdit
    /// bracket the steps, which follow the pointer (first at `where`) until the left button
    /// goes up; every change of value is reported with the port, and the frame idles between
    /// steps.
    void drag(CDrawPort& port, CPos where, const DragStep& step);

    CValueListener* listener;
    int32_t tag;
    float oldValue = 1.0f;
    float defaultValue = 0.5f;
    float value = 0.0f;
    float vmin = 0.0f;
    float vmax = 1.0f;
    float wheelInc = 0.1f;
    CKept<CImage> background;
    CPos backOffset;
};

} // namespace miral::toolkit
