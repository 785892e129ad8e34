#include "cli/TimeText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/TextFormat.h"

namespace snipster {

namespace {

// Up to nine digits, so that no part can overflow.
bool ParseDigits(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

}  // namespace

std::optional<double> ParseClockTime(const std::string& text, bool allowFraction) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ':') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  if (parts.size() > 3) return std::nullopt;

  // Only the last part may have a fraction.
  std::string& last = parts.back();
  double fraction = 0.0;
  if (const auto dot = last.find('.'); dot != std::string::npos) {
    if (!allowFraction) return std::nullopt;
    const std::string digits = last.substr(dot + 1);
    int64_t numerator = 0;
    if (!ParseDigits(digits, numerator)) return std::nullopt;
    fraction = static_cast<double>(numerator) / std::pow(10.0, static_cast<double>(digits.size()));
    last.resize(dot);
  }

  int64_t values[3] = {0, 0, 0};
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!ParseDigits(parts[i], values[i])) return std::nullopt;
    // Every part after the first is a count of minutes or seconds within the next unit.
    if (i > 0 && values[i] >= 60) return std::nullopt;
  }
  int64_t seconds = 0;
  for (size_t i = 0; i < parts.size(); ++i) seconds = seconds * 60 + values[i];
  return static_cast<double>(seconds) + fraction;
}

std::string ClockText(double seconds) {
  const auto millis = static_cast<long long>(std::llround(std::max(seconds, 0.0) * 1000.0));
  const long long whole = millis / 1000;
  return Format("%02lld:%02lld:%02lld.%03lld", whole / 3600, whole / 60 % 60, whole % 60,
                millis % 1000);
}

std::string WholeClockText(double seconds) {
  const auto whole = static_cast<long long>(std::max(seconds, 0.0));
  return Format("%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
}

}  // namespace snipster
