// The BladeEnc-style entry points over libmp3lame. Every piece of state lives in the stream
// object behind the handle, so separate streams may be used from separate threads at once.

#include <fcntl.h>
#include <lame/lame.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <memory>
#include <new>
#include <vector>

#include "platform/lame_enc/BladeEnc.h"

namespace snipster {
namespace {

// lame's qualities run from 0 (best) to 9 (fastest); a larger one in the record means 9.
constexpr int kLameWorstQuality = 9;

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

struct LameStream {
  std::unique_ptr<lame_global_flags, LameCloser> flags;
  uint32_t channels = 0;
  uint32_t bufferSize = 0;
  bool infoTagPending = false;  // the first frame is a placeholder for beWriteInfoTag
  bool closed = false;          // beCloseStream ran, only beWriteInfoTag may follow
};

// libmp3lame reports through printf-style callbacks; a library inside a program stays silent.
void Silent(const char*, va_list) {}

LameStream* OpenStream(BeStream stream) {
  auto* s = static_cast<LameStream*>(stream);
  return s && !s->closed ? s : nullptr;
}

BeErr LameResultToError(int result) {
  switch (result) {
    case -1:
      return kBeErrBufferTooSmall;
    case -2:
      return kBeErrNoMoreHandles;  // out of memory
    case -3:
      return kBeErrInvalidHandle;  // parameters were never accepted
    default:
      return kBeErrInvalidFormatParameters;
  }
}

// Worst-case output of one call: lame's rule of 1.25 bytes per sample plus 7200, for the
// samples per channel that reach the output rate.
uint32_t OutputBufferSize(uint32_t inputSamples, uint32_t inRate, uint32_t outRate) {
  const uint64_t outputSamples = (uint64_t{inputSamples} * outRate + inRate - 1) / inRate;
  return static_cast<uint32_t>(outputSamples + (outputSamples + 3) / 4 + 7200);
}

BeErr Configure(const BeConfig& config, lame_global_flags* flags, uint32_t* channels) {
  MPEG_mode mode;
  switch (config.mode) {
    case kBeModeStereo:
      mode = STEREO;
      break;
    case kBeModeJointStereo:
      mode = JOINT_STEREO;
      break;
    case kBeModeDualChannel:
      mode = DUAL_CHANNEL;
      break;
    case kBeModeMono:
      mode = MONO;
      break;
    default:
      return kBeErrInvalidFormatParameters;
  }
  // This library writes constant bit rates only; a preset would switch lame to other modes.
  if (config.enableVbr != 0 || (config.preset != kBePresetNone && config.preset != 0) ||
      config.bitrate == 0 || config.sampleRate == 0) {
    return kBeErrInvalidFormatParameters;
  }
  *channels = mode == MONO ? 1 : 2;
  const uint32_t outRate = config.resampleRate != 0 ? config.resampleRate : config.sampleRate;

  lame_set_errorf(flags, Silent);
  lame_set_debugf(flags, Silent);
  lame_set_msgf(flags, Silent);
  lame_set_num_channels(flags, static_cast<int>(*channels));
  lame_set_in_samplerate(flags, static_cast<int>(config.sampleRate));
  lame_set_out_samplerate(flags, static_cast<int>(outRate));
  lame_set_mode(flags, mode);
  lame_set_VBR(flags, vbr_off);
  lame_set_brate(flags, static_cast<int>(config.bitrate));
  lame_set_disable_reservoir(flags, config.noBitReservoir != 0 ? 1 : 0);
  lame_set_bWriteVbrTag(flags, config.writeVbrHeader != 0 ? 1 : 0);
  // Tags are the caller's business; lame must not put any into the stream.
  lame_set_write_id3tag_automatic(flags, 0);
  const uint8_t low = config.quality & 0xFF;
  const uint8_t high = config.quality >> 8;
  if (high == static_cast<uint8_t>(~low)) {
    lame_set_quality(flags, std::min<int>(low, kLameWorstQuality));
  }
  // The MPEG version follows from the output rate; the record's version field cannot overrule it.
  if (lame_init_params(flags) < 0) return kBeErrInvalidFormatParameters;
  // lame quietly moves an impossible rate to the nearest MPEG rate, which would resample. A bit
  // rate the MPEG version lacks (320 at 22050 Hz) becomes the nearest one it has: still CBR.
  if (lame_get_out_samplerate(flags) != static_cast<int>(outRate)) {
    return kBeErrInvalidFormatParameters;
  }
  return kBeErrSuccessful;
}

bool ReadAll(int fd, uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, data + done, size - done, static_cast<off_t>(done));
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t put = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

// Whether two frame headers agree in everything but the private, mode extension, copyright and
// original bits (lame's placeholder and finished frame differ in the mode extension).
bool SameFrameFormat(const uint8_t* a, const uint8_t* b) {
  return a[0] == b[0] && a[1] == b[1] && (a[2] & 0xFE) == (b[2] & 0xFE) &&
         (a[3] & 0xC3) == (b[3] & 0xC3);
}

// Replaces the placeholder at the start of the file by the finished Info frame. The placeholder
// has the same format, which guards against overwriting audio of another file.
BeErr PutInfoFrame(const std::vector<uint8_t>& frame, const char* path) {
  const int fd = ::open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) return kBeErrFileAccess;
  std::vector<uint8_t> present(frame.size());
  BeErr result = kBeErrSuccessful;
  if (!ReadAll(fd, present.data(), present.size())) {
    result = kBeErrInvalidFormat;  // shorter than one frame: not the file of this stream
  } else if (frame.size() < 4 || !SameFrameFormat(present.data(), frame.data())) {
    result = kBeErrInvalidFormat;
  } else if (!WriteAll(fd, frame.data(), frame.size())) {
    result = kBeErrFileAccess;
  }
  if (::close(fd) != 0 && result == kBeErrSuccessful) result = kBeErrFileAccess;
  return result;
}

}  // namespace
}  // namespace snipster

