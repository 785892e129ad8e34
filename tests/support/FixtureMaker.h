#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace snipster::test {

// A real MP3 file made at test time from a deterministic signal.
struct Mp3Spec {
  uint32_t sampleRate = 44100;  // 8000..48000
  uint32_t channels = 2;        // 1 or 2
  uint32_t bitRate = 128;       // kbit/s, constant
  double seconds = 1.0;
  // LAME Info header, so gapless decoders give the exact length back. It needs a frame of at
  // least about 170 bytes (e.g. 56 kbit/s mono at 22050 Hz, 24 at 8000 Hz); MakeMp3 throws
  // when the frames are smaller.
  bool infoHeader = true;
};

// Tags to put into a fixture. kinds is a TagFlags bit set (1 ID3v1, 2 ID3v2, 4 APE).
struct TagSpec {
  uint8_t kinds = 0;
  int id3v2Version = 4;  // 3 or 4
  // Default initializers keep designated initializers ({.kinds = ...}) free of warnings.
  std::string artist{}, albumArtist{}, album{}, track{}, title{}, genre{}, date{}, comment{};
};

// The deterministic test signal: a few tones with a slow amplitude change, different per
// channel, on the 16-bit scale. Frame f of channel c of a signal at the given rate.
float SignalValue(uint64_t frame, uint32_t channel, uint32_t sampleRate);

// Writes the MP3 file (and its tags) or throws std::runtime_error.
void MakeMp3(const std::string& path, const Mp3Spec& spec, const TagSpec& tags = {});

// A decoded file: interleaved 16-bit samples, as a player gets them (gapless).
struct DecodedAudio {
  uint32_t sampleRate = 0;
  uint32_t channels = 0;
  std::vector<int16_t> samples;
  uint64_t frames() const { return channels ? samples.size() / channels : 0; }
};

// Decodes a whole file with libmpg123 (gapless). Throws std::runtime_error when it cannot.
DecodedAudio DecodeMp3(const std::string& path);

}  // namespace snipster::test
