#pragma once

#include <string>
#include <vector>

#include "app/AppGlobals.h"
#include "engine/CConversionTask.h"
#include "engine/JobRunner.h"
#include "library/AudioFileInfo.h"
#include "settings/CutSettings.h"
#include "tests/support/RecordingObserver.h"

namespace snipster::test {

// The process parts a job needs (decoder handles, rings, the encoder library beside the tests),
// set up as the program does at start-up and released at the end.
class EngineHarness {
 public:
  EngineHarness();
  ~EngineHarness();
  EngineHarness(const EngineHarness&) = delete;
  EngineHarness& operator=(const EngineHarness&) = delete;

  AudioFileInfo Probe(const std::string& path);
  // The task for a file as the cut commands build it.
  CConversionTask Task(const std::string& path, const CutSettings& settings,
                       uint64_t sectionLength = 0, uint64_t sectionStart = 0);
  // Runs a whole job and waits for its end.
  JobResult Run(JobState& job, RecordingObserver& observer);
  // Builds one task per path and runs them as one job.
  JobResult Cut(const std::vector<std::string>& paths, const CutSettings& settings,
                RecordingObserver& observer);

  AppGlobals globals;
  EngineContext context;
};

// The regular files of a folder whose names end with suffix, sorted by name.
std::vector<std::string> FilesIn(const std::string& folder, const std::string& suffix = ".mp3");

uint64_t FileSize(const std::string& path);

// True when the file's first audio frame is an Info (or Xing) header.
bool HasInfoHeader(const std::string& path);

// Settings that write into folder, with the given mode fields left to the caller.
CutSettings OutputTo(const std::string& folder);

}  // namespace snipster::test

namespace snipster::test {

struct Mp3Spec;
struct TagSpec;

// A fixture made once and kept beside the test programs, so that the many test processes of a
// run share it. Its name must say what it holds.
std::string SharedFixture(const std::string& name, const Mp3Spec& spec, const TagSpec& tags);
std::string SharedFixture(const std::string& name, const Mp3Spec& spec);

// Normalised correlation of two interleaved 16-bit signals of the same channel count, over
// count values starting at the given offsets: 1 for the same signal.
double Correlation(const std::vector<int16_t>& a, size_t offsetA, const std::vector<int16_t>& b,
                   size_t offsetB, size_t count);

}  // namespace snipster::test
