// The editor's value field: opened by a double-click, applied as one edit.
#include "editor/editor_layout.h"
#include "editor/eq_editor.h"
#include "response_display.h"
#include "toolkit/frame.h"
#include "toolkit/text_field.h"
#include "value_text.h"

using namespace miral;
using namespace miral::editor;
using toolkit::CControl;

bool EqEditor::onDoubleClick(toolkit::CDrawPort&, CControl* control, int32_t modifiers) {
    if ((modifiers & (toolkit::kShift | toolkit::kControl | toolkit::kAlt)) != 0)
        return false;
    const int32_t index =
        control == display ? readoutIndex : (control != nullptr ? control->getTag() : -1);
    return openValueField(index);
}

bool EqEditor::openValueField(int32_t index) {
    if (!opened || !hasControl(index) || kindOfParam(index) == BandParamKind::OnOff ||
        frame->getModalView() != nullptr)
        return false;
    CControl* control = controlFor(index);
    if (control == nullptr)
        return false;
    auto* opening = new toolkit::CTextField(kValueFieldBox, kFrameBox,
                                            fieldText(index, control->getValue()), this);
    if (!frame->addView(opening)) {
        opening->forget();
        return false;
    }
    field = opening;
    fieldIndex = index;
    frame->setModalView(field);
    frame->setFocusView(field);
    frame->takeKeyboardFocus(); // where the platform lets it; the host may pass keys too
    return true;
}

void EqEditor::closeValueField() {
    if (field == nullptr)
        return;
    toolkit::CTextField* closing = field;
    field = nullptr;
    fieldIndex = -1;
    frame->releaseKeyboardFocus();
    frame->setModalView(nullptr);
    frame->removeView(closing); // clears the frame's focus; deletes the field
    if (display != nullptr)
        display->setDirty(true);
}

void EqEditor::onTextEntered(toolkit::CTextField& textField, const std::string& text, bool edited) {
    const int32_t index = fieldIndex;
    const std::optional<float> value = typedValue(index, text);
    if (edited && !value) {
        textField.setMarked(true);
        return;
    }
    closeValueField();
    CControl* control = controlFor(index);
    if (!edited || control == nullptr)
        return;
    // One edit, so that hosts record it as automation and undo it as one step.
    beginEdit(index);
    control->setValue(*value);
    onValueChange(nullptr, control);
    endEdit(index);
    control->setDirty(true);
}

void EqEditor::onTextAbandoned(toolkit::CTextField&) {
    closeValueField();
}
