// A stand-in encoder library that fails on request, for the failures the real one cannot be
// made to show. SNIPSTER_FAKE_FAIL names the call that fails: init, encode or deinit.
#include <cstdlib>
#include <cstring>

#include "platform/lame_enc/BladeEnc.h"

namespace {
constexpr BeErr kFailure = 7;

bool FailsAt(const char* call) {
  const char* which = std::getenv("SNIPSTER_FAKE_FAIL");
  return which && std::strcmp(which, call) == 0;
}
}  // namespace

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT BeErr beInitStream(BeConfig*, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                               BeStream* stream, int32_t, int32_t, const char*, const char*,
                               const char*, const char*, const char*, const char*, const char*,
                               int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {
  if (FailsAt("init")) return kFailure;
  *samplesPerChunk = 2304;
  *outputBufferSize = 8192;
  *stream = std::malloc(1);
  return kBeErrSuccessful;
}

FAKE_EXPORT BeErr beEncodeChunkFloatS16NI(BeStream, uint32_t samplesPerChannel, const float*,
                                          const float*, uint8_t* output, uint32_t* bytesOut) {
  if (FailsAt("encode")) return kFailure;
  *bytesOut = samplesPerChannel / 8;
  std::memset(output, 0xAB, *bytesOut);
  return kBeErrSuccessful;
}

FAKE_EXPORT BeErr beDeinitStream(BeStream, uint8_t*, uint32_t* bytesOut) {
  *bytesOut = 0;
  return FailsAt("deinit") ? kFailure : kBeErrSuccessful;
}

FAKE_EXPORT BeErr beCloseStream(BeStream) { return kBeErrSuccessful; }

FAKE_EXPORT BeErr beWriteInfoTag(BeStream stream, const char*) {
  std::free(stream);
  return kBeErrSuccessful;
}

FAKE_EXPORT BeErr beWriteVBRHeader(const char*) { return kBeErrSuccessful; }
