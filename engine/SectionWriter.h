#pragma once

#include <string>

namespace snipster {

struct TaskRun;

// The section writer of a task: reads the task's encoder input, cuts it into files by the
// task's limits, encodes each through the encoder library, writes it with its Info header and
// the source's tags, and keeps the job's progress counters.
//
// Contract: runs on its own thread, the only consumer of the encoder input. Its input has ended
// when neither decoding nor converting is set and the ring is empty. It polls running (1 ms
// while waiting for input, 100 ms while paused) and writes the four job counters; progress goes
// out at most every 100 ms, plus one waited-for message at the end of every file. A file is
// created only once there is at least one sample for it.
void WriterThread(TaskRun& run);

// Encodes one output file from the encoder input. False when the job had to stop.
bool EncodeSection(TaskRun& run, const std::string& path);

}  // namespace snipster
