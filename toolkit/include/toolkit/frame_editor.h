#pragma once

// What a frame needs of the editor that owns it. The editor base implements it; tests give a
// frame a stand-in.

#include <cstdint>

namespace miral::toolkit {

/// The knob mode in which knobs follow straight drags instead of circling the mouse; the
/// other modes (0 and 1) circle.
inline constexpr int32_t kLinearKnobMode = 2;

class CFrameEditor {
public:
    /// Runs the editor's paced idle while a control tracks the mouse, so the frame redraws
    /// and the host stays responsive.
    virtual void doIdleStuff() = 0;
    /// The process-wide knob mode (kLinearKnobMode: knobs drag linearly).
    virtual int32_t getKnobMode() const = 0;
    /// A gesture on the control with this tag starts (beginEdit) or ends (endEdit).
    virtual void beginEdit(int32_t tag) = 0;
    virtual void endEdit(int32_t tag) = 0;

protected:
    ~CFrameEditor() = default;
};

} // namespace miral::toolkit
