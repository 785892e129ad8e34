#include "engine/EncoderLibrary.h"

#include <dlfcn.h>

#include <cstring>

#include "app/AppGlobals.h"
#include "engine/CConversionTask.h"
#include "settings/CutSettings.h"

namespace snipster {

std::string DefaultEncoderLibraryPath() { return ProgramFolder() + "/liblame_enc.so"; }

namespace {
template <typename Fn>
bool LookUp(void* handle, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(::dlsym(handle, name));
  return fn != nullptr;
}
}  // namespace

EncoderLoad LoadEncoderLibrary(const std::string& path, EncoderLibrary& library) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return EncoderLoad::NotLoaded;
  const bool required = LookUp(handle, "beInitStream", library.initStream) &&
                        LookUp(handle, "beEncodeChunkFloatS16NI", library.encodeChunk) &&
                        LookUp(handle, "beDeinitStream", library.deinitStream) &&
                        LookUp(handle, "beCloseStream", library.closeStream) &&
                        LookUp(handle, "beWriteVBRHeader", library.writeVbrHeader);
  LookUp(handle, "beWriteInfoTag", library.writeInfoTag);
  return required ? EncoderLoad::Ok : EncoderLoad::MissingEntryPoint;
}

BeConfig MakeEncoderConfig(const CConversionTask& task, int lameBits, int lameChannel) {
  BeConfig config;
  std::memset(&config, 0, sizeof(config));
  config.configType = kBeConfigLame;
  config.structVersion = kBeConfigVersion;
  config.structSize = kBeConfigSize;
  config.sampleRate = task.outRate;
  config.resampleRate = 0;
  if (task.outChannels == 1) {
    config.mode = kBeModeMono;
  } else if (lameChannel == Stereo) {
    config.mode = kBeModeStereo;
  } else if (lameChannel == DualChannel) {
    config.mode = kBeModeDualChannel;
  } else {
    config.mode = kBeModeJointStereo;
  }
  config.bitrate = BitrateAt(lameBits);
  config.preset = kBePresetNone;
  config.mpegVersion = kBeMpegVersion1;
  config.writeVbrHeader = 1;
  config.enableVbr = 0;
  config.noBitReservoir = 1;
  config.quality = 0xF50A;  // quality 10 with its complement as the check byte
  return config;
}

}  // namespace snipster
