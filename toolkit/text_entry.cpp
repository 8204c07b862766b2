#include "toolkit/text_entry.h"

#include <utility>

namespace miral::toolkit {
namespace {

// Characters of keys that some hosts pass without their virtual key, and the reverse.
constexpr int32_t kReturnCharacter = '\r';
constexpr int32_t kNewlineCharacter = '\n';
constexpr int32_t kEscapeCharacter = 0x1b;
constexpr int32_t kBackspaceCharacter = '\b';
constexpr int32_t kDeleteCharacter = 0x7f;

// The keypad's keys among the host's virtual keys, which may come without a character.
constexpr uint8_t kVirtKeySpace = 7;
constexpr uint8_t kVirtKeyNumpad0 = 24;
constexpr uint8_t kVirtKeyNumpad9 = 33;
constexpr uint8_t kVirtKeyAdd = 35;
constexpr uint8_t kVirtKeySubtract = 37;
constexpr uint8_t kVirtKeyDecimal = 38;

bool isPrintable(int32_t character) {
    return character >= ' ' && character <= '~';
}

/// The character a key without one stands for, or 0.
char characterOfVirtualKey(uint8_t virt) {
    if (virt >= kVirtKeyNumpad0 && virt <= kVirtKeyNumpad9)
        return static_cast<char>('0' + (virt - kVirtKeyNumpad0));
    switch (virt) {
    case kVirtKeySpace:
        return ' ';
    case kVirtKeyAdd:
        return '+';
    case kVirtKeySubtract:
        return '-';
    case kVirtKeyDecimal:
        return '.';
    default:
        return 0;
    }
}

} // namespace

TextEntry::TextEntry(std::string initial) : initial_(initial), text_(std::move(initial)) {}

void TextEntry::insert(char character) {
    if (selected_) {
        text_.clear();
        selected_ = false;
    }
    if (text_.size() < kMaxLength)
        text_.push_back(character);
}

TextEntry::Outcome TextEntry::press(const CKeyCode& key) {
    if (key.virt == kVirtKeyReturn || key.virt == kVirtKeyEnter ||
        key.character == kReturnCharacter || key.character == kNewlineCharacter)
        return Outcome::kCommit;
    if (key.virt == kVirtKeyEscape || key.character == kEscapeCharacter)
        return Outcome::kCancel;
    if (key.virt == kVirtKeyBack || key.character == kBackspaceCharacter) {
        if (selected_)
            text_.clear();
        else if (!text_.empty())
            text_.pop_back();
        selected_ = false;
    } else if (key.virt == kVirtKeyDelete || key.character == kDeleteCharacter) {
        if (selected_)
            text_.clear();
        selected_ = false;
    } else if (key.virt == kVirtKeyLeft || key.virt == kVirtKeyRight || key.virt == kVirtKeyHome ||
               key.virt == kVirtKeyEnd) {
        selected_ = false;
    } else if (isPrintable(key.character)) {
        insert(static_cast<char>(key.character));
    } else if (const char character = characterOfVirtualKey(key.virt); character != 0) {
        insert(character);
    }
    return Outcome::kEditing;
}

} // namespace miral::toolkit
