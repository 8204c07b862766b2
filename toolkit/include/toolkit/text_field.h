#pragma once

// A one-line text field laid over the frame, for typing a value: a box showing the text at its
// right edge with the caret after it (the whole box highlighted while the text is selected), and
// a red ring while it is marked. The field takes the frame's focus and every key; while it is
// the frame's modal view it catches every click, and a click outside its box (or the frame's
// window losing the keyboard focus) abandons it. Keys are as TextEntry takes them.
//
// The listener decides what the text means: it may close the field (remove it from the frame)
// from within any of its calls, after which the field does nothing more.

#include "toolkit/text_entry.h"
#include "toolkit/view.h"

#include <string>

namespace miral::toolkit {

class CTextField;

class CTextFieldListener {
public:
    /// Return or Enter with `text`; `edited` is false when it is still the text the field
    /// opened with.
    virtual void onTextEntered(CTextField& field, const std::string& text, bool edited) = 0;
    /// Escape, a click outside the box, or the keyboard focus gone elsewhere.
    virtual void onTextAbandoned(CTextField& field) = 0;

protected:
    ~CTextFieldListener() = default;
};

class CTextField : public CView {
public:
    /// A field drawn in `box` with `text` selected, catching the clicks of `catchBox` (the
    /// frame's, as a modal view).
    CTextField(const CBox& box, const CBox& catchBox, std::string text,
               CTextFieldListener* textListener);

    void draw(CDrawPort& port) override;
    /// Inside the box nothing; outside it the field is abandoned.
    void mouse(CDrawPort& port, CPos where) override;
    void doubleClick(CDrawPort& port, CPos where, int32_t modifiers) override;
    /// Takes every key: 1.
    int32_t onKeyDown(const CKeyCode& key) override;
    int32_t onKeyUp(const CKeyCode& key) override;
    void keyboardFocusLost() override;

    /// Marked: the text was refused; typing clears the mark.
    void setMarked(bool value);
    bool isMarked() const { return marked; }
    const std::string& getText() const { return entry.text(); }
    bool isSelected() const { return entry.isSelected(); }
    /// Where the field is drawn.
    const CBox& getFieldBox() const { return fieldBox; }

protected:
    ~CTextField() override = default;

private:
    CBox fieldBox;
    TextEntry entry;
    CTextFieldListener* listener;
    bool marked = false;
};

} // namespace miral::toolkit
