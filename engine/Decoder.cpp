#include "engine/Decoder.h"

#include <mpg123.h>

#include <chrono>
#include <thread>
#include <vector>

#include "engine/TaskRun.h"
#include "engine/TextFormat.h"

namespace snipster {

void PollPause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

bool Decode(TaskRun& run) {
  CConversionTask& task = run.task;
  mpg123_handle* handle = run.engine.decodeHandle;
  SampleRing& ring = *run.engine.decoderRing;

  if (!handle) {
    run.Fail("Trouble with mpg123: " + std::string(mpg123_plain_strerror(MPG123_BAD_HANDLE)));
    return false;
  }
  mpg123_format_none(handle);
  if (mpg123_format(handle, task.sourceRate, static_cast<int>(task.sourceChannels),
                    MPG123_ENC_SIGNED_32) != MPG123_OK ||
      mpg123_format_support(handle, task.sourceRate, MPG123_ENC_SIGNED_32) == 0) {
    run.Log("Invalid Format!", LogLevel::Error);
    return false;
  }
  if (mpg123_open(handle, task.sourcePath.c_str()) != MPG123_OK) {
    run.Log(Format("Trouble with mpg123: %s", mpg123_strerror(handle)), LogLevel::Error);
    mpg123_close(handle);
    return false;
  }
  long rate = 0;
  int channels = 0, encoding = 0;
  mpg123_getformat(handle, &rate, &channels, &encoding);
  const size_t blockBytes = mpg123_outblock(handle);
  const uint32_t blockValues = static_cast<uint32_t>(blockBytes / sizeof(int32_t));
  std::vector<int32_t> block(blockValues);

  const bool section = task.sectionLength != 0;
  int64_t remaining = INT64_MAX;
  if (section) {
    mpg123_seek(handle, static_cast<off_t>(task.sectionStart / task.sourceChannels), SEEK_SET);
    remaining = static_cast<int64_t>(task.sectionLength);
  }

  while (run.running()) {
    if (section && remaining <= 0) break;
    if (ring.Free() < blockValues) {
      PollPause();
      continue;
    }
    size_t done = 0;
    const int result =
        mpg123_read(handle, reinterpret_cast<unsigned char*>(block.data()), blockBytes, &done);
    // The decoded values go on unchanged: they carry the full resolution of the decoder.
    const uint32_t n = static_cast<uint32_t>(done / sizeof(int32_t));
    ring.Write(block.data(), n);
    remaining -= n;
    // The end of the stream, a format change and a decoding error all end the stream here.
    if (result != MPG123_OK) break;
  }
  mpg123_close(handle);
  return true;
}

}  // namespace snipster
