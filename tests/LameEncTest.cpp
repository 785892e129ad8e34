// The encoder library as the engine uses it: loaded with dlopen from the program's folder, driven
// through the six entry points, its files checked by walking their frames and decoding them.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/lame_enc/BladeEnc.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using test::DecodedAudio;
using test::DecodeMp3;
using test::ReadFile;
using test::SignalValue;
using test::TempDir;
using test::WriteFile;

struct LameEncLibrary {
  void* handle = nullptr;
  BeInitStreamFn init = nullptr;
  BeEncodeChunkFloatS16NIFn encode = nullptr;
  BeDeinitStreamFn deinit = nullptr;
  BeCloseStreamFn close = nullptr;
  BeWriteInfoTagFn writeInfoTag = nullptr;
  BeWriteVBRHeaderFn writeVbrHeader = nullptr;
};

// Loaded once for the whole program, as the engine does; never unloaded.
const LameEncLibrary& Library() {
  static const LameEncLibrary library = [] {
    LameEncLibrary lib;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    lib.handle = dlopen((folder / "liblame_enc.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib.handle) return lib;
    lib.init = reinterpret_cast<BeInitStreamFn>(dlsym(lib.handle, "beInitStream"));
    lib.encode =
        reinterpret_cast<BeEncodeChunkFloatS16NIFn>(dlsym(lib.handle, "beEncodeChunkFloatS16NI"));
    lib.deinit = reinterpret_cast<BeDeinitStreamFn>(dlsym(lib.handle, "beDeinitStream"));
    lib.close = reinterpret_cast<BeCloseStreamFn>(dlsym(lib.handle, "beCloseStream"));
    lib.writeInfoTag = reinterpret_cast<BeWriteInfoTagFn>(dlsym(lib.handle, "beWriteInfoTag"));
    lib.writeVbrHeader =
        reinterpret_cast<BeWriteVBRHeaderFn>(dlsym(lib.handle, "beWriteVBRHeader"));
    return lib;
  }();
  return library;
}

class LameEncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    ASSERT_TRUE(lib.init && lib.encode && lib.deinit && lib.close && lib.writeInfoTag &&
                lib.writeVbrHeader);
  }
  const LameEncLibrary& lib = Library();
};

// The record exactly as the section writer fills it.
BeConfig EngineConfig(uint32_t rate, int32_t mode, uint32_t kbps) {
  BeConfig config;
  std::memset(&config, 0, sizeof config);
  config.configType = kBeConfigLame;
  config.structVersion = kBeConfigVersion;
  config.structSize = kBeConfigSize;
  config.sampleRate = rate;
  config.mode = mode;
  config.bitrate = kbps;
  config.preset = kBePresetNone;
  config.mpegVersion = kBeMpegVersion1;
  config.writeVbrHeader = 1;
  config.noBitReservoir = 1;
  config.quality = 0xF50A;
  return config;
}

BeErr Init(const LameEncLibrary& lib, BeConfig& config, uint32_t* samplesPerChunk,
           uint32_t* bufferSize, BeStream* stream) {
  return lib.init(&config, samplesPerChunk, bufferSize, stream, 0, 0, "", "", "", "", "", "", "", 0,
                  1, 30, 5, 16000, 2400);
}

struct Encoded {
  uint32_t samplesPerChunk = 0;
  uint32_t bufferSize = 0;
  uint64_t frames = 0;  // per channel, as fed to the encoder
  BeErr infoTag = kBeErrSuccessful;
};

