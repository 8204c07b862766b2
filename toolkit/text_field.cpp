#include "toolkit/text_field.h"

#include "toolkit/draw_port.h"
#include "toolkit/frame.h"

#include <utility>

namespace miral::toolkit {
namespace {

constexpr CRgb kFieldColour{255, 255, 255, 0};
constexpr CRgb kTextColour{0, 0, 0, 0};
constexpr CRgb kSelectionColour{45, 51, 23, 0}; // the display's dark green
constexpr CRgb kSelectedTextColour{255, 255, 255, 0};
constexpr CRgb kMarkColour{220, 0, 0, 0};
constexpr int32_t kRingPixels = 1;
constexpr int32_t kMarkRingPixels = 2;
constexpr int32_t kArialFont = 0;
constexpr int32_t kTextPixels = 10;
/// Room between the ring and the text's right end, where the caret stands.
constexpr int32_t kCaretRoom = 4;
constexpr int32_t kTextLeftMargin = 3;
constexpr int32_t kCaretInset = 3; // from the top and bottom edges

} // namespace

CTextField::CTextField(const CBox& box, const CBox& catchBox, std::string text,
                       CTextFieldListener* textListener)
    : CView(catchBox), fieldBox(box), entry(std::move(text)), listener(textListener) {
    setDirty(true);
}

void CTextField::draw(CDrawPort& port) {
    const bool selected = entry.isSelected();
    port.setLineColour(marked ? kMarkColour : kTextColour);
    port.setFillColour(selected ? kSelectionColour : kFieldColour);
    port.frameAndFillRect(fieldBox, marked ? kMarkRingPixels : kRingPixels);
    port.setFontColour(selected ? kSelectedTextColour : kTextColour);
    port.setFont(kArialFont, kTextPixels);
    const CBox textBox{fieldBox.left + kTextLeftMargin, fieldBox.top,
                       fieldBox.right - kMarkRingPixels - kCaretRoom, fieldBox.bottom};
    port.drawString(entry.text().c_str(), textBox, false, kRightText);
    if (!selected) {
        const int32_t caret = textBox.right + 1;
        port.setLineColour(kTextColour);
        port.setLineWidth(1);
        port.moveTo({caret, fieldBox.top + kCaretInset});
        port.lineTo({caret, fieldBox.bottom - kCaretInset});
    }
    setDirty(false);
}

void CTextField::mouse(CDrawPort&, CPos where) {
    if (fieldBox.contains(where)) {
        if (frame != nullptr) // the frame cleared its focus for the click
            frame->setFocusView(this);
        return;
    }
    if (listener != nullptr)
        listener->onTextAbandoned(*this); // may close the field
}

void CTextField::doubleClick(CDrawPort& port, CPos where, int32_t) {
    mouse(port, where);
}

int32_t CTextField::onKeyDown(const CKeyCode& key) {
    const TextEntry::Outcome outcome = entry.press(key);
    if (outcome == TextEntry::Outcome::kEditing) {
        if (marked && key.virt != kVirtKeyLeft && key.virt != kVirtKeyRight &&
            key.virt != kVirtKeyHome && key.virt != kVirtKeyEnd)
            marked = false;
        setDirty(true);
        return 1;
    }
    if (listener != nullptr) { // either may close the field
        if (outcome == TextEntry::Outcome::kCommit) {
            const std::string text = entry.text(); // outlives the field
            listener->onTextEntered(*this, text, entry.isEdited());
        } else {
            listener->onTextAbandoned(*this);
        }
    }
    return 1;
}

int32_t CTextField::onKeyUp(const CKeyCode&) {
    return 1;
}

void CTextField::keyboardFocusLost() {
    if (listener != nullptr)
        listener->onTextAbandoned(*this);
}

void CTextField::setMarked(bool value) {
    marked = value;
    setDirty(true);
}

} // namespace miral::toolkit
