#include "reporting/progress_bar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace miral::cli {
namespace {
constexpr double kMinimumSeconds = 5.0; // shorter files finish before a bar helps
constexpr int kBarWidth = 40;
} // namespace

ProgressBar::ProgressBar(int64_t total, bool enabled) : total_(total), enabled_(enabled) {}

ProgressBar::~ProgressBar() {
    if (enabled_ && shownPercent_ >= 0)
        std::fprintf(stderr, "\r%*s\r", kBarWidth + 8, "");
}

void ProgressBar::update(int64_t done) {
    if (!enabled_ || total_ <= 0)
        return;
    const int percent = static_cast<int>(std::clamp<int64_t>(done * 100 / total_, 0, 100));
    if (percent == shownPercent_)
        return;
    shownPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(kBarWidth - filled), '.').c_str(), percent);
    std::fflush(stderr);
}

bool ProgressBar::wanted(double seconds) {
    return seconds > kMinimumSeconds && onTerminal();
}

bool ProgressBar::onTerminal() {
    return isatty(STDERR_FILENO);
}

} // namespace miral::cli
