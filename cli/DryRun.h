#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/CConversionTask.h"
#include "settings/CutSettings.h"

namespace snipster {

// One output file as the job would write it.
struct PlannedPiece {
  std::string path;
  double seconds = 0.0;
};

struct PlannedTask {
  std::vector<PlannedPiece> pieces;
  bool estimated = false;  // cut by size: the lengths follow from the bit rate
};

// The pieces of every task, named as the runner and the section writer name them: a destination
// that exists is replaced by a free name, and so is a piece name that exists on disk or that an
// earlier task of the job would write.
std::vector<PlannedTask> PlanPieces(const std::vector<CConversionTask>& tasks,
                                    const CutSettings& settings);

// Prints the plan: per task the source, the output format and length, and the pieces.
void PrintPlan(const std::vector<CConversionTask>& tasks, const CutSettings& settings,
               std::FILE* out);

}  // namespace snipster
