#include "app/AppGlobals.h"

#include <mpg123.h>
#include <unistd.h>

#include <climits>

namespace snipster {

std::string OpenDecoderLibrary(AppGlobals& globals) {
  int code = mpg123_init();
  if (code == MPG123_OK) {
    globals.probeHandle = mpg123_new(nullptr, &code);
    if (globals.probeHandle) globals.decodeHandle = mpg123_new(nullptr, &code);
  }
  if (code == MPG123_OK && globals.probeHandle && globals.decodeHandle) {
    // Damaged files are reported by our own messages; the library's notes would only clutter a
    // terminal. Gapless decoding keeps every piece exactly as long as planned.
    for (Mpg123Handle* handle : {globals.probeHandle, globals.decodeHandle})
      mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    return {};
  }
  return std::string("Trouble with mpg123: ") + mpg123_plain_strerror(code);
}

void CloseDecoderLibrary(AppGlobals& globals) {
  if (globals.probeHandle) mpg123_delete(globals.probeHandle);
  if (globals.decodeHandle) mpg123_delete(globals.decodeHandle);
  globals.probeHandle = nullptr;
  globals.decodeHandle = nullptr;
  mpg123_exit();
}

void CreateSampleRings(AppGlobals& globals) {
  globals.decoderRing = std::make_unique<SampleRing>(kSampleRingCapacity);
  globals.converterRing = std::make_unique<SampleRing>(kSampleRingCapacity);
}

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return ".";
  std::string exe(buffer, static_cast<size_t>(n));
  const auto slash = exe.rfind('/');
  return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

}  // namespace snipster