// The section writer's sequence: chunks of the reported size, flush, close the stream, close the
// file, then the Info header.
Encoded EncodeFile(const LameEncLibrary& lib, const std::string& path, BeConfig config,
                   double seconds) {
  Encoded result;
  BeStream stream = nullptr;
  EXPECT_EQ(Init(lib, config, &result.samplesPerChunk, &result.bufferSize, &stream),
            kBeErrSuccessful);
  if (!stream) return result;
  const uint32_t channels = config.mode == kBeModeMono ? 1 : 2;
  const uint32_t perChannel = result.samplesPerChunk / channels;
  std::vector<float> left(perChannel), right(perChannel);
  std::vector<uint8_t> output(result.bufferSize);
  std::FILE* file = std::fopen(path.c_str(), "w+b");
  EXPECT_NE(file, nullptr);
  const auto total = static_cast<uint64_t>(std::llround(seconds * config.sampleRate));
  uint32_t bytes = 0;
  while (result.frames < total) {
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(perChannel, total - result.frames));
    for (uint32_t i = 0; i < n; ++i) {
      left[i] = SignalValue(result.frames + i, 0, config.sampleRate);
      right[i] = SignalValue(result.frames + i, 1, config.sampleRate);
    }
    EXPECT_EQ(lib.encode(stream, n, left.data(), channels == 2 ? right.data() : nullptr,
                         output.data(), &bytes),
              kBeErrSuccessful);
    EXPECT_LE(bytes, result.bufferSize);
    EXPECT_EQ(std::fwrite(output.data(), 1, bytes, file), bytes);
    result.frames += n;
  }
  EXPECT_EQ(lib.deinit(stream, output.data(), &bytes), kBeErrSuccessful);
  EXPECT_EQ(std::fwrite(output.data(), 1, bytes, file), bytes);
  EXPECT_EQ(lib.close(stream), kBeErrSuccessful);
  EXPECT_EQ(std::fclose(file), 0);
  result.infoTag = lib.writeInfoTag(stream, path.c_str());
  return result;
}

// One MPEG audio layer III frame header, read independently of any decoder.
struct FrameHeader {
  bool mpeg1 = false;
  uint32_t kbps = 0;
  uint32_t rate = 0;
  uint32_t modeBits = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  uint32_t size = 0;
  uint32_t mainDataBegin = 0;  // bytes of earlier frames this one uses (the bit reservoir)
  bool info = false;           // carries the "Info" header
};

std::vector<FrameHeader> WalkFrames(const std::string& data) {
  static constexpr uint32_t kKbps[2][15] = {
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},       // MPEG-2 and 2.5
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};  // MPEG-1
  static constexpr uint32_t kRates[3] = {44100, 48000, 32000};
  std::vector<FrameHeader> frames;
  size_t pos = 0;
  while (pos + 4 <= data.size()) {
    const auto* b = reinterpret_cast<const uint8_t*>(data.data() + pos);
    const uint32_t versionBits = (b[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const uint32_t bitrateIndex = b[2] >> 4, rateIndex = (b[2] >> 2) & 3;
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0 || versionBits == 1 || ((b[1] >> 1) & 3) != 1 ||
        bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
      ADD_FAILURE() << "no layer III frame header at byte " << pos;
      break;
    }
    FrameHeader h;
    h.mpeg1 = versionBits == 3;
    h.kbps = kKbps[h.mpeg1][bitrateIndex];
    h.rate = kRates[rateIndex] >> (versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2);
    h.modeBits = b[3] >> 6;
    const uint32_t padding = (b[2] >> 1) & 1;
    h.size = (h.mpeg1 ? 144000 : 72000) * h.kbps / h.rate + padding;
    const size_t sideInfo = 4 + ((b[1] & 1) ? 0 : 2);
    if (pos + sideInfo + 2 > data.size()) break;
    const auto* side = b + sideInfo;
    h.mainDataBegin = h.mpeg1 ? (side[0] << 1 | side[1] >> 7) : side[0];
    const size_t sideSize = h.mpeg1 ? (h.modeBits == 3 ? 17 : 32) : (h.modeBits == 3 ? 9 : 17);
    h.info = data.compare(pos + sideInfo + sideSize, 4, "Info") == 0;
    frames.push_back(h);
    pos += h.size;
  }
  EXPECT_EQ(pos, data.size()) << "the frames do not fill the file exactly";
  return frames;
}

// Pearson correlation and level ratio of one decoded channel against the input signal.
void ExpectMatchesInput(const DecodedAudio& audio, uint32_t channel, uint32_t rate) {
  double sumXY = 0, sumXX = 0, sumYY = 0;
  for (uint64_t f = 0; f < audio.frames(); ++f) {
    const double x = SignalValue(f, channel, rate);
    const double y = audio.samples[f * audio.channels + channel];
    sumXY += x * y;
    sumXX += x * x;
    sumYY += y * y;
  }
  ASSERT_GT(sumXX, 0.0);
  ASSERT_GT(sumYY, 0.0);
  EXPECT_GT(sumXY / std::sqrt(sumXX * sumYY), 0.95) << "channel " << channel;
  EXPECT_NEAR(std::sqrt(sumYY / sumXX), 1.0, 0.1) << "channel " << channel;
}

