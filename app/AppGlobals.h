#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/RingBuffer.h"
#include "library/AudioFileInfo.h"

struct mpg123_handle_struct;

namespace snipster {

using Mpg123Handle = mpg123_handle_struct;

// What exists once per process and is reached from several windows and worker threads. The
// window-side parts (main window, processing dialog, taskbar) are kept by the user interface.
struct AppGlobals {
  Mpg123Handle* probeHandle = nullptr;   // reads file formats; used by the one running loader
  Mpg123Handle* decodeHandle = nullptr;  // used by the decoding stage of the one running job
  std::unique_ptr<SampleRing> decoderRing;
  std::unique_ptr<SampleRing> converterRing;
  std::string programFolder;  // folder of the executable, without a trailing '/'
  std::string dataFolder;     // holds Config.ini
  std::string musicFolder;    // default output folder, ends with '/'
  std::string lastFolder;
  ExtensionTypeTable extensionTypes;
  std::atomic<int32_t> listFrozen{0};
};

// Starts the decoder library and creates the probe handle, then the decode handle. On failure
// returns "Trouble with mpg123: %s" with the library's text (the program keeps running without
// the missing handles); an empty text on success.
std::string OpenDecoderLibrary(AppGlobals& globals);

// Deletes both handles, then ends the decoder library.
void CloseDecoderLibrary(AppGlobals& globals);

// Creates the two sample rings of the cutting pipeline.
void CreateSampleRings(AppGlobals& globals);

// The folder of the running executable, without a trailing '/'.
std::string ProgramFolder();

}  // namespace snipster
