#pragma once

// A one-line progress bar on standard error, redrawn in place when the shown percentage
// changes. Shown only when standard error is a terminal and the work is long enough to wait for.

#include <cstdint>

namespace miral::cli {

class ProgressBar {
public:
    /// `total` units of work, `enabled` false for a bar that never draws.
    ProgressBar(int64_t total, bool enabled);
    /// Clears the line when the bar was drawn.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(int64_t done);

    /// Whether a file of `seconds` deserves a bar: standard error is a terminal and the file
    /// lasts longer than a few seconds.
    static bool wanted(double seconds);
    /// Whether standard error is a terminal.
    static bool onTerminal();

private:
    int64_t total_;
    bool enabled_;
    int shownPercent_ = -1;
};

} // namespace miral::cli
