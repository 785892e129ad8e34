#pragma once

// The calling interface of our run-time loaded MP3 encoder library (liblame_enc.so). The engine
// includes this header only for the types; it finds the functions with dlsym by name.

#include <cstdint>

extern "C" {

using BeErr = uint32_t;  // 0 on success
using BeStream = void*;

inline constexpr BeErr kBeErrSuccessful = 0;
inline constexpr BeErr kBeErrInvalidFormat = 1;
inline constexpr BeErr kBeErrInvalidFormatParameters = 2;
inline constexpr BeErr kBeErrNoMoreHandles = 3;
inline constexpr BeErr kBeErrInvalidHandle = 4;
inline constexpr BeErr kBeErrBufferTooSmall = 5;
inline constexpr BeErr kBeErrFileAccess = 6;  // the output file cannot be read or written

inline constexpr uint32_t kBeConfigLame = 256;
inline constexpr uint32_t kBeConfigVersion = 1;
inline constexpr uint32_t kBeConfigSize = 331;

inline constexpr int32_t kBeModeStereo = 0;
inline constexpr int32_t kBeModeJointStereo = 1;
inline constexpr int32_t kBeModeDualChannel = 2;
inline constexpr int32_t kBeModeMono = 3;

inline constexpr int32_t kBePresetNone = -1;
inline constexpr uint32_t kBeMpegVersion1 = 1;

// The configuration record: byte-packed, 331 bytes, zero-filled before the fields that matter
// are set. Only those fields are named; the gaps are fields the engine never sets.
#pragma pack(push, 1)
struct BeConfig {
  uint32_t configType;     // 0: kBeConfigLame
  uint32_t structVersion;  // 4
  uint32_t structSize;     // 8
  uint32_t sampleRate;     // 12: Hz of the input and the output
  uint32_t resampleRate;   // 16: 0 = none
  int32_t mode;            // 20: kBeMode...
  uint32_t bitrate;        // 24: kbit/s
  uint8_t unused28[4];
  int32_t preset;        // 32
  uint32_t mpegVersion;  // 36
  uint8_t unused40[24];
  int32_t writeVbrHeader;  // 64: reserve the first frame for the Info header
  int32_t enableVbr;       // 68
  uint8_t unused72[12];
  int32_t noBitReservoir;  // 84
  uint8_t unused88[4];
  uint16_t quality;  // 92: low byte the quality, high byte its complement
  uint8_t unused94[kBeConfigSize - 94];
};
#pragma pack(pop)
static_assert(sizeof(BeConfig) == kBeConfigSize);

// beInitStream(config, out samples per chunk (all channels), out output buffer bytes, out
// stream, then fifteen further arguments the engine passes as 0, 0, seven empty strings, 0, 1,
// 30, 5, 16000, 2400. They are accepted for compatibility and do not change the encoding.
using BeInitStreamFn = BeErr (*)(BeConfig* config, uint32_t* samplesPerChunk,
                                 uint32_t* outputBufferSize, BeStream* stream, int32_t, int32_t,
                                 const char*, const char*, const char*, const char*, const char*,
                                 const char*, const char*, int32_t, int32_t, int32_t, int32_t,
                                 int32_t, int32_t);
// Samples per channel on the 16-bit scale; right is null for mono. output must hold the
// output buffer size beInitStream reported; at most one chunk per call.
using BeEncodeChunkFloatS16NIFn = BeErr (*)(BeStream stream, uint32_t samplesPerChannel,
                                            const float* left, const float* right, uint8_t* output,
                                            uint32_t* bytesOut);
using BeDeinitStreamFn = BeErr (*)(BeStream stream, uint8_t* output, uint32_t* bytesOut);
using BeCloseStreamFn = BeErr (*)(BeStream stream);
// Writes the Info header into the first frame of the finished file; called after the stream
// was closed and the file written and closed. Frees what the stream still held: the handle is
// invalid afterwards, whatever the result.
using BeWriteInfoTagFn = BeErr (*)(BeStream stream, const char* path);
// The Info header is made from the counts a stream kept, so a path alone cannot fill it: this
// always returns kBeErrInvalidHandle and leaves the file alone. Use beWriteInfoTag.
using BeWriteVBRHeaderFn = BeErr (*)(const char* path);

// The library exports only these names; it is built with hidden default visibility.
#define SNIPSTER_BE_EXPORT __attribute__((visibility("default")))

SNIPSTER_BE_EXPORT BeErr beInitStream(BeConfig* config, uint32_t* samplesPerChunk,
                                      uint32_t* outputBufferSize, BeStream* stream, int32_t,
                                      int32_t, const char*, const char*, const char*, const char*,
                                      const char*, const char*, const char*, int32_t, int32_t,
                                      int32_t, int32_t, int32_t, int32_t);
SNIPSTER_BE_EXPORT BeErr beEncodeChunkFloatS16NI(BeStream stream, uint32_t samplesPerChannel,
                                                 const float* left, const float* right,
                                                 uint8_t* output, uint32_t* bytesOut);
SNIPSTER_BE_EXPORT BeErr beDeinitStream(BeStream stream, uint8_t* output, uint32_t* bytesOut);
SNIPSTER_BE_EXPORT BeErr beCloseStream(BeStream stream);
SNIPSTER_BE_EXPORT BeErr beWriteInfoTag(BeStream stream, const char* path);
SNIPSTER_BE_EXPORT BeErr beWriteVBRHeader(const char* path);

}  // extern "C"