using snipster::LameStream;

extern "C" {

BeErr beInitStream(BeConfig* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                   BeStream* stream, int32_t, int32_t, const char*, const char*, const char*,
                   const char*, const char*, const char*, const char*, int32_t, int32_t, int32_t,
                   int32_t, int32_t, int32_t) {
  if (!config || !samplesPerChunk || !outputBufferSize || !stream) {
    return kBeErrInvalidFormatParameters;
  }
  *stream = nullptr;
  if (config->configType != kBeConfigLame || config->structSize != kBeConfigSize) {
    return kBeErrInvalidFormat;
  }
  auto s = std::unique_ptr<LameStream>(new (std::nothrow) LameStream);
  if (!s) return kBeErrNoMoreHandles;
  s->flags.reset(lame_init());
  if (!s->flags) return kBeErrNoMoreHandles;
  if (const BeErr err = snipster::Configure(*config, s->flags.get(), &s->channels)) return err;

  // One chunk is one frame of input: 1152 samples per channel at MPEG-1 rates, 576 below.
  const int frameSize = lame_get_framesize(s->flags.get());
  if (frameSize <= 0) return kBeErrInvalidFormatParameters;
  const uint32_t outRate = static_cast<uint32_t>(lame_get_out_samplerate(s->flags.get()));
  s->bufferSize =
      snipster::OutputBufferSize(static_cast<uint32_t>(frameSize), config->sampleRate, outRate);
  s->infoTagPending = lame_get_bWriteVbrTag(s->flags.get()) != 0;
  *samplesPerChunk = static_cast<uint32_t>(frameSize) * s->channels;
  *outputBufferSize = s->bufferSize;
  *stream = s.release();
  return kBeErrSuccessful;
}

BeErr beEncodeChunkFloatS16NI(BeStream stream, uint32_t samplesPerChannel, const float* left,
                              const float* right, uint8_t* output, uint32_t* bytesOut) {
  if (bytesOut) *bytesOut = 0;
  LameStream* s = snipster::OpenStream(stream);
  if (!s) return kBeErrInvalidHandle;
  if (!output || !bytesOut) return kBeErrInvalidFormatParameters;
  if (samplesPerChannel == 0) return kBeErrSuccessful;
  if (!left || (s->channels == 2 && !right) || samplesPerChannel > INT32_MAX) {
    return kBeErrInvalidFormatParameters;
  }
  const int result = lame_encode_buffer_float(s->flags.get(), left, right ? right : left,
                                              static_cast<int>(samplesPerChannel), output,
                                              static_cast<int>(s->bufferSize));
  if (result < 0) return snipster::LameResultToError(result);
  *bytesOut = static_cast<uint32_t>(result);
  return kBeErrSuccessful;
}

BeErr beDeinitStream(BeStream stream, uint8_t* output, uint32_t* bytesOut) {
  if (bytesOut) *bytesOut = 0;
  LameStream* s = snipster::OpenStream(stream);
  if (!s) return kBeErrInvalidHandle;
  if (!output || !bytesOut) return kBeErrInvalidFormatParameters;
  const int result = lame_encode_flush(s->flags.get(), output, static_cast<int>(s->bufferSize));
  if (result < 0) return snipster::LameResultToError(result);
  *bytesOut = static_cast<uint32_t>(result);
  return kBeErrSuccessful;
}

BeErr beCloseStream(BeStream stream) {
  LameStream* s = snipster::OpenStream(stream);
  if (!s) return kBeErrInvalidHandle;
  if (s->infoTagPending) {
    // The encoder's counts make the Info header; beWriteInfoTag frees them.
    s->closed = true;
  } else {
    delete s;
  }
  return kBeErrSuccessful;
}

BeErr beWriteInfoTag(BeStream stream, const char* path) {
  std::unique_ptr<LameStream> s(static_cast<LameStream*>(stream));
  if (!s) return kBeErrInvalidHandle;
  if (!path) return kBeErrInvalidFormatParameters;
  if (!s->infoTagPending) return kBeErrSuccessful;  // no header was asked for

  lame_global_flags* flags = s->flags.get();
  const size_t size = lame_get_lametag_frame(flags, nullptr, 0);
  // Zero: the file holds no placeholder, because the stream never produced a frame or because
  // lame left the header out as too big for one frame at this bit rate. The file stays as it is.
  if (size == 0) return kBeErrInvalidFormat;
  std::vector<uint8_t> frame(size);
  if (lame_get_lametag_frame(flags, frame.data(), frame.size()) != size) {
    return kBeErrInvalidFormat;
  }
  return snipster::PutInfoFrame(frame, path);
}

BeErr beWriteVBRHeader(const char*) {
  return kBeErrInvalidHandle;
}

}  // extern "C"
