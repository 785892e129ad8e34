#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/CutSettings.h"

namespace snipster {

// A user-defined section in seconds of the source.
struct SectionRange {
  double start = 0.0;
  std::optional<double> end;  // empty: up to the end of the file
};

// The command line, every value already checked against its limits. Each setting that is set
// here replaces the one read from the settings file.
struct CliOptions {
  std::vector<std::string> paths;
  bool recursive = false;
  bool dryRun = false;
  std::string configFile;      // empty: the user's settings file
  std::string encoderLibrary;  // empty: the library beside the program
  std::optional<SectionRange> section;

  std::optional<int16_t> mode;
  std::optional<int32_t> length;
  std::optional<double> size;
  std::optional<int16_t> count;
  std::optional<int16_t> lameBits;
  std::optional<int16_t> freq;
  std::optional<int16_t> lameChannel;
  std::optional<std::string> desDir;  // ends with '/'
  bool sameAsSource = false;
};

// Exit codes of the program.
inline constexpr int kExitFinished = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct ParseOutcome {
  CliOptions options;
  std::optional<int> exitCode;  // set when the program ends here (help, version, a bad value)
};

// Parses the arguments. Help and version are printed to stdout; a bad argument is reported as
// one line on stderr and gives kExitUsage.
ParseOutcome ParseCommandLine(int argc, char** argv);

void ApplyOverrides(const CliOptions& options, CutSettings& settings);

}  // namespace snipster
