#include "guarded_text.h"

#include <algorithm>

namespace miral::harness {
namespace {
constexpr char kGuardByte = '\xa5';
} // namespace

GuardedText::GuardedText(size_t size) : size_(size), bytes_(size + 2 * kGuard, kGuardByte) {
    std::fill_n(data(), size_, '\0');
}

bool GuardedText::guardsIntact() const {
    const auto isGuard = [](char byte) { return byte == kGuardByte; };
    return std::all_of(bytes_.begin(), bytes_.begin() + kGuard, isGuard) &&
           std::all_of(bytes_.end() - kGuard, bytes_.end(), isGuard);
}

bool GuardedText::terminated() const {
    const char* begin = bytes_.data() + kGuard;
    return std::find(begin, begin + size_, '\0') != begin + size_;
}

std::string GuardedText::text() const {
    const char* begin = bytes_.data() + kGuard;
    return std::string(begin, std::find(begin, begin + size_, '\0'));
}

} // namespace miral::harness
