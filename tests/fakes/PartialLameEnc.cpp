// An encoder library that lacks most of its entry points.
#include "platform/lame_enc/BladeEnc.h"

extern "C" __attribute__((visibility("default"))) BeErr beCloseStream(BeStream) {
  return kBeErrSuccessful;
}
