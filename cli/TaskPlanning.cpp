#include "cli/TaskPlanning.h"

#include <algorithm>
#include <cmath>

#include "cli/TimeText.h"
#include "library/AudioFileProbe.h"

namespace snipster {

std::optional<SectionSamples> SectionInFile(const SectionRange& range, const AudioFileInfo& info,
                                            std::string* why) {
  const uint64_t channels = info.channels;
  const uint64_t frames =
      static_cast<uint64_t>(info.totalSamples) / std::max<uint64_t>(channels, 1);
  const auto toFrame = [&](double seconds) {
    return static_cast<uint64_t>(std::llround(seconds * double(info.sampleRate)));
  };
  const uint64_t start = toFrame(range.start);
  const uint64_t end = range.end ? std::min(toFrame(*range.end), frames) : frames;
  if (start >= frames) {
    *why = "the section starts at " + ClockText(range.start) + ", but the file lasts only " +
           ClockText(double(frames) / double(info.sampleRate));
    return std::nullopt;
  }
  if (start >= end) {
    *why = "the section is shorter than one sample";
    return std::nullopt;
  }
  return SectionSamples{start * channels, (end - start) * channels};
}

std::vector<CConversionTask> PlanTasks(mpg123_handle_struct* probeHandle,
                                       const std::vector<std::string>& files,
                                       const CutSettings& settings,
                                       const std::optional<SectionRange>& section,
                                       const std::function<void(const std::string&)>& report,
                                       const std::atomic<int>& stop) {
  const ExtensionTypeTable types = MakeExtensionTypeTable();
  std::vector<CConversionTask> tasks;
  for (const std::string& path : files) {
    if (stop.load()) break;
    const FileRowFacts facts = ReadFileRowFacts(probeHandle, path, types);
    if (facts.info.invalid) {
      std::string line = "skipped " + path + ": cannot be read or is no MP3 file";
      if (!facts.errorText.empty()) line += " (" + facts.errorText + ")";
      report(line);
      continue;
    }
    if (!section) {
      tasks.push_back(BuildTask(facts.folder, facts.name, facts.info, settings));
      continue;
    }
    std::string why;
    const auto samples = SectionInFile(*section, facts.info, &why);
    if (!samples) {
      report("skipped " + path + ": " + why);
      continue;
    }
    tasks.push_back(
        BuildTask(facts.folder, facts.name, facts.info, settings, samples->length, samples->start));
  }
  return tasks;
}

}  // namespace snipster
