// Runs the real snipster-cut in a temporary folder whose HOME and XDG_CONFIG_HOME are private,
// so the user's own settings are never read, and checks its exit codes, output and files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/AppGlobals.h"
#include "library/AudioFileInfo.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

namespace fs = std::filesystem;
using test::DecodeMp3;
using test::MakeMp3;
using test::Mp3Spec;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Clock = std::chrono::steady_clock;

constexpr auto kRunLimit = std::chrono::seconds(60);

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The exit code, or 128 + the signal that ended the process.
int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Waits for the child, killing it when it runs far too long so that a hang fails the test.
int WaitFor(pid_t pid) {
  const auto deadline = Clock::now() + kRunLimit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << "snipster-cut did not end";
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ExitCodeOf(status);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (const auto deadline = Clock::now() + kRunLimit; Clock::now() < deadline;) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

class CliTest : public testing::Test {
 protected:
  CliTest() {
    fs::create_directories(home_);
    fs::create_directories(configHome_);
  }

  // Starts the program with its output going to out and err (files).
  pid_t Start(const std::vector<std::string>& args, const std::string& out,
              const std::string& err) {
    const Prepared p = Prepare(args);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int in = ::open("/dev/null", O_RDONLY);
      const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || o < 0 || e < 0 || ::chdir(dir_.path().c_str()) != 0) ::_exit(126);
      ::dup2(in, 0);
      ::dup2(o, 1);
      ::dup2(e, 2);
      ::execve(p.argv[0], p.argv.data(), p.envp.data());
      ::_exit(127);
    }
    return pid;
  }

  RunResult Run(const std::vector<std::string>& args) {
    RunResult result;
    const std::string out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
    result.exitCode = WaitFor(Start(args, out, err));
    result.out = ReadFile(out);
    result.err = ReadFile(err);
    return result;
  }

  // Runs the program on a pseudo terminal; returns everything it wrote there.
  RunResult RunOnTerminal(const std::vector<std::string>& args) {
    const Prepared p = Prepare(args);
    winsize size{};
    size.ws_col = 200;
    size.ws_row = 40;
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid == 0) {
      if (::chdir(dir_.path().c_str()) != 0) ::_exit(126);
      ::execve(p.argv[0], p.argv.data(), p.envp.data());
      ::_exit(127);
    }
    RunResult result;
    if (pid < 0) {
      ADD_FAILURE() << "forkpty failed";
      return result;
    }
    char buffer[4096];
    // Reading ends with EIO once the child has closed the terminal.
    for (const auto deadline = Clock::now() + kRunLimit; Clock::now() < deadline;) {
      pollfd fd{master, POLLIN, 0};
      if (::poll(&fd, 1, 100) <= 0) continue;
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      result.out.append(buffer, static_cast<size_t>(n));
    }
    ::close(master);
    result.exitCode = WaitFor(pid);
    return result;
  }

  std::string Mp3(const std::string& relative, double seconds, uint32_t rate = 44100,
                  uint32_t channels = 2) {
    const std::string path = dir_ / relative;
    fs::create_directories(fs::path(path).parent_path());
    Mp3Spec spec;
    spec.sampleRate = rate;
    spec.channels = channels;
    spec.seconds = seconds;
    if (rate <= 12000) spec.bitRate = 32;  // the highest rates need a higher sample rate
    MakeMp3(path, spec);
    return path;
  }

  std::string Path(const std::string& relative) const { return dir_ / relative; }
  std::string SettingsFile() const { return configHome_ + "/Snipster/Config.ini"; }

 private:
  struct Prepared {
    std::vector<std::string> strings;
    std::vector<char*> argv;
    std::vector<char*> envp;
  };

  // Everything the child needs is built before fork.
  Prepared Prepare(const std::vector<std::string>& args) {
    Prepared p;
    p.strings.push_back(ProgramFolder() + "/snipster-cut");
    p.strings.insert(p.strings.end(), args.begin(), args.end());
    const size_t argCount = p.strings.size();
    p.strings.push_back("HOME=" + home_);
    p.strings.push_back("XDG_CONFIG_HOME=" + configHome_);
    p.strings.push_back("PATH=/usr/bin:/bin");
    p.strings.push_back("TERM=xterm");
    for (size_t i = 0; i < p.strings.size(); ++i)
      (i < argCount ? p.argv : p.envp).push_back(p.strings[i].data());
    p.argv.push_back(nullptr);
    p.envp.push_back(nullptr);
    return p;
  }

  TempDir dir_;
  const std::string home_ = dir_ / "home";
  const std::string configHome_ = dir_ / "config";
};