TEST_F(LameEncTest, ConfigRecordHasThePublishedLayout) {
  EXPECT_EQ(sizeof(BeConfig), 331u);
  EXPECT_EQ(offsetof(BeConfig, configType), 0u);
  EXPECT_EQ(offsetof(BeConfig, structVersion), 4u);
  EXPECT_EQ(offsetof(BeConfig, structSize), 8u);
  EXPECT_EQ(offsetof(BeConfig, sampleRate), 12u);
  EXPECT_EQ(offsetof(BeConfig, resampleRate), 16u);
  EXPECT_EQ(offsetof(BeConfig, mode), 20u);
  EXPECT_EQ(offsetof(BeConfig, bitrate), 24u);
  EXPECT_EQ(offsetof(BeConfig, preset), 32u);
  EXPECT_EQ(offsetof(BeConfig, mpegVersion), 36u);
  EXPECT_EQ(offsetof(BeConfig, writeVbrHeader), 64u);
  EXPECT_EQ(offsetof(BeConfig, enableVbr), 68u);
  EXPECT_EQ(offsetof(BeConfig, noBitReservoir), 84u);
  EXPECT_EQ(offsetof(BeConfig, quality), 92u);
}

struct EncodeCase {
  uint32_t rate;
  int32_t mode;
  uint32_t kbps;
  uint32_t writtenKbps = kbps;  // a rate the MPEG version lacks becomes its nearest one
};

class LameEncFormatTest : public LameEncTest, public ::testing::WithParamInterface<EncodeCase> {};

TEST_P(LameEncFormatTest, WritesGaplessConstantBitRateFileOfTheInput) {
  const EncodeCase c = GetParam();
  const uint32_t channels = c.mode == kBeModeMono ? 1 : 2;
  TempDir dir;
  const std::string path = dir / "out.mp3";
  // Not a whole number of chunks, so the last chunk is short.
  const double seconds = 2.5;
  const Encoded encoded = EncodeFile(lib, path, EngineConfig(c.rate, c.mode, c.kbps), seconds);
  EXPECT_EQ(encoded.infoTag, kBeErrSuccessful);

  const uint32_t frameSamples = c.rate >= 32000 ? 1152 : 576;
  EXPECT_EQ(encoded.samplesPerChunk, frameSamples * channels);
  EXPECT_GE(encoded.bufferSize, frameSamples * 5 / 4 + 7200);
  ASSERT_EQ(encoded.frames, static_cast<uint64_t>(seconds * c.rate));

  const std::vector<FrameHeader> frames = WalkFrames(ReadFile(path));
  ASSERT_GT(frames.size(), 1u);
  EXPECT_TRUE(frames[0].info) << "the first frame holds the Info header";
  for (size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    ASSERT_EQ(frames[i].kbps, c.writtenKbps);
    ASSERT_EQ(frames[i].rate, c.rate);
    ASSERT_EQ(frames[i].modeBits, static_cast<uint32_t>(c.mode));
    ASSERT_EQ(frames[i].mainDataBegin, 0u) << "the bit reservoir is off";
    if (i > 0) {
      ASSERT_FALSE(frames[i].info);
    }
  }
  // Audio frames, beyond the header frame, cover the input plus at most encoder delay and padding.
  const uint64_t audioSamples = (frames.size() - 1) * frameSamples;
  EXPECT_GE(audioSamples, encoded.frames);
  EXPECT_LE(audioSamples, encoded.frames + 576 + 2 * frameSamples + 1152);

  const DecodedAudio audio = DecodeMp3(path);
  EXPECT_EQ(audio.sampleRate, c.rate);
  EXPECT_EQ(audio.channels, channels);
  ASSERT_EQ(audio.frames(), encoded.frames) << "gapless length";
  for (uint32_t ch = 0; ch < channels; ++ch) ExpectMatchesInput(audio, ch, c.rate);
}

INSTANTIATE_TEST_SUITE_P(Formats, LameEncFormatTest,
                         ::testing::Values(EncodeCase{44100, kBeModeJointStereo, 128},
                                           EncodeCase{48000, kBeModeStereo, 320},
                                           EncodeCase{32000, kBeModeDualChannel, 96},
                                           EncodeCase{44100, kBeModeMono, 64},
                                           EncodeCase{22050, kBeModeMono, 64},
                                           EncodeCase{16000, kBeModeJointStereo, 48},
                                           EncodeCase{8000, kBeModeMono, 24},
                                           EncodeCase{22050, kBeModeJointStereo, 320, 160}),
                         [](const auto& info) {
                           return std::to_string(info.param.rate) + "Hz_mode" +
                                  std::to_string(info.param.mode) + "_" +
                                  std::to_string(info.param.kbps) + "kbps";
                         });

