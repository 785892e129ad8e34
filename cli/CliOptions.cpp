#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <iostream>

#include "cli/TimeText.h"
#include "engine/TextFormat.h"

namespace snipster {

namespace {

constexpr char kProgram[] = "snipster-cut";

constexpr char kDescription[] =
    "Cuts MP3 files into pieces of a given length, size or count, or cuts one section out of\n"
    "each file. It starts from the settings saved by Snipster (never changing them); every\n"
    "option below replaces one of those settings for this run.\n";

constexpr char kFooter[] = R"(
PATH is an MP3 file or a folder; a folder gives its *.mp3 files (any letter case) sorted by
name, and with -r also those of its sub-folders (hidden ones too): a folder's own files first,
then its sub-folders, each in turn. Pieces are named "NAME  Section N.mp3"; an existing file is
never overwritten, a free name "NAME  Section N (2).mp3" is taken instead.

Times are seconds ("90"), mm:ss ("1:30") or hh:mm:ss ("0:01:30"); --section also takes
fractions ("1:05.250"). A file that ends before the section's START is skipped.

Output: numbered log lines "NNN hh:mm:ss  text". Errors of the job are log lines on stderr
with the text starting "error: "; the other log lines go to stdout. Files that are skipped
and bad options are reported on stderr as "snipster-cut: ...". On a terminal a live progress
line (task %, job %, speed, elapsed time, ETA) stays below the log.

Exit status: 0 finished, 1 failed (or no file could be read), 2 bad option or value,
130 cancelled with Ctrl-C (SIGINT), 143 stopped with SIGTERM. A second Ctrl-C while
cancelling ends the program at once.

Examples:
  snipster-cut --length 5:00 --out ~/Pieces talk.mp3
      cuts talk.mp3 into pieces of five minutes in ~/Pieces
  snipster-cut --count 4 --same-as-source -r ~/Podcasts
      cuts every MP3 below ~/Podcasts into four pieces each, next to its source
  snipster-cut --size 9.5 --bitrate 64 --channels mono lecture.mp3
      pieces of about 9.5 MB at 64 kbit/s mono
  snipster-cut --section 1:00-2:30.5 --out clips song.mp3
      writes the part from 1:00 to 2:30.5 as "clips/song  Section 1.mp3"
  snipster-cut --dry-run --length 60 ~/Music/Album
      shows the pieces it would write and writes nothing
)";

std::string Join(const auto& values) {
  std::string text;
  for (auto value : values) {
    if (value == 0) continue;  // the "automatic" entry of the rate table
    if (!text.empty()) text += ", ";
    text += std::to_string(value);
  }
  return text;
}

template <typename Number>
bool ParseNumber(const std::string& text, Number& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

// Each check gives an error text, empty when the value is good.

std::string CheckLength(const std::string& text, int32_t& seconds) {
  const auto value = ParseClockTime(text, false);
  if (!value)
    return Format("--length: '%s' is not a time (use seconds, mm:ss or hh:mm:ss)", text.c_str());
  if (*value < CutSettings::kMinLength || *value > CutSettings::kMaxLength)
    return Format("--length must be between %d and %d seconds (00:00:01 to 23:59:59), got %s",
                  CutSettings::kMinLength, CutSettings::kMaxLength, text.c_str());
  seconds = static_cast<int32_t>(*value);
  return {};
}

std::string CheckSize(const std::string& text, double& size) {
  if (!ParseNumber(text, size) || !std::isfinite(size))
    return Format("--size: '%s' is not a number of megabytes", text.c_str());
  if (size < CutSettings::kMinSize || size > CutSettings::kMaxSize)
    return Format("--size must be between 0.001 and 4096 MB, got %s", text.c_str());
  return {};
}

std::string CheckCount(const std::string& text, int16_t& count) {
  long long value = 0;
  if (!ParseNumber(text, value)) return Format("--count: '%s' is not a whole number", text.c_str());
  if (value < CutSettings::kMinCount || value > CutSettings::kMaxCount)
    return Format("--count must be between %d and %d, got %s", CutSettings::kMinCount,
                  CutSettings::kMaxCount, text.c_str());
  count = static_cast<int16_t>(value);
  return {};
}

std::string CheckBitrate(const std::string& text, int16_t& index) {
  long long value = 0;
  if (ParseNumber(text, value)) {
    for (size_t i = 0; i < BitrateTable.size(); ++i) {
      if (BitrateTable[i] == value) {
        index = static_cast<int16_t>(i);
        return {};
      }
    }
  }
  return Format("--bitrate must be one of %s kbit/s, got %s", Join(BitrateTable).c_str(),
                text.c_str());
}

std::string CheckRate(const std::string& text, int16_t& index) {
  if (text == "auto") {
    index = 0;
    return {};
  }
  long long value = 0;
  if (ParseNumber(text, value)) {
    for (size_t i = 1; i < SampleRateTable.size(); ++i) {
      if (SampleRateTable[i] == value) {
        index = static_cast<int16_t>(i);
        return {};
      }
    }
  }
  return Format("--rate must be auto or one of %s Hz, got %s", Join(SampleRateTable).c_str(),
                text.c_str());
}

std::string CheckChannels(const std::string& text, int16_t& mode) {
  static constexpr std::pair<const char*, ChannelMode> kNames[] = {{"auto", Automatic},
                                                                   {"mono", Mono},
                                                                   {"stereo", Stereo},
                                                                   {"joint", JointStereo},
                                                                   {"dual", DualChannel}};
  for (const auto& [name, value] : kNames) {
    if (text == name) {
      mode = value;
      return {};
    }
  }
  return Format("--channels must be one of auto, mono, stereo, joint, dual, got %s", text.c_str());
}

std::string CheckSection(const std::string& text, SectionRange& range) {
  const auto dash = text.find('-');
  const char* form = "--section: '%s' is not START-END (times in seconds or hh:mm:ss.fff)";
  if (dash == std::string::npos) return Format(form, text.c_str());
  const auto start = ParseClockTime(text.substr(0, dash), true);
  if (!start) return Format(form, text.c_str());
  range.start = *start;
  const std::string endText = text.substr(dash + 1);
  if (!endText.empty()) {
    const auto end = ParseClockTime(endText, true);
    if (!end) return Format(form, text.c_str());
    // The same for every file, so no file could be cut.
    if (*end <= *start) return Format("--section: START must be before END, got %s", text.c_str());
    range.end = *end;
  }
  return {};
}

}  // namespace

ParseOutcome ParseCommandLine(int argc, char** argv) {
  ParseOutcome outcome;
  CliOptions& options = outcome.options;
  std::string length, size, count, section, bitrate, rate, channels, out;

  CLI::App app(kDescription, kProgram);
  app.get_formatter()->column_width(30);
  app.footer("\nBit rates (kbit/s): " + Join(BitrateTable) +
             "\nSample rates (Hz): auto (from the " + "source), " + Join(SampleRateTable) + "\n" +
             kFooter);
  app.set_version_flag("--version", std::string(kProgram) + " " + SNIPSTER_VERSION);

  app.add_option("PATH", options.paths, "MP3 files and folders to cut")
      ->required()
      ->type_name("FILE|DIR");
  app.add_flag("-r,--recursive", options.recursive, "Also take the MP3 files of sub-folders");

  const char* modes = "Cutting (give at most one; default: the saved setting)";
  auto* lengthOption = app.add_option("--length", length, "Pieces of this length, 1 s to 23:59:59")
                           ->type_name("TIME")
                           ->group(modes);
  auto* sizeOption = app.add_option("--size", size, "Pieces of this size, 0.001 to 4096 MB")
                         ->type_name("MB")
                         ->group(modes);
  auto* countOption =
      app.add_option("--count", count, "This many pieces of equal length, 2 to 10000")
          ->type_name("N")
          ->group(modes);
  auto* sectionOption =
      app.add_option("--section", section,
                     "One piece from START to END of each file (no END: to its end)")
          ->type_name("START-END")
          ->group(modes);

  const char* encoding = "Encoding";
  auto* bitrateOption =
      app.add_option("--bitrate", bitrate, "Constant bit rate in kbit/s (values below)")
          ->type_name("KBPS")
          ->group(encoding);
  auto* rateOption = app.add_option("--rate", rate, "Sample rate in Hz (values below)")
                         ->type_name("HZ|auto")
                         ->group(encoding);
  auto* channelsOption = app.add_option("--channels", channels, "auto, mono, stereo, joint or dual")
                             ->type_name("MODE")
                             ->group(encoding);

  const char* output = "Output (default: the saved setting)";
  auto* outOption = app.add_option("--out", out, "Write the pieces into this folder")
                        ->type_name("DIR")
                        ->group(output);
  auto* sameOption =
      app.add_flag("--same-as-source", options.sameAsSource, "Write the pieces next to each source")
          ->group(output);

  const char* other = "Other";
  app.add_flag("-n,--dry-run", options.dryRun, "Print the pieces it would write and write nothing")
      ->group(other);
  app.add_option("--config", options.configFile,
                 "Start from the settings in FILE, not the saved ones")
      ->type_name("FILE")
      ->group(other);
  app.add_option("--encoder-library", options.encoderLibrary,
                 "For testing: the MP3 encoder library to load")
      ->type_name("PATH")
      ->group(other);

  auto fail = [&](const std::string& text) {
    std::cerr << kProgram << ": error: " << text << std::endl;
    outcome.exitCode = kExitUsage;
    return outcome;
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    outcome.exitCode = app.exit(e, std::cout, std::cerr);
    return outcome;
  } catch (const CLI::CallForVersion& e) {
    outcome.exitCode = app.exit(e, std::cout, std::cerr);
    return outcome;
  } catch (const CLI::ParseError& e) {
    return fail(std::string(e.what()) + " (see --help)");
  }

  const int modeCount = int(lengthOption->count() > 0) + int(sizeOption->count() > 0) +
                        int(countOption->count() > 0) + int(sectionOption->count() > 0);
  if (modeCount > 1) return fail("give only one of --length, --size, --count and --section");
  if (outOption->count() > 0 && sameOption->count() > 0)
    return fail("give only one of --out and --same-as-source");

  std::string error;
  if (lengthOption->count()) {
    int32_t value = 0;
    if (!(error = CheckLength(length, value)).empty()) return fail(error);
    options.mode = ByLength;
    options.length = value;
  }
  if (sizeOption->count()) {
    double value = 0;
    if (!(error = CheckSize(size, value)).empty()) return fail(error);
    options.mode = BySize;
    options.size = value;
  }
  if (countOption->count()) {
    int16_t value = 0;
    if (!(error = CheckCount(count, value)).empty()) return fail(error);
    options.mode = ByCount;
    options.count = value;
  }
  if (sectionOption->count()) {
    SectionRange value;
    if (!(error = CheckSection(section, value)).empty()) return fail(error);
    options.section = value;
  }
  if (bitrateOption->count()) {
    int16_t value = 0;
    if (!(error = CheckBitrate(bitrate, value)).empty()) return fail(error);
    options.lameBits = value;
  }
  if (rateOption->count()) {
    int16_t value = 0;
    if (!(error = CheckRate(rate, value)).empty()) return fail(error);
    options.freq = value;
  }
  if (channelsOption->count()) {
    int16_t value = 0;
    if (!(error = CheckChannels(channels, value)).empty()) return fail(error);
    options.lameChannel = value;
  }
  if (outOption->count()) {
    if (out.empty()) return fail("--out needs a folder");
    if (out.back() != '/') out += '/';
    options.desDir = out;
  }
  if (options.configFile.empty() && app.count("--config")) return fail("--config needs a file");
  return outcome;
}

void ApplyOverrides(const CliOptions& options, CutSettings& settings) {
  if (options.mode) settings.Mode = *options.mode;
  if (options.length) settings.Length = *options.length;
  if (options.size) settings.Size = *options.size;
  if (options.count) settings.Count = *options.count;
  if (options.lameBits) settings.LameBits = *options.lameBits;
  if (options.freq) settings.Freq = *options.freq;
  if (options.lameChannel) settings.LameChannel = *options.lameChannel;
  if (options.desDir) {
    settings.SameAsSrc = 0;
    settings.DesDir = *options.desDir;
  }
  if (options.sameAsSource) settings.SameAsSrc = 1;
}

}  // namespace snipster