// Whether text starts like pattern, where '#' stands for any digit.
bool StartsLike(const std::string& text, const std::string& pattern) {
  if (text.size() < pattern.size()) return false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (pattern[i] == '#' ? !digit : text[i] != pattern[i]) return false;
  }
  return true;
}

// "NNN hh:mm:ss  text"
constexpr char kLogPrefix[] = "### ##:##:##  ";
bool IsLogLine(const std::string& line) {
  return StartsLike(line, kLogPrefix) && line.size() > 14 && line[14] != ' ';
}
bool IsErrorLine(const std::string& line) {
  return StartsLike(line, std::string(kLogPrefix) + "error: ") && line.size() > 21;
}

TEST_F(CliTest, CutsByLengthWithNumberedPlainLog) {
  const std::string source = Mp3("in/x.mp3", 5.0);
  const RunResult r = Run({"--length", "2", "--out", Path("out"), source});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(FilesIn(Path("out")),
            (std::vector<std::string>{"x  Section 1.mp3", "x  Section 2.mp3", "x  Section 3.mp3"}));
  const uint64_t expectedFrames[] = {2 * 44100, 2 * 44100, 1 * 44100};
  for (int i = 0; i < 3; ++i) {
    const auto audio = DecodeMp3(Path("out/x  Section " + std::to_string(i + 1) + ".mp3"));
    EXPECT_EQ(audio.sampleRate, 44100u);
    EXPECT_EQ(audio.channels, 2u);
    EXPECT_EQ(audio.frames(), expectedFrames[i]) << "piece " << i + 1;
  }

  // Not a terminal: log lines only, numbered from 1 in order, no live line.
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  EXPECT_EQ(r.out.find('\033'), std::string::npos);
  const auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 6u);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(IsLogLine(lines[i])) << lines[i];
    EXPECT_EQ(std::stoi(lines[i].substr(0, 3)), static_cast<int>(i + 1)) << lines[i];
  }
  EXPECT_EQ(lines[0].substr(14), std::string(99, '-'));
  EXPECT_EQ(lines[1].substr(14), "Start a new cutting task.");
  EXPECT_EQ(lines[2].substr(14), "Source:  " + source + ".");
  EXPECT_TRUE(Contains(r.out, "Cutting status: OK."));
  EXPECT_EQ(lines.back().substr(14), "Finished cutting, all done ^_^");
}

