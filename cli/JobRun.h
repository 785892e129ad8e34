#pragma once

#include <vector>

#include "engine/CConversionTask.h"
#include "engine/TaskRun.h"
#include "settings/CutSettings.h"

namespace snipster {

// Runs the job on the terminal until it ends, keeping the live progress line fresh and
// cancelling it when a stop signal arrives. Returns the exit code: 0 finished, 1 failed,
// 128 + the signal number when cancelled.
int RunJob(std::vector<CConversionTask> tasks, const CutSettings& settings,
           const EngineContext& engine);

}  // namespace snipster
