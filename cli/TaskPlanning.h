#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "engine/CConversionTask.h"
#include "library/AudioFileInfo.h"
#include "settings/CutSettings.h"

struct mpg123_handle_struct;

namespace snipster {

// A section in source sample values (frames x channels), as BuildTask takes it.
struct SectionSamples {
  uint64_t start = 0;
  uint64_t length = 0;
};

// The part of the file that the section covers; an end past the file is cut to the file's end.
// Empty, with *why set, when nothing of the file is left.
std::optional<SectionSamples> SectionInFile(const SectionRange& range, const AudioFileInfo& info,
                                            std::string* why);

// Probes each file and builds its task. Files that cannot be read or probed, and files that end
// before the section starts, are handed to report and left out. Stops early (returning what it
// has) once stop is non-zero.
std::vector<CConversionTask> PlanTasks(mpg123_handle_struct* probeHandle,
                                       const std::vector<std::string>& files,
                                       const CutSettings& settings,
                                       const std::optional<SectionRange>& section,
                                       const std::function<void(const std::string&)>& report,
                                       const std::atomic<int>& stop);

}  // namespace snipster