// lame leaves the Info header out when it does not fit one frame; the file is then plain CBR
// audio, and beWriteInfoTag must say it wrote nothing rather than overwrite audio.
TEST_F(LameEncTest, LowBitRateFileHasNoRoomForTheInfoHeader) {
  TempDir dir;
  const std::string path = dir / "low.mp3";
  const Encoded encoded = EncodeFile(lib, path, EngineConfig(8000, kBeModeMono, 16), 1.0);
  const std::string written = ReadFile(path);
  EXPECT_EQ(encoded.infoTag, kBeErrInvalidFormat);
  const std::vector<FrameHeader> frames = WalkFrames(written);
  ASSERT_FALSE(frames.empty());
  for (const FrameHeader& frame : frames) {
    EXPECT_FALSE(frame.info);
    EXPECT_EQ(frame.kbps, 16u);
  }
  const DecodedAudio audio = DecodeMp3(path);
  EXPECT_GE(audio.frames(), encoded.frames);
  EXPECT_LE(audio.frames(), encoded.frames + 2 * 576 + 1152);
}

// A job cancelled before the first chunk still flushes, closes and writes the header.
TEST_F(LameEncTest, StreamWithoutAudioGivesAnEmptyPlayableFile) {
  TempDir dir;
  const std::string path = dir / "empty.mp3";
  const Encoded encoded = EncodeFile(lib, path, EngineConfig(44100, kBeModeJointStereo, 128), 0);
  EXPECT_EQ(encoded.infoTag, kBeErrSuccessful);
  const std::vector<FrameHeader> frames = WalkFrames(ReadFile(path));
  ASSERT_FALSE(frames.empty());
  EXPECT_TRUE(frames[0].info);
  EXPECT_EQ(DecodeMp3(path).frames(), 0u);
}

TEST_F(LameEncTest, RejectsInvalidConfigWithoutAStream) {
  struct Case {
    const char* name;
    void (*change)(BeConfig&);
    BeErr expected;
  };
  const Case cases[] = {
      {"config type", [](BeConfig& c) { c.configType = 0; }, kBeErrInvalidFormat},
      {"other config type", [](BeConfig& c) { c.configType = 257; }, kBeErrInvalidFormat},
      {"struct size", [](BeConfig& c) { c.structSize = 300; }, kBeErrInvalidFormat},
      {"mode", [](BeConfig& c) { c.mode = 4; }, kBeErrInvalidFormatParameters},
      {"sample rate", [](BeConfig& c) { c.sampleRate = 12345; }, kBeErrInvalidFormatParameters},
      {"no sample rate", [](BeConfig& c) { c.sampleRate = 0; }, kBeErrInvalidFormatParameters},
      {"no bit rate", [](BeConfig& c) { c.bitrate = 0; }, kBeErrInvalidFormatParameters},
      {"variable bit rate", [](BeConfig& c) { c.enableVbr = 1; }, kBeErrInvalidFormatParameters},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BeConfig config = EngineConfig(44100, kBeModeJointStereo, 128);
    c.change(config);
    uint32_t samples = 7, bufferSize = 7;
    BeStream stream = &config;  // must be cleared
    EXPECT_EQ(Init(lib, config, &samples, &bufferSize, &stream), c.expected);
    EXPECT_EQ(stream, nullptr);
  }
  // The engine closes the stream after a failed start; that must be harmless.
  EXPECT_EQ(lib.close(nullptr), kBeErrInvalidHandle);
  EXPECT_EQ(lib.writeInfoTag(nullptr, "/nonexistent"), kBeErrInvalidHandle);
}

