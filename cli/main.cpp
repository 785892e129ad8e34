// snipster-cut: the command-line cutter. It runs the same engine as the desktop program, starting
// from the user's saved settings, which it reads but never writes.

#include <cstdio>
#include <string>

#include "app/AppGlobals.h"
#include "cli/CliOptions.h"
#include "cli/DryRun.h"
#include "cli/FileGathering.h"
#include "cli/JobRun.h"
#include "cli/StopSignal.h"
#include "cli/TaskPlanning.h"
#include "engine/EncoderLibrary.h"
#include "engine/OutputPaths.h"
#include "settings/SettingsStore.h"

namespace snipster {
namespace {

void Report(const std::string& line) {
  std::fprintf(stderr, "snipster-cut: %s\n", line.c_str());
  std::fflush(stderr);
}

// The saved settings, or those of the file named with --config. False when the named file
// cannot be read; trouble with the user's own file only warns, as the desktop program does.
bool ReadSettings(const CliOptions& options, CutSettings& settings) {
  settings.DesDir = DefaultOutputFolder();
  const bool named = !options.configFile.empty();
  const std::string file = named ? options.configFile : SettingsFilePath();
  if (named && !PathExists(file)) {
    Report("error: cannot read settings file " + file + ": No such file or directory");
    return false;
  }
  std::string error;
  if (!LoadSettings(settings, file, &error)) {
    if (named) {
      Report("error: " + error + " (" + file + ")");
      return false;
    }
    Report("warning: " + error + " (" + file + ")");
  }
  if (!settings.DesDir.empty() && settings.DesDir.back() != '/') settings.DesDir += '/';
  return true;
}

int Main(int argc, char** argv) {
  const ParseOutcome parsed = ParseCommandLine(argc, argv);
  if (parsed.exitCode) return *parsed.exitCode;
  const CliOptions& options = parsed.options;
  InstallStopHandler();

  CutSettings settings;
  if (!ReadSettings(options, settings)) return kExitUsage;
  ApplyOverrides(options, settings);

  const std::vector<std::string> files = GatherFiles(options.paths, options.recursive, Report);

  AppGlobals globals;
  const std::string decoderError = OpenDecoderLibrary(globals);
  if (!decoderError.empty()) {
    Report("error: " + decoderError);
    CloseDecoderLibrary(globals);
    return kExitFailed;
  }
  CreateSampleRings(globals);

  std::vector<CConversionTask> tasks =
      PlanTasks(globals.probeHandle, files, settings, options.section, Report, StopSignal());
  int code = kExitFinished;
  if (StopSignal().load()) {
    code = 128 + StopSignal().load();
  } else if (tasks.empty()) {
    Report("error: no file to cut");
    code = kExitFailed;
  } else if (options.dryRun) {
    PrintPlan(tasks, settings, stdout);
  } else {
    const EngineContext engine{
        globals.decodeHandle, globals.decoderRing.get(), globals.converterRing.get(),
        options.encoderLibrary.empty() ? DefaultEncoderLibraryPath() : options.encoderLibrary};
    code = RunJob(std::move(tasks), settings, engine);
  }
  CloseDecoderLibrary(globals);
  return code;
}

}  // namespace
}  // namespace snipster

int main(int argc, char** argv) {
  return snipster::Main(argc, argv);
}
