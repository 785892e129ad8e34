#include "cli/DryRun.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "cli/TimeText.h"
#include "engine/OutputPaths.h"

namespace snipster {

namespace {

// MakeUniquePath, where a name also counts as taken when the plan already uses it.
std::string UniquePath(const std::string& path, const std::set<std::string>& planned) {
  return MakeUniquePath(
      path, [&](const std::string& p) { return PathExists(p) || planned.count(p) > 0; });
}

// The bit rate the encoder really uses: each MPEG version (chosen by the sample rate) has its own
// range of rates, and a rate outside it is moved to the nearest end.
uint32_t EffectiveBitrate(uint32_t kbps, uint32_t sampleRate) {
  if (sampleRate >= 32000) return std::clamp(kbps, 32u, 320u);
  if (sampleRate >= 16000) return std::clamp(kbps, 8u, 160u);
  return std::clamp(kbps, 8u, 64u);
}

double ValuesPerSecond(const CConversionTask& task) {
  return double(task.outRate) * double(task.outChannels);
}

// The lengths of the pieces in seconds.
std::vector<double> PieceSeconds(const CConversionTask& task, const CutSettings& settings,
                                 bool* estimated) {
  *estimated = false;
  std::vector<double> pieces;
  const double perSecond = ValuesPerSecond(task);
  if (task.totalOutSamples == 0 || perSecond <= 0) return pieces;
  const SectionLimits limits = SectionLimit(task, settings);
  if (limits.bytes != kNoLimit) {
    // A constant bit rate writes kbps x 125 bytes per second.
    *estimated = true;
    const double bytesPerSecond =
        double(EffectiveBitrate(BitrateAt(settings.LameBits), task.outRate)) * 125.0;
    const double pieceSeconds = std::max(double(limits.bytes), 1.0) / bytesPerSecond;
    double left = double(task.totalOutSamples) / perSecond;
    while (left > 1e-9) {
      pieces.push_back(std::min(left, pieceSeconds));
      left -= pieceSeconds;
    }
    return pieces;
  }
  const uint64_t limit = limits.samples == 0 ? 1 : limits.samples;
  for (uint64_t left = task.totalOutSamples; left > 0;) {
    const uint64_t piece = std::min(left, limit);
    pieces.push_back(double(piece) / perSecond);
    left -= piece;
  }
  return pieces;
}

std::string ChannelModeText(const CConversionTask& task, const CutSettings& settings) {
  if (task.outChannels == 1) return "Mono";
  switch (settings.LameChannel) {
    case Stereo:
      return "Stereo";
    case DualChannel:
      return "Dual Channel";
    default:
      return "Joint Stereo";
  }
}

}  // namespace

std::vector<PlannedTask> PlanPieces(const std::vector<CConversionTask>& tasks,
                                    const CutSettings& settings) {
  std::set<std::string> planned;
  std::vector<PlannedTask> plans;
  for (const CConversionTask& task : tasks) {
    PlannedTask plan;
    // The runner replaces an existing destination name; the pieces are named after it.
    const std::string destPath =
        PathExists(task.destPath) ? MakeUniquePath(task.destPath) : task.destPath;
    const std::vector<double> seconds = PieceSeconds(task, settings, &plan.estimated);
    for (size_t i = 0; i < seconds.size(); ++i) {
      const std::string path =
          UniquePath(SectionFileName(destPath, static_cast<int>(i) + 1), planned);
      planned.insert(path);
      plan.pieces.push_back({path, seconds[i]});
    }
    plans.push_back(std::move(plan));
  }
  return plans;
}

void PrintPlan(const std::vector<CConversionTask>& tasks, const CutSettings& settings,
               std::FILE* out) {
  const std::vector<PlannedTask> plans = PlanPieces(tasks, settings);
  std::fprintf(out, "Dry run: %zu task%s, nothing is written.\n", tasks.size(),
               tasks.size() == 1 ? "" : "s");
  for (size_t t = 0; t < tasks.size(); ++t) {
    const CConversionTask& task = tasks[t];
    const PlannedTask& plan = plans[t];
    std::fprintf(out, "\nTask %zu/%zu\n", t + 1, tasks.size());
    std::fprintf(out, "  Source:   %s (%u Hz, %u channel%s)\n", task.sourcePath.c_str(),
                 task.sourceRate, task.sourceChannels, task.sourceChannels == 1 ? "" : "s");
    if (task.sectionLength != 0) {
      const double perSecond = double(task.sourceRate) * double(task.sourceChannels);
      const double start = double(task.sectionStart) / perSecond;
      const double end = start + double(task.sectionLength) / perSecond;
      std::fprintf(out, "  Section:  %s to %s\n", ClockText(start).c_str(), ClockText(end).c_str());
    }
    std::fprintf(out, "  Output:   %u Hz, %s, %u kbit/s, %s in all\n", task.outRate,
                 ChannelModeText(task, settings).c_str(),
                 EffectiveBitrate(BitrateAt(settings.LameBits), task.outRate),
                 ClockText(double(task.totalOutSamples) / ValuesPerSecond(task)).c_str());
    if (plan.estimated) {
      std::fprintf(
          out, "  Pieces:   about %zu (estimated from the bit rate: %u bytes per second)\n",
          plan.pieces.size(), EffectiveBitrate(BitrateAt(settings.LameBits), task.outRate) * 125);
    } else {
      std::fprintf(out, "  Pieces:   %zu\n", plan.pieces.size());
    }
    for (const PlannedPiece& piece : plan.pieces) {
      std::fprintf(out, "    %s%s  %s\n", plan.estimated ? "~" : "",
                   ClockText(piece.seconds).c_str(), piece.path.c_str());
    }
  }
  std::fflush(out);
}

}  // namespace snipster