TEST_F(LameEncTest, ClosedStreamTakesNoMoreAudio) {
  BeConfig config = EngineConfig(44100, kBeModeMono, 128);
  uint32_t samples = 0, bufferSize = 0;
  BeStream stream = nullptr;
  ASSERT_EQ(Init(lib, config, &samples, &bufferSize, &stream), kBeErrSuccessful);
  std::vector<float> left(samples, 1000.0f);
  std::vector<uint8_t> output(bufferSize);
  uint32_t bytes = 0;
  ASSERT_EQ(lib.close(stream), kBeErrSuccessful);
  EXPECT_EQ(lib.encode(stream, samples, left.data(), nullptr, output.data(), &bytes),
            kBeErrInvalidHandle);
  EXPECT_EQ(lib.deinit(stream, output.data(), &bytes), kBeErrInvalidHandle);
  EXPECT_EQ(lib.close(stream), kBeErrInvalidHandle);
  TempDir dir;
  const std::string path = dir / "other.mp3";
  WriteFile(path, "");
  // Nothing was encoded, so there is no placeholder to fill; the stream is freed all the same.
  EXPECT_NE(lib.writeInfoTag(stream, path.c_str()), kBeErrSuccessful);
  EXPECT_EQ(ReadFile(path), "");
}

TEST_F(LameEncTest, StereoStreamNeedsTheRightChannel) {
  BeConfig config = EngineConfig(44100, kBeModeStereo, 128);
  config.writeVbrHeader = 0;  // closing frees everything at once
  uint32_t samples = 0, bufferSize = 0;
  BeStream stream = nullptr;
  ASSERT_EQ(Init(lib, config, &samples, &bufferSize, &stream), kBeErrSuccessful);
  std::vector<float> left(samples / 2, 1000.0f);
  std::vector<uint8_t> output(bufferSize);
  uint32_t bytes = 99;
  EXPECT_EQ(lib.encode(stream, samples / 2, left.data(), nullptr, output.data(), &bytes),
            kBeErrInvalidFormatParameters);
  EXPECT_EQ(bytes, 0u);
  EXPECT_EQ(lib.close(stream), kBeErrSuccessful);
}

TEST_F(LameEncTest, InfoTagLeavesAFileOfOtherContentAlone) {
  TempDir dir;
  const std::string real = dir / "real.mp3";
  EncodeFile(lib, real, EngineConfig(44100, kBeModeJointStereo, 128), 0.5);

  BeConfig config = EngineConfig(48000, kBeModeMono, 64);
  uint32_t samples = 0, bufferSize = 0;
  BeStream stream = nullptr;
  ASSERT_EQ(Init(lib, config, &samples, &bufferSize, &stream), kBeErrSuccessful);
  std::vector<float> left(samples, 1000.0f);
  std::vector<uint8_t> output(bufferSize);
  uint32_t bytes = 0;
  ASSERT_EQ(lib.encode(stream, samples, left.data(), nullptr, output.data(), &bytes),
            kBeErrSuccessful);
  ASSERT_EQ(lib.deinit(stream, output.data(), &bytes), kBeErrSuccessful);
  ASSERT_EQ(lib.close(stream), kBeErrSuccessful);
  // A file whose first frame has another format is not this stream's file.
  const std::string before = ReadFile(real);
  EXPECT_EQ(lib.writeInfoTag(stream, real.c_str()), kBeErrInvalidFormat);
  EXPECT_EQ(ReadFile(real), before);
}

TEST_F(LameEncTest, VbrHeaderWithoutAStreamReportsAnError) {
  TempDir dir;
  const std::string path = dir / "out.mp3";
  EncodeFile(lib, path, EngineConfig(44100, kBeModeJointStereo, 128), 0.5);
  const std::string before = ReadFile(path);
  EXPECT_EQ(lib.writeVbrHeader(path.c_str()), kBeErrInvalidHandle);
  EXPECT_EQ(ReadFile(path), before);
}

TEST_F(LameEncTest, StreamsOnSeparateThreadsDoNotDisturbEachOther) {
  TempDir dir;
  const BeConfig configs[2] = {EngineConfig(44100, kBeModeJointStereo, 192),
                               EngineConfig(22050, kBeModeMono, 32)};
  for (int i = 0; i < 2; ++i) EncodeFile(lib, dir / ("alone" + std::to_string(i)), configs[i], 3);
  std::vector<std::thread> threads;
  for (int i = 0; i < 2; ++i) {
    threads.emplace_back(
        [&, i] { EncodeFile(lib, dir / ("together" + std::to_string(i)), configs[i], 3); });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 2; ++i) {
    const std::string alone = ReadFile(dir / ("alone" + std::to_string(i)));
    EXPECT_FALSE(alone.empty());
    EXPECT_TRUE(alone == ReadFile(dir / ("together" + std::to_string(i)))) << "stream " << i;
  }
}

}  // namespace
}  // namespace snipster
