#include "engine/CConversionTask.h"

#include <algorithm>
#include <cmath>

#include "library/AudioFileInfo.h"
#include "settings/CutSettings.h"

namespace snipster {

namespace {
constexpr uint32_t kCommonRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
}

uint32_t AutoSampleRate(uint32_t sourceRate) {
  for (uint32_t rate : kCommonRates) {
    if (rate >= sourceRate) return rate;
  }
  return 48000;
}

CConversionTask BuildTask(const std::string& folder, const std::string& fileName,
                          const AudioFileInfo& info, const CutSettings& settings,
                          uint64_t sectionLength, uint64_t sectionStart) {
  CConversionTask task;
  task.sourcePath = folder + fileName;

  const auto dot = fileName.rfind('.');
  // A name without a dot keeps all of it, so that such files do not all become "mp3".
  const std::string outputName =
      (dot == std::string::npos ? fileName + "." : fileName.substr(0, dot + 1)) + "mp3";
  task.destPath = (settings.SameAsSrc ? folder : settings.DesDir) + outputName;

  task.fileType = info.typeCode;
  task.tagKinds = info.tagFlags;
  task.sourceRate = info.sampleRate;
  task.sourceChannels = info.channels;
  task.tagMode = kTagModeCopy;

  switch (settings.LameChannel) {
    case Automatic:
      task.outChannels = info.channels < 2 ? info.channels : 2;
      break;
    case Mono:
      task.outChannels = 1;
      break;
    default:
      task.outChannels = 2;
  }
  // An index outside the table (only a hand-edited file holds one) is taken as automatic.
  const uint32_t tableRate = SampleRateAt(settings.Freq);
  task.outRate = tableRate == 0 ? AutoSampleRate(info.sampleRate) : tableRate;

  const double sourceValues = double(info.sampleRate) * double(info.channels);
  task.ratio = sourceValues > 0 ? double(task.outRate) * double(task.outChannels) / sourceValues
                                : 0.0;

  double rawTotal;
  if (sectionLength != 0) {
    task.sectionLength = sectionLength;
    task.sectionStart = sectionStart;
    rawTotal = task.ratio * double(sectionLength);
  } else {
    rawTotal = task.ratio * double(static_cast<uint64_t>(info.totalSamples));
  }
  uint64_t total = rawTotal > 0 ? static_cast<uint64_t>(rawTotal) : 0;
  if (task.outChannels > 0) total -= total % task.outChannels;
  task.totalOutSamples = total;

  task.needsConversion = task.outRate != task.sourceRate || task.outChannels != task.sourceChannels;

  task.artist = info.artist;
  task.albumArtist = info.albumArtist;
  task.album = info.album;
  task.track = info.track;
  task.title = info.title;
  task.genre = info.genre;
  task.date = info.date;
  task.comment = info.comment;
  return task;
}

SectionLimits SectionLimit(const CConversionTask& task, const CutSettings& settings) {
  SectionLimits limits;
  if (task.sectionLength != 0) {
    limits.samples = task.totalOutSamples;
    return limits;
  }
  switch (settings.Mode) {
    case ByLength:
      // A hand-edited file may hold a length below one second; a zero limit would make an
      // endless run of empty files, so the shortest piece is one second.
      limits.samples = uint64_t{task.outChannels} *
                       uint64_t(std::max(settings.Length, CutSettings::kMinLength)) *
                       uint64_t{task.outRate};
      break;
    case BySize:
      limits.bytes = static_cast<uint64_t>(std::floor(settings.Size * 1048576.0));
      break;
    case ByCount: {
      const uint64_t count = settings.Count > 0 ? uint64_t(settings.Count) : 1;
      uint64_t limit = task.totalOutSamples / count + 1;
      if (task.outChannels > 0) {
        while (limit % task.outChannels != 0) ++limit;
      }
      limits.samples = limit;
      break;
    }
    default:
      break;
  }
  return limits;
}

std::string SectionFileName(const std::string& destPath, int sectionNumber) {
  const std::string stem = destPath.size() >= 4 ? destPath.substr(0, destPath.size() - 4) : "";
  return stem + "  Section " + std::to_string(sectionNumber) + ".mp3";
}

}  // namespace snipster
