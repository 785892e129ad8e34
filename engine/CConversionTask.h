#pragma once

#include <cstdint>
#include <string>

#include "engine/CopyableAtomic.h"
#include "engine/RingBuffer.h"

namespace snipster {

struct AudioFileInfo;
struct CutSettings;

// One task of a cutting job: one source file and the plan for its pieces. A plain record,
// copied by value; the runner works on a copy whose state flags the stage threads share.
//
// Sample counts are counts of sample values (frames x channels). They are 64-bit so that
// sections and files of any length work.
struct CConversionTask {
  std::string sourcePath;
  int32_t fileType = -1;
  uint32_t sourceRate = static_cast<uint32_t>(-1);
  uint32_t sourceChannels = static_cast<uint32_t>(-1);
  uint8_t tagKinds = 0;
  uint8_t tagKindsToWrite = 0;
  std::string destPath;  // output folder + output name; the section names are formed from it
  int32_t tagMode = -1;  // tags are copied only when this is 2
  uint32_t outRate = static_cast<uint32_t>(-1);
  uint32_t outChannels = static_cast<uint32_t>(-1);
  uint64_t totalOutSamples = 0;
  uint64_t sectionStart = 0;   // first source sample value of a user-defined section
  uint64_t sectionLength = 0;  // source sample values of the section; 0 means the whole file
  double ratio = 0.0;          // output values per source value
  int32_t needsConversion = 0;
  CopyableAtomic<int32_t> decoding{0};
  CopyableAtomic<int32_t> encoding{0};
  CopyableAtomic<int32_t> converting{0};
  SampleRing* encoderInput = nullptr;
  std::string artist;
  std::string albumArtist;
  std::string album;
  std::string track;
  std::string title;
  std::string genre;
  std::string date;
  std::string comment;
};

inline constexpr int32_t kTagModeCopy = 2;

// Stands for "no limit" in a SectionLimit.
inline constexpr uint64_t kNoLimit = UINT64_MAX;

struct SectionLimits {
  uint64_t samples = kNoLimit;  // output sample values per file
  uint64_t bytes = kNoLimit;    // encoded bytes per file
};

// Builds the task for one list row. folder ends with '/'; fileName is the row's name.
CConversionTask BuildTask(const std::string& folder, const std::string& fileName,
                          const AudioFileInfo& info, const CutSettings& settings,
                          uint64_t sectionLength = 0, uint64_t sectionStart = 0);

// The first common MP3 rate not below the source rate; 48000 above that.
uint32_t AutoSampleRate(uint32_t sourceRate);

// Where one output file of the task ends.
SectionLimits SectionLimit(const CConversionTask& task, const CutSettings& settings);

// The file name of section n (from 1) of a task whose destination is destPath.
std::string SectionFileName(const std::string& destPath, int sectionNumber);

}  // namespace snipster
