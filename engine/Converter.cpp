#include "engine/Converter.h"

#include <sox.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "engine/SectionWriter.h"
#include "engine/TaskRun.h"

namespace snipster {

namespace {

TaskRun& RunOf(sox_effect_t* effect) { return **static_cast<TaskRun**>(effect->priv); }

// Hands libsox the decoded values, as many as it asks for once that many are there (or what is
// left once the decoder has ended).
int InputDrain(sox_effect_t* effect, sox_sample_t* out, size_t* outCount) {
  TaskRun& run = RunOf(effect);
  SampleRing& ring = *run.engine.decoderRing;
  const size_t channels = effect->out_signal.channels ? effect->out_signal.channels : 1;
  const uint32_t wanted = static_cast<uint32_t>(*outCount - *outCount % channels);
  while (run.running()) {
    if (ring.Available() >= wanted || !run.task.decoding.load()) {
      *outCount = ring.Read(reinterpret_cast<int32_t*>(out), wanted);
      return *outCount ? SOX_SUCCESS : SOX_EOF;
    }
    PollPause();
  }
  *outCount = 0;
  return SOX_EOF;
}

// Takes the converted values into the converter ring, all at once.
int OutputFlow(sox_effect_t* effect, const sox_sample_t* in, sox_sample_t*, size_t* inCount,
               size_t* outCount) {
  TaskRun& run = RunOf(effect);
  SampleRing& ring = *run.engine.converterRing;
  *outCount = 0;
  const uint32_t n = static_cast<uint32_t>(*inCount);
  while (run.running()) {
    if (ring.Free() >= n) {
      return ring.Write(reinterpret_cast<const int32_t*>(in), n) < n ? SOX_EOF : SOX_SUCCESS;
    }
    PollPause();
  }
  return SOX_EOF;
}

sox_effect_handler_t const* InputHandler() {
  static const sox_effect_handler_t handler = {
      "input", nullptr, SOX_EFF_MCHAN, nullptr, nullptr, nullptr, InputDrain, nullptr, nullptr,
      sizeof(TaskRun*)};
  return &handler;
}

sox_effect_handler_t const* OutputHandler() {
  static const sox_effect_handler_t handler = {
      "output", nullptr, SOX_EFF_MCHAN, nullptr, nullptr, OutputFlow, nullptr, nullptr, nullptr,
      sizeof(TaskRun*)};
  return &handler;
}

// Builds the chain: input, then channels and rate where they change, then output.
sox_effects_chain_t* BuildChain(TaskRun& run, const sox_encodinginfo_t& encoding) {
  const CConversionTask& task = run.task;
  sox_signalinfo_t signal = {};
  signal.rate = task.sourceRate;
  signal.channels = task.sourceChannels;
  signal.precision = 32;
  signal.length = SOX_UNKNOWN_LEN;
  signal.mult = nullptr;
  const sox_signalinfo_t output = signal;

  sox_effects_chain_t* chain = sox_create_effects_chain(&encoding, &encoding);
  if (!chain) return nullptr;

  auto add = [&](sox_effect_t* effect, const sox_signalinfo_t* target) {
    if (!effect) return false;
    const bool ok = sox_add_effect(chain, effect, &signal, target) == SOX_SUCCESS;
    // The chain keeps its own copy of the effect (sharing its private data).
    if (ok) {
      std::free(effect);
    } else {
      sox_delete_effect(effect);
    }
    return ok;
  };
  auto own = [&](const sox_effect_handler_t* handler) {
    sox_effect_t* effect = sox_create_effect(handler);
    if (effect) *static_cast<TaskRun**>(effect->priv) = &run;
    return effect;
  };
  auto library = [&](const char* name, uint32_t value) -> sox_effect_t* {
    const sox_effect_handler_t* handler = sox_find_effect(name);
    sox_effect_t* effect = handler ? sox_create_effect(handler) : nullptr;
    if (!effect) return nullptr;
    char text[16];
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(value));
    char* args[] = {text};
    if (sox_effect_options(effect, 1, args) != SOX_SUCCESS) {
      sox_delete_effect(effect);
      return nullptr;
    }
    return effect;
  };

  bool ok = add(own(InputHandler()), &signal);
  for (const ChainEffect& effect : ConversionChain(task)) {
    if (ok) ok = add(library(effect.name.c_str(), effect.value), &output);
  }
  if (ok) ok = add(own(OutputHandler()), &output);
  if (!ok) {
    sox_delete_effects_chain(chain);
    return nullptr;
  }
  return chain;
}

// The rate effect relies on tables that only the library's start-up prepares; it is started once
// and stays up for the life of the process.
bool StartSoxOnce() {
  static const bool started = [] {
    sox_get_globals()->verbosity = 1;  // failures only; the log tells the user what went wrong
    return sox_init() == SOX_SUCCESS;
  }();
  return started;
}

}  // namespace

std::vector<ChainEffect> ConversionChain(const CConversionTask& task) {
  std::vector<ChainEffect> chain;
  if (task.outChannels != task.sourceChannels) chain.push_back({"channels", task.outChannels});
  if (task.outRate != task.sourceRate) chain.push_back({"rate", task.outRate});
  return chain;
}

bool ConvertThread(TaskRun& run) {
  CConversionTask& task = run.task;
  task.converting = 1;
  bool ok = true;
  try {
    sox_encodinginfo_t encoding = {};
    encoding.encoding = SOX_ENCODING_SIGN2;
    encoding.bits_per_sample = 32;
    encoding.compression = 0;
    encoding.reverse_bytes = sox_option_no;
    encoding.reverse_nibbles = sox_option_no;
    encoding.reverse_bits = sox_option_no;
    encoding.opposite_endian = sox_false;

    if (!StartSoxOnce()) throw std::runtime_error("libsox did not start");
    sox_effects_chain_t* chain = BuildChain(run, encoding);
    if (!chain) throw std::runtime_error("libsox refused the chain");
    try {
      run.writerThread = std::thread(WriterThread, std::ref(run));
    } catch (...) {
      sox_delete_effects_chain(chain);
      throw;
    }
    sox_flow_effects(chain, nullptr, nullptr);
    sox_delete_effects_chain(chain);
  } catch (...) {
    run.Fail("An error occurred while processing audio data");
    ok = false;
  }
  task.converting = 0;
  run.converterFinished = 1;
  return ok;
}

}  // namespace snipster
