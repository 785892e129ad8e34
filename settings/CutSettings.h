#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace snipster {

enum CutMode : int16_t {
  ByLength = 0,
  BySize = 1,
  ByCount = 2,
};

enum ChannelMode : int16_t {
  Automatic = 0,
  Mono = 1,
  Stereo = 2,
  JointStereo = 3,
  DualChannel = 4,
};

// Index -> Hz; index 0 means "automatic" (chosen from the source rate).
inline constexpr std::array<uint32_t, 10> SampleRateTable = {
    0, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

// Index -> kbit/s of the constant bit rate.
inline constexpr std::array<uint32_t, 17> BitrateTable = {
    8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

// The cut and encoder settings. Each field is named after its key in Config.ini.
struct CutSettings {
  int32_t SameAsSrc = 0;
  int16_t Mode = ByLength;
  int32_t Length = 60;  // seconds
  double Size = 1.0;    // megabytes
  int16_t Count = 2;
  int16_t TickFreq = 10;  // seconds between the section slider's tick marks
  int16_t LameBits = 11;  // index into BitrateTable (128 kbit/s)
  int16_t LameChannel = Automatic;
  int16_t Freq = 0;    // index into SampleRateTable
  std::string DesDir;  // output folder when SameAsSrc is 0; ends with '/' once chosen
  std::string LastDir;

  static constexpr double kMinSize = 0.001;
  static constexpr double kMaxSize = 4096.0;
  static constexpr int16_t kMinCount = 2;
  static constexpr int16_t kMaxCount = 10000;
  static constexpr int32_t kMinLength = 1;
  static constexpr int32_t kMaxLength = 86399;
  static constexpr size_t kMaxText = 1023;
};

// Table lookups that tolerate indices from a hand-edited file.
uint32_t SampleRateAt(int index);  // 0 when out of range
uint32_t BitrateAt(int index);     // 128 when out of range

}  // namespace snipster