TEST_F(CliTest, RefusesValuesOutsideTheirLimitsWithOneLine) {
  const std::string source = Mp3("in/x.mp3", 1.0);
  const std::string out = Path("out");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--count", "1"}, "--count must be between 2 and 10000, got 1"},
      {{"--count", "10001"}, "--count must be between 2 and 10000"},
      {{"--count", "three"}, "--count: 'three' is not a whole number"},
      {{"--size", "5000"}, "--size must be between 0.001 and 4096 MB, got 5000"},
      {{"--size", "0"}, "--size must be between 0.001 and 4096 MB"},
      {{"--bitrate", "100"},
       "--bitrate must be one of 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, "
       "112, 128, 160, 192, 224, 256, 320 kbit/s, got 100"},
      {{"--rate", "12345"},
       "--rate must be auto or one of 8000, 11025, 12000, 16000, 22050, "
       "24000, 32000, 44100, 48000 Hz, got 12345"},
      {{"--length", "0"}, "--length must be between 1 and 86399 seconds"},
      {{"--length", "24:00:00"}, "--length must be between 1 and 86399 seconds"},
      {{"--length", "1:75"}, "--length: '1:75' is not a time"},
      {{"--channels", "quad"}, "--channels must be one of auto, mono, stereo, joint, dual"},
      {{"--section", "30-10"}, "--section: START must be before END"},
      {{"--length", "2", "--count", "3"}, "give only one of --length, --size, --count"},
      {{"--same-as-source"}, "give only one of --out and --same-as-source"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--out", out, source});
    const RunResult r = Run(args);
    SCOPED_TRACE(c.message);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_TRUE(Contains(lines[0], "snipster-cut: error: " + c.message)) << lines[0];
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(CliTest, MissingEncoderLibraryFailsTheJob) {
  const std::string source = Mp3("in/x.mp3", 1.0);
  const RunResult r =
      Run({"--encoder-library", "/nonexistent/liblame_enc.so", "--out", Path("out"), source});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Contains(r.out, "Start a new cutting task.")) << r.out;
  EXPECT_FALSE(Contains(r.out, "Finished cutting"));
  const auto errors = Lines(r.err);
  ASSERT_FALSE(errors.empty());
  for (const auto& line : errors) EXPECT_TRUE(IsErrorLine(line)) << line;
  EXPECT_EQ(errors[0].substr(14), "error: Error loading lame_enc.dll");
  EXPECT_TRUE(Contains(r.err, "error: Cutting status: ERROR."));
}

// Ctrl-C cancels like the window's Cancel; the piece being written stays a whole MP3 file with
// its Info header and the source's tags.
TEST_F(CliTest, InterruptCancelsAndKeepsADecodablePartialPiece) {
  // A low-rate source, upsampled so that the job takes a few seconds.
  const std::string source = Path("in/long.mp3");
  fs::create_directories(Path("in"));
  Mp3Spec spec;
  spec.sampleRate = 8000;
  spec.channels = 1;
  spec.bitRate = 32;
  spec.seconds = 600.0;
  test::TagSpec tags;
  tags.kinds = TagID3v2;
  tags.title = "Long Talk";
  MakeMp3(source, spec, tags);

  const std::string out = Path("out"), piece = out + "/long  Section 1.mp3";
  const pid_t pid =
      Start({"--length", "3600", "--rate", "48000", "--channels", "stereo", "--out", out, source},
            Path("stdout.txt"), Path("stderr.txt"));
  // Some seconds of audio are in the piece: 128 kbit/s write 16000 bytes a second.
  ASSERT_TRUE(WaitUntil([&] {
    std::error_code ec;
    return fs::file_size(piece, ec) > 48000 && !ec;
  }));
  ::kill(pid, SIGINT);
  EXPECT_EQ(WaitFor(pid), 130);

  const std::string stdoutText = ReadFile(Path("stdout.txt"));
  EXPECT_TRUE(Contains(stdoutText, "Aborting, Please Wait...")) << stdoutText;
  EXPECT_TRUE(Contains(stdoutText, "Cutting cancelled.")) << stdoutText;
  EXPECT_FALSE(Contains(stdoutText, "Finished cutting"));
  EXPECT_EQ(FilesIn(out), std::vector<std::string>{"long  Section 1.mp3"});
  const auto audio = DecodeMp3(piece);
  EXPECT_EQ(audio.sampleRate, 48000u);
  EXPECT_EQ(audio.channels, 2u);
  EXPECT_GT(audio.frames(), 3u * 48000u);
  EXPECT_LT(audio.frames(), 600u * 48000u);
  const std::string bytes = ReadFile(piece).substr(0, 8192);
  EXPECT_TRUE(Contains(bytes, "Info")) << "no Info header";
  TagLib::MPEG::File file(piece.c_str());
  ASSERT_TRUE(file.hasID3v2Tag());
  EXPECT_EQ(file.ID3v2Tag()->title().to8Bit(true), "Long Talk");
}

TEST_F(CliTest, FolderArgumentTakesMp3FilesInNameOrder) {
  Mp3("in/b.mp3", 0.5);
  Mp3("in/sub/C.MP3", 0.5);
  Mp3("in/.hidden/d.Mp3", 0.5);
  WriteFile(Path("in/notes.txt"), "not audio");
  WriteFile(Path("in/sub/cover.jpg"), "not audio either");

  // Without -r only the folder's own files.
  RunResult r = Run({"--dry-run", "--out", Path("out"), Path("in")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, Path("in/b.mp3")));
  EXPECT_FALSE(Contains(r.out, "C.MP3"));
  EXPECT_FALSE(Contains(r.out, "d.Mp3"));

  r = Run({"-r", "--out", Path("out"), Path("in")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<std::string> sources;
  for (const auto& line : Lines(r.out))
    if (line.substr(14, 9) == "Source:  ") sources.push_back(line.substr(23));
  EXPECT_EQ(sources,
            (std::vector<std::string>{Path("in/b.mp3") + ".", Path("in/.hidden/d.Mp3") + ".",
                                      Path("in/sub/C.MP3") + "."}));
  EXPECT_EQ(FilesIn(Path("out")),
            (std::vector<std::string>{"C  Section 1.mp3", "b  Section 1.mp3", "d  Section 1.mp3"}));
  EXPECT_TRUE(Contains(r.out, "Total time elapsed"));
}

TEST_F(CliTest, UnreadableFilesAreReportedAndSkipped) {
  const std::string good = Mp3("in/good.mp3", 1.0);
  WriteFile(Path("in/bad.mp3"), std::string(5000, 'x'));
  const std::string missing = Path("in/missing.mp3");

  RunResult r = Run({"--out", Path("out"), Path("in/bad.mp3"), missing, good});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  const auto errors = Lines(r.err);
  ASSERT_EQ(errors.size(), 2u) << r.err;
  EXPECT_TRUE(Contains(errors[0], "snipster-cut: cannot read " + missing)) << errors[0];
  EXPECT_TRUE(Contains(errors[1], "snipster-cut: skipped " + Path("in/bad.mp3"))) << errors[1];
  EXPECT_EQ(FilesIn(Path("out")), std::vector<std::string>{"good  Section 1.mp3"});

  // Nothing left to cut.
  r = Run({"--out", Path("out2"), Path("in/bad.mp3")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Contains(r.err, "snipster-cut: error: no file to cut")) << r.err;
  EXPECT_FALSE(fs::exists(Path("out2")));
}

// The plan names the pieces exactly as the job then writes them, taken names included.
TEST_F(CliTest, DryRunPrintsThePiecesAndWritesNothing) {
  const std::string a = Mp3("in/a/x.mp3", 5.0);
  const std::string b = Mp3("in/b/x.mp3", 3.0);
  fs::create_directories(Path("out"));
  WriteFile(Path("out/x  Section 1.mp3"), "taken");

  const RunResult plan = Run({"--dry-run", "--length", "2", "--out", Path("out"), a, b});
  ASSERT_EQ(plan.exitCode, 0) << plan.err;
  EXPECT_EQ(FilesIn(Path("out")), std::vector<std::string>{"x  Section 1.mp3"});
  // Piece lines: "    hh:mm:ss.fff  path".
  std::vector<std::string> durations, names;
  for (const auto& line : Lines(plan.out)) {
    if (StartsLike(line, "    ##:##:##.###  ")) {
      durations.push_back(line.substr(4, 12));
      names.push_back(fs::path(line.substr(18)).filename().string());
    }
  }
  EXPECT_EQ(durations, (std::vector<std::string>{"00:00:02.000", "00:00:02.000", "00:00:01.000",
                                                 "00:00:02.000", "00:00:01.000"}));
  EXPECT_EQ(names, (std::vector<std::string>{"x  Section 1 (2).mp3", "x  Section 2.mp3",
                                             "x  Section 3.mp3", "x  Section 1 (3).mp3",
                                             "x  Section 2 (2).mp3"}));
  EXPECT_TRUE(Contains(plan.out, "Output:   44100 Hz, Joint Stereo, 128 kbit/s, 00:00:05.000"));

  const RunResult run = Run({"--length", "2", "--out", Path("out"), a, b});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  names.push_back("x  Section 1.mp3");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(FilesIn(Path("out")), names);

  // By size the plan can only estimate from the bit rate, as the encoder uses it: at 8000 Hz
  // at most 64 kbit/s, so 0.1 MB last 13.1 s.
  const std::string longer = Mp3("in/long.mp3", 30.0, 8000, 1);
  const std::vector<std::string> sizeArgs = {"--size", "0.1",        "--bitrate", "320",
                                             "--out",  Path("out3"), longer};
  std::vector<std::string> dryArgs = sizeArgs;
  dryArgs.insert(dryArgs.begin(), "--dry-run");
  const RunResult sized = Run(dryArgs);
  ASSERT_EQ(sized.exitCode, 0) << sized.err;
  EXPECT_TRUE(Contains(sized.out, "Output:   8000 Hz, Mono, 64 kbit/s, 00:00:30.000")) << sized.out;
  EXPECT_TRUE(Contains(sized.out, "about 3 (estimated from the bit rate: 8000 bytes per second)"))
      << sized.out;
  EXPECT_TRUE(Contains(sized.out, "~00:00:13.107  " + Path("out3/long  Section 1.mp3")));
  EXPECT_FALSE(fs::exists(Path("out3")));
  ASSERT_EQ(Run(sizeArgs).exitCode, 0);
  EXPECT_EQ(FilesIn(Path("out3")).size(), 3u);
}

TEST_F(CliTest, SectionCutsOnePiecePerFileAndSkipsFilesThatEndBefore) {
  const std::string a = Mp3("in/a.mp3", 5.0);
  const std::string b = Mp3("in/b.mp3", 2.0);
  const RunResult r = Run({"--section", "3-10", "--out", Path("out"), a, b});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Contains(r.err, "snipster-cut: skipped " + b + ": the section starts at")) << r.err;
  EXPECT_EQ(FilesIn(Path("out")), std::vector<std::string>{"a  Section 1.mp3"});
  EXPECT_EQ(DecodeMp3(Path("out/a  Section 1.mp3")).frames(), 2u * 44100u);

  const RunResult inner = Run({"--section", "0:01.5-0:02.5", "--out", Path("out2"), a});
  ASSERT_EQ(inner.exitCode, 0) << inner.err;
  const auto audio = DecodeMp3(Path("out2/a  Section 1.mp3"));
  EXPECT_EQ(audio.frames(), 44100u);
  // The piece holds the source's audio from 1.5 s on, not from the start.
  const auto whole = DecodeMp3(a);
  double difference = 0, level = 0;
  for (size_t i = 0; i < audio.samples.size(); ++i) {
    difference += std::abs(audio.samples[i] - whole.samples[i + 66150 * 2]);
    level += std::abs(whole.samples[i + 66150 * 2]);
  }
  EXPECT_LT(difference, 0.1 * level);
}

TEST_F(CliTest, StartsFromTheSavedSettingsAndNeverWritesThem) {
  const std::string source = Mp3("in/x.mp3", 5.0);
  fs::create_directories(fs::path(SettingsFile()).parent_path());
  const std::string saved = "[OUTPUT]\nMode=2\nCount=4\nDesDir=" + Path("saved-out") + "\n";
  WriteFile(SettingsFile(), saved);
  const auto savedTime = fs::last_write_time(SettingsFile());

  RunResult r = Run({source});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FilesIn(Path("saved-out")).size(), 4u);
  // An option replaces the saved mode.
  r = Run({"--length", "2", "--out", Path("length-out"), source});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FilesIn(Path("length-out")).size(), 3u);
  EXPECT_EQ(ReadFile(SettingsFile()), saved);
  EXPECT_EQ(fs::last_write_time(SettingsFile()), savedTime);

  // --config reads another file instead.
  WriteFile(Path("other.ini"), "[output]\nmode=2\ncount=3\n");
  r = Run({"--config", Path("other.ini"), "--out", Path("other-out"), source});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FilesIn(Path("other-out")),
            (std::vector<std::string>{"x  Section 1.mp3", "x  Section 2.mp3", "x  Section 3.mp3"}));
  EXPECT_EQ(ReadFile(Path("other.ini")), "[output]\nmode=2\ncount=3\n");
  EXPECT_EQ(ReadFile(SettingsFile()), saved);

  r = Run({"--config", Path("none.ini"), "--out", Path("none-out"), source});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Contains(r.err, "cannot read settings file " + Path("none.ini"))) << r.err;
}

