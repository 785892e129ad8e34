#include "tests/support/EngineHarness.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "engine/EncoderLibrary.h"
#include "library/AudioFileProbe.h"
#include "tests/support/TempDir.h"

namespace snipster::test {

EngineHarness::EngineHarness() {
  const std::string error = OpenDecoderLibrary(globals);
  if (!error.empty()) throw std::runtime_error(error);
  CreateSampleRings(globals);
  context.decodeHandle = globals.decodeHandle;
  context.decoderRing = globals.decoderRing.get();
  context.converterRing = globals.converterRing.get();
  context.encoderLibraryPath = DefaultEncoderLibraryPath();
}

EngineHarness::~EngineHarness() { CloseDecoderLibrary(globals); }

AudioFileInfo EngineHarness::Probe(const std::string& path) {
  AudioFileInfo info;
  info.typeCode = kTypeCodeMp3;
  const ProbeResult result = ProbeAudioFile(globals.probeHandle, path, info);
  if (!result.decoderError.empty()) throw std::runtime_error(result.decoderError);
  return info;
}

CConversionTask EngineHarness::Task(const std::string& path, const CutSettings& settings,
                                    uint64_t sectionLength, uint64_t sectionStart) {
  const auto slash = path.rfind('/');
  return BuildTask(path.substr(0, slash + 1), path.substr(slash + 1), Probe(path), settings,
                   sectionLength, sectionStart);
}

JobResult EngineHarness::Run(JobState& job, RecordingObserver& observer) {
  JobRunner runner(job, context, observer);
  runner.Start();
  runner.Wait();
  return runner.result();
}

JobResult EngineHarness::Cut(const std::vector<std::string>& paths, const CutSettings& settings,
                             RecordingObserver& observer) {
  JobState job;
  job.settings = settings;
  for (const std::string& path : paths) job.tasks.push_back(Task(path, settings));
  return Run(job, observer);
}

std::vector<std::string> FilesIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().string();
    if (entry.is_regular_file() && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      files.push_back(name);
  }
  std::sort(files.begin(), files.end());
  return files;
}

uint64_t FileSize(const std::string& path) { return std::filesystem::file_size(path); }

bool HasInfoHeader(const std::string& path) {
  const std::string head = ReadFile(path).substr(0, 1 << 16);
  return head.find("Info") != std::string::npos || head.find("Xing") != std::string::npos;
}

CutSettings OutputTo(const std::string& folder) {
  CutSettings settings;
  settings.SameAsSrc = 0;
  settings.DesDir = folder;
  return settings;
}

}  // namespace snipster::test

#include <unistd.h>

#include <cmath>

#include "tests/support/FixtureMaker.h"

namespace snipster::test {

std::string SharedFixture(const std::string& name, const Mp3Spec& spec, const TagSpec& tags) {
  const std::string folder = ProgramFolder() + "/fixtures";
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + name;
  if (std::filesystem::exists(path)) return path;
  // Made under a private name and renamed, so a parallel test never sees half a file.
  const std::string partial = path + ".part" + std::to_string(::getpid());
  MakeMp3(partial, spec, tags);
  std::filesystem::rename(partial, path);
  return path;
}

std::string SharedFixture(const std::string& name, const Mp3Spec& spec) {
  return SharedFixture(name, spec, TagSpec{});
}

double Correlation(const std::vector<int16_t>& a, size_t offsetA, const std::vector<int16_t>& b,
                   size_t offsetB, size_t count) {
  if (offsetA + count > a.size() || offsetB + count > b.size()) return 0.0;
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < count; ++i) {
    const double x = a[offsetA + i], y = b[offsetB + i];
    ab += x * y;
    aa += x * x;
    bb += y * y;
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

}  // namespace snipster::test
