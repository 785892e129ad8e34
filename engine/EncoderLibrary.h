#pragma once

#include <string>

#include "platform/lame_enc/BladeEnc.h"

namespace snipster {

struct CConversionTask;

// The entry points of the run-time loaded encoder library.
struct EncoderLibrary {
  BeInitStreamFn initStream = nullptr;
  BeEncodeChunkFloatS16NIFn encodeChunk = nullptr;
  BeDeinitStreamFn deinitStream = nullptr;
  BeCloseStreamFn closeStream = nullptr;
  BeWriteVBRHeaderFn writeVbrHeader = nullptr;
  BeWriteInfoTagFn writeInfoTag = nullptr;  // optional
};

enum class EncoderLoad { Ok, NotLoaded, MissingEntryPoint };

// The library file beside the running program.
std::string DefaultEncoderLibraryPath();

// Opens the library (it stays loaded for the life of the process) and looks up its entry points.
EncoderLoad LoadEncoderLibrary(const std::string& path, EncoderLibrary& library);

// The configuration record for a task's output format and the chosen bit rate and channel mode.
BeConfig MakeEncoderConfig(const CConversionTask& task, int lameBits, int lameChannel);

}  // namespace snipster
