#pragma once

#include <optional>
#include <string>

namespace snipster {

// A time as the command line takes it: "SS", "MM:SS" or "HH:MM:SS", where the minutes and
// seconds after a colon are below 60. With allowFraction the last part may carry a decimal
// fraction ("75.5", "1:15.250"). Empty when the text is no such time.
std::optional<double> ParseClockTime(const std::string& text, bool allowFraction);

// "hh:mm:ss.fff", for the plan printout.
std::string ClockText(double seconds);

// "hh:mm:ss" of the whole seconds, as the progress window shows times.
std::string WholeClockText(double seconds);

}  // namespace snipster
