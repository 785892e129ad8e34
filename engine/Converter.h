#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace snipster {

struct CConversionTask;
struct TaskRun;

// One libsox effect of the chain and its single argument.
struct ChainEffect {
  std::string name;
  uint32_t value;
};

// The library effects between the program's own input and output effects: "channels" when the
// channel count changes, then "rate" when the rate changes.
std::vector<ChainEffect> ConversionChain(const CConversionTask& task);

// The conversion thread of a task whose output rate or channel count differs from the source:
// reads the decoder ring, changes the channel count and then the rate with libsox, and writes
// the converter ring, which the section writer reads. It starts the section writer itself.
//
// Contract: the only consumer of the decoder ring and the only producer of the converter ring
// while it runs. It sees the end of its input when the task's decoding flag is clear and the
// decoder ring is empty; it clears converting after its last write. Every wait polls the job's
// running flag, so clearing that flag ends the thread promptly.
bool ConvertThread(TaskRun& run);

}  // namespace snipster
