#include "cutting_ui/ProgressFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/TextFormat.h"

namespace snipster {
namespace {

// About 114 years: far beyond any job, and well inside the 64-bit range.
constexpr double kMaxSeconds = 3.6e9;

}  // namespace

float ClampPercent(float percent) {
  if (!(percent > 0.f)) return 0.f;  // also NaN
  return std::min(percent, 100.f);
}

std::string FormatPercent(double percent) {
  return Format("%5.2lf%%", percent);
}

std::string FormatSpeed(double speed) {
  return Format(" %5.2fx", speed);
}

std::string FormatDuration(double seconds) {
  if (!(seconds > 0.0)) seconds = 0.0;
  const auto s = static_cast<int64_t>(std::min(seconds, kMaxSeconds));
  return Format("%02lld:%02d:%02d", static_cast<long long>(s / 3600),
                static_cast<int>(s % 3600 / 60), static_cast<int>(s % 60));
}

std::optional<double> RemainingSeconds(double percent, double elapsed) {
  if (!(percent > 0.0)) return std::nullopt;
  return (100.0 - percent) * elapsed / percent;
}

}  // namespace snipster
