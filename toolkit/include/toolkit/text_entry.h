#pragma once

// Typing one line of text, apart from any drawing: what each key does to the text of a small
// text field. The text opens selected, so that the first character typed replaces it and the
// first Backspace or Delete clears it; the caret stays at the end. Keys come as the host passes
// them (a character, a virtual key, or both) or as the frame's window reports them.

#include "toolkit/key_code.h"

#include <cstddef>
#include <string>

namespace miral::toolkit {

class TextEntry {
public:
    /// What a key asks of the field.
    enum class Outcome {
        kEditing, ///< the key was taken; the text may have changed
        kCommit,  ///< Return or Enter: the text is done
        kCancel,  ///< Escape: the text is abandoned
    };
    /// The longest text a field takes; further characters are not taken.
    static constexpr std::size_t kMaxLength = 32;

    /// Opens with `initial` selected.
    explicit TextEntry(std::string initial);

    /// One key: printable ASCII characters (also the keypad's digits, point, plus and minus,
    /// which some hosts pass as virtual keys only) replace the selection or go after the
    /// text; Backspace clears the selection or the last character; Delete clears the
    /// selection; Left, Right, Home and End leave the selection. Every key is taken.
    Outcome press(const CKeyCode& key);

    const std::string& text() const { return text_; }
    bool isSelected() const { return selected_; }
    /// Whether the text differs from the one it opened with.
    bool isEdited() const { return text_ != initial_; }

private:
    void insert(char character);

    std::string initial_;
    std::string text_;
    bool selected_ = true;
};

} // namespace miral::toolkit
