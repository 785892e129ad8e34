#pragma once

#include <optional>
#include <string>

namespace snipster {

// The figures of the cutting progress window as texts. Plain functions, so that the rules of
// the display are checked without a window.

// A percentage for display and for the progress bars: never above 100 (nor below 0).
float ClampPercent(float percent);

// "%5.2lf%%": " 0.00%", "42.50%", "100.00%".
std::string FormatPercent(double percent);

// " %5.2fx", with its leading space: "  1.25x", " 12.00x".
std::string FormatSpeed(double speed);

// hh:mm:ss of the truncated seconds; the hours do not wrap at a day ("25:00:00"). Negative or
// non-finite seconds show as "00:00:00", very large ones are capped instead of overflowing.
std::string FormatDuration(double seconds);

// Seconds still to go when percent of the work took elapsed seconds: (100 - percent) x
// elapsed / percent. None while nothing is done yet.
std::optional<double> RemainingSeconds(double percent, double elapsed);

}  // namespace snipster
