#include "engine/SectionWriter.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "engine/EncoderLibrary.h"
#include "engine/OutputPaths.h"
#include "engine/TagWriter.h"
#include "engine/TaskRun.h"
#include "engine/TextFormat.h"

namespace snipster {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr auto kPausePoll = std::chrono::milliseconds(100);

bool ProducersRunning(const CConversionTask& task) {
  return task.decoding.load() || task.converting.load();
}

// Waits until the input has a sample for a new file (true) or has ended or the job stopped
// (false). The producers' flags are read before the ring, so a cleared flag is never seen
// ahead of the producer's last write.
bool InputWaiting(TaskRun& run) {
  SampleRing& input = *run.task.encoderInput;
  while (run.running()) {
    const bool producing = ProducersRunning(run.task);
    if (input.Available() > 0) return true;
    if (!producing) return false;
    PollPause();
  }
  return false;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void WriterThread(TaskRun& run) {
  CConversionTask& task = run.task;
  task.encoding = 1;
  try {
    for (int section = 1; run.running() && InputWaiting(run); ++section) {
      std::string path = SectionFileName(task.destPath, section);
      if (PathExists(path)) path = MakeUniquePath(path);
      run.observer.onDestinationText(path);
      EncodeSection(run, path);
      if (task.sectionLength != 0) break;
    }
  } catch (...) {
    run.Fail(Format("An error occurred while encoding %s", task.destPath.c_str()));
  }
  task.encoding = 0;
  run.writerFinished = 1;
}

bool EncodeSection(TaskRun& run, const std::string& path) {
  CConversionTask& task = run.task;
  JobState& job = run.job;
  SampleRing& input = *task.encoderInput;

  EncoderLibrary lib;
  switch (LoadEncoderLibrary(run.engine.encoderLibraryPath, lib)) {
    case EncoderLoad::NotLoaded:
      run.Log("Error loading lame_enc.dll", LogLevel::Error);
      run.observer.onMessageBox("Error Loading Lame_enc.dll", MessageIcon::Error);
      run.Stop();
      return false;
    case EncoderLoad::MissingEntryPoint:
      run.Log("Unable to get LAME interfaces", LogLevel::Error);
      run.observer.onMessageBox("Unable to Get LAME Interfaces", MessageIcon::Error);
      run.Stop();
      return false;
    case EncoderLoad::Ok:
      break;
  }
  BeConfig config = MakeEncoderConfig(task, job.settings.LameBits, job.settings.LameChannel);

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w+b"));
  if (!file) {
    run.Fail(Format("Error creating file %s", path.c_str()));
    return false;
  }

  uint32_t samplesPerChunk = 0, bufferSize = 0;
  BeStream stream = nullptr;
  const BeErr initError = lib.initStream(&config, &samplesPerChunk, &bufferSize, &stream, 0, 0, "",
                                         "", "", "", "", "", "", 0, 1, 30, 5, 16000, 2400);
  if (initError != kBeErrSuccessful) {
    run.Fail(Format("Error opening encoding stream (%lu)", static_cast<unsigned long>(initError)));
    if (stream) lib.closeStream(stream);
    return false;
  }

  const bool stereo = task.outChannels == 2;
  std::vector<uint8_t> output(bufferSize);
  std::vector<int32_t> samples(samplesPerChunk);
  std::vector<float> left(stereo ? samplesPerChunk / 2 : samplesPerChunk);
  std::vector<float> right(stereo ? samplesPerChunk / 2 : 0);

  const SectionLimits limits = SectionLimit(task, job.settings);
  uint64_t sampleLimit = limits.samples;
  const uint64_t byteLimit = limits.bytes;
  uint64_t bytesWritten = 0;
  const double valuesPerSecond = double(task.outChannels) * double(task.outRate);
  auto lastProgress = Clock::now();
  bool streamClosed = false;

  auto writeBytes = [&](uint32_t count) {
    const size_t written = std::fwrite(output.data(), 1, count, file.get());
    if (written < count) run.Fail("Output file write error");
    return written;
  };

  while (run.running()) {
    if (job.paused.load()) {
      std::this_thread::sleep_for(kPausePoll);
      continue;
    }
    if (Clock::now() - lastProgress > kProgressInterval) {
      lastProgress = Clock::now();
      run.observer.onProgress(job.TaskPercent(task.totalOutSamples), job.JobPercent());
    }
    if (bytesWritten >= byteLimit) break;
    const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(samplesPerChunk, sampleLimit));
    if (input.Available() < n && ProducersRunning(task)) {
      PollPause();
      continue;
    }
    const uint32_t got = input.Read(samples.data(), n);
    constexpr float kScale = 1.0f / 65536.0f;
    uint32_t perChannel = got;
    if (stereo) {
      perChannel = got / 2;
      for (uint32_t i = 0; i < perChannel; ++i) {
        left[i] = static_cast<float>(samples[2 * i]) * kScale;
        right[i] = static_cast<float>(samples[2 * i + 1]) * kScale;
      }
    } else {
      for (uint32_t i = 0; i < got; ++i) left[i] = static_cast<float>(samples[i]) * kScale;
    }
    uint32_t produced = 0;
    const BeErr error = lib.encodeChunk(stream, perChannel, left.data(),
                                        stereo ? right.data() : nullptr, output.data(), &produced);
    if (error != kBeErrSuccessful) {
      lib.closeStream(stream);
      streamClosed = true;
      run.Fail(Format("beEncodeChunk() failed (%lu)", static_cast<unsigned long>(error)));
      break;
    }
    bytesWritten += writeBytes(produced);
    sampleLimit -= got;
    job.doneTask += got;
    job.doneAll += got;
    const float seconds = static_cast<float>(got / valuesPerSecond);
    job.secondsAll = job.secondsAll + seconds;
    job.secondsTask = job.secondsTask + seconds;
    if (got == 0) break;
  }

  if (!streamClosed) {
    uint32_t produced = 0;
    const BeErr error = lib.deinitStream(stream, output.data(), &produced);
    if (error != kBeErrSuccessful) {
      run.Fail(Format("beExitStream failed (%lu)", static_cast<unsigned long>(error)));
    } else if (produced > 0) {
      writeBytes(produced);
    }
    lib.closeStream(stream);
  }
  // Buffered bytes reach the disk only now; a full disk shows here, not in fwrite.
  if ((std::fflush(file.get()) != 0 || std::ferror(file.get())) && run.running())
    run.Fail("Output file write error");
  if (std::fclose(file.release()) != 0 && run.running()) run.Fail("Output file write error");

  if (lib.writeInfoTag) {
    lib.writeInfoTag(stream, path.c_str());
  } else {
    lib.writeVbrHeader(path.c_str());
  }
  if (task.tagMode == kTagModeCopy) WriteTags(task, path, run.observer);

  run.observer.onProgressSent(job.TaskPercent(task.totalOutSamples), job.JobPercent(),
                              job.running);
  return true;
}

}  // namespace snipster