TEST_F(CliTest, NoSettingsFileIsCreated) {
  const std::string source = Mp3("in/x.mp3", 1.0);
  const RunResult r = Run({"--out", Path("out"), source});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(fs::exists(fs::path(SettingsFile()).parent_path()));
}

TEST_F(CliTest, TerminalShowsALiveProgressLineBelowTheLog) {
  const std::string source = Mp3("in/long.mp3", 120.0, 8000, 1);
  const RunResult r =
      RunOnTerminal({"--rate", "48000", "--channels", "stereo", "--out", Path("out"), source});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  // Each drawing of the live line clears the row first; check the fields of every drawing. It
  // ends with the destination text, as the window shows it: the output name, then each piece.
  const std::string clear = "\r\x1b[2K";
  int drawn = 0;
  for (size_t at = r.out.find(clear + "[1/1] task "); at != std::string::npos;
       at = r.out.find(clear + "[1/1] task ", at + 1)) {
    const size_t start = at + clear.size();
    const std::string line = r.out.substr(start, r.out.find('\r', start) - start);
    EXPECT_TRUE(Contains(line, "%  job ") && Contains(line, "x  elapsed ") &&
                Contains(line, "  ETA ") && Contains(line, "  long"))
        << line;
    ++drawn;
  }
  EXPECT_GT(drawn, 0) << r.out;
  // The live line is cleared before a log line, so the last log line is whole, on its own row.
  const std::string last = "Finished cutting, all done ^_^\r\n";
  ASSERT_TRUE(r.out.ends_with(last)) << r.out;
  const size_t lineStart = r.out.size() - last.size() - 14;
  EXPECT_TRUE(StartsLike(r.out.substr(lineStart), kLogPrefix)) << r.out;
  EXPECT_TRUE(r.out[lineStart - 1] == '\n' ||
              r.out.compare(lineStart - clear.size(), clear.size(), clear) == 0)
      << r.out;
}

}  // namespace
}  // namespace snipster
