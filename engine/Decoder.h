#pragma once

namespace snipster {

struct TaskRun;

// Decodes the task's source (or its section) into the decoder ring, on the runner thread.
// False when the source cannot be decoded at all; a stream that ends early or breaks off
// midway, and a stopped job, still give true.
bool Decode(TaskRun& run);

}  // namespace snipster
