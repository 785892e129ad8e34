// End-to-end cuts through the real engine: real decoder, converter, encoder library and tags,
// with the pieces decoded again (gapless, as players do) to check what was written.
#include <gtest/gtest.h>
#include <mpg123.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <numeric>

#include "engine/Converter.h"
#include "engine/Decoder.h"
#include "engine/JobRunner.h"
#include "engine/OutputPaths.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using namespace test;

constexpr uint64_t kMinuteFrames = 60 * 44100;

std::string ThreeMinuteStereo() {
  return SharedFixture("stereo-44100-128k-180s.mp3", {44100, 2, 128, 180.0});
}

const DecodedAudio& ThreeMinuteStereoDecoded() {
  static const DecodedAudio audio = DecodeMp3(ThreeMinuteStereo());
  return audio;
}

std::vector<uint64_t> FrameCounts(const std::vector<std::string>& files) {
  std::vector<uint64_t> frames;
  for (const std::string& file : files) frames.push_back(DecodeMp3(file).frames());
  return frames;
}

uint64_t Sum(const std::vector<uint64_t>& values) {
  return std::accumulate(values.begin(), values.end(), uint64_t{0});
}

// True when text is pattern with every '#' standing for a figure with two decimals.
bool MatchesFigures(const std::string& text, const std::string& pattern) {
  size_t t = 0;
  for (char c : pattern) {
    if (c != '#') {
      if (t >= text.size() || text[t++] != c) return false;
      continue;
    }
    const size_t start = t;
    while (t < text.size() && std::isdigit(static_cast<unsigned char>(text[t]))) ++t;
    if (t == start || t + 3 > text.size() || text[t] != '.' || !std::isdigit(text[t + 1]) ||
        !std::isdigit(text[t + 2]))
      return false;
    t += 3;
  }
  return t == text.size();
}

class EngineCut : public testing::Test {
 protected:
  EngineHarness engine;
  TempDir out;
  RecordingObserver observer;
};

TEST_F(EngineCut, ByLengthPiecesAreExactAndInOrder) {
  const std::string source = ThreeMinuteStereo();
  CutSettings settings = OutputTo(out.folder());
  settings.Mode = ByLength;
  settings.Length = 60;
  ASSERT_EQ(engine.Cut({source}, settings, observer), JobResult::Finished);

  const auto files = FilesIn(out.path());
  ASSERT_EQ(files, (std::vector<std::string>{out / "stereo-44100-128k-180s  Section 1.mp3",
                                             out / "stereo-44100-128k-180s  Section 2.mp3",
                                             out / "stereo-44100-128k-180s  Section 3.mp3"}));
  const DecodedAudio& whole = ThreeMinuteStereoDecoded();
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i]);
    const DecodedAudio piece = DecodeMp3(files[i]);
    EXPECT_EQ(piece.sampleRate, 44100u);
    EXPECT_EQ(piece.channels, 2u);
    EXPECT_EQ(piece.frames(), kMinuteFrames);
    EXPECT_TRUE(HasInfoHeader(files[i]));
    // Each piece holds its own minute of the source, sample for sample in place.
    EXPECT_GT(Correlation(piece.samples, 0, whole.samples, i * kMinuteFrames * 2,
                          kMinuteFrames * 2),
              0.98);
  }
  EXPECT_EQ(Sum(FrameCounts(files)), whole.frames());

  // The log of a one-task job, and its end.
  const auto logs = observer.logTexts();
  ASSERT_EQ(logs.size(), 5u);
  EXPECT_EQ(logs[0], std::string(99, '-'));
  EXPECT_EQ(logs[1], "Start a new cutting task.");
  EXPECT_EQ(logs[2], "Source:  " + source + ".");
  EXPECT_TRUE(MatchesFigures(logs[3], "Time elapsed # secs, speed #x.")) << logs[3];
  EXPECT_EQ(logs[4], "Cutting status: OK.");
  EXPECT_TRUE(observer.done());
  EXPECT_EQ(observer.titles(), std::vector<std::string>{"Cutting 1/1"});
  EXPECT_EQ(observer.sentProgress(), 3);
  ASSERT_FALSE(observer.progress().empty());
  EXPECT_FLOAT_EQ(observer.progress().front().second, 0.f);
  EXPECT_FLOAT_EQ(observer.progress().back().first, 100.f);
  EXPECT_FLOAT_EQ(observer.progress().back().second, 100.f);
}

TEST_F(EngineCut, ByCountGivesEqualPieces) {
  CutSettings settings = OutputTo(out.folder());
  settings.Mode = ByCount;
  settings.Count = 3;
  ASSERT_EQ(engine.Cut({ThreeMinuteStereo()}, settings, observer), JobResult::Finished);
  const auto frames = FrameCounts(FilesIn(out.path()));
  // 15 876 000 values / 3 + 1, made even: 5 292 002 values a piece.
  EXPECT_EQ(frames, (std::vector<uint64_t>{2'646'001, 2'646'001, 2'645'998}));
  EXPECT_EQ(Sum(frames), ThreeMinuteStereoDecoded().frames());
}

TEST_F(EngineCut, SectionStartsAtTheRightSample) {
  CutSettings settings = OutputTo(out.folder());
  JobState job;
  job.settings = settings;
  // 10 s to 70 s, in source sample values.
  job.tasks.push_back(engine.Task(ThreeMinuteStereo(), settings, 60 * 44100 * 2, 10 * 44100 * 2));
  ASSERT_EQ(engine.Run(job, observer), JobResult::Finished);

  const auto files = FilesIn(out.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], out / "stereo-44100-128k-180s  Section 1.mp3");
  const DecodedAudio piece = DecodeMp3(files[0]);
  ASSERT_EQ(piece.frames(), kMinuteFrames);

  // The piece lines up with the source at 10 s better than at any nearby offset.
  const auto& whole = ThreeMinuteStereoDecoded().samples;
  const size_t start = 10 * 44100 * 2, span = 44100 * 2;
  long bestLag = 0;
  double best = -2;
  for (long lag = -64; lag <= 64; ++lag) {
    const double c = Correlation(piece.samples, 0, whole, start + 2 * lag, span);
    if (c > best) best = c, bestLag = lag;
  }
  EXPECT_EQ(bestLag, 0);
  EXPECT_GT(best, 0.98);
}

TEST_F(EngineCut, BySizePiecesEndJustOverTheLimit) {
  CutSettings settings = OutputTo(out.folder());
  settings.Mode = BySize;
  settings.Size = 0.5;
  ASSERT_EQ(engine.Cut({ThreeMinuteStereo()}, settings, observer), JobResult::Finished);
  const auto files = FilesIn(out.path());
  ASSERT_EQ(files.size(), 6u);  // 180 s at 128 kbit/s is about 2.75 MiB
  const uint64_t limit = 524288;
  for (size_t i = 0; i + 1 < files.size(); ++i) {
    // Over the limit by less than one chunk, the closing frames and the Info header.
    EXPECT_GE(FileSize(files[i]), limit) << files[i];
    EXPECT_LT(FileSize(files[i]), limit + 4096) << files[i];
  }
  EXPECT_LT(FileSize(files.back()), limit);
  EXPECT_EQ(Sum(FrameCounts(files)), ThreeMinuteStereoDecoded().frames());
}

TEST_F(EngineCut, ConversionGivesTheChosenFormat) {
  struct Case {
    const char* name;
    Mp3Spec source;
    int16_t freq, lameChannel;
    uint32_t outRate, outChannels;
    std::vector<std::string> chain;
  } cases[] = {
      {"stereo-44100-128k-20s.mp3", {44100, 2, 128, 20.0}, 5, Mono, 22050, 1,
       {"channels", "rate"}},
      {"mono-44100-64k-20s.mp3", {44100, 1, 64, 20.0}, 0, Stereo, 44100, 2, {"channels"}},
      {"stereo-48000-128k-20s.mp3", {48000, 2, 128, 20.0}, 8, Automatic, 44100, 2, {"rate"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    RecordingObserver log;
    CutSettings settings = OutputTo(folder.folder());
    settings.Length = 8;
    settings.Freq = c.freq;
    settings.LameChannel = c.lameChannel;
    const std::string source = SharedFixture(c.name, c.source);
    const CConversionTask task = engine.Task(source, settings);
    std::vector<std::string> chain;
    for (const ChainEffect& effect : ConversionChain(task)) chain.push_back(effect.name);
    EXPECT_EQ(chain, c.chain);

    ASSERT_EQ(engine.Cut({source}, settings, log), JobResult::Finished);
    const auto files = FilesIn(folder.path());
    ASSERT_EQ(files.size(), 3u);  // 8 s, 8 s and 4 s
    const uint64_t frameSize = c.outRate >= 32000 ? 1152 : 576;
    const double seconds[] = {8, 8, 4};
    for (size_t i = 0; i < files.size(); ++i) {
      const DecodedAudio piece = DecodeMp3(files[i]);
      EXPECT_EQ(piece.sampleRate, c.outRate);
      EXPECT_EQ(piece.channels, c.outChannels);
      EXPECT_NEAR(double(piece.frames()), seconds[i] * c.outRate, double(frameSize)) << files[i];
    }
  }
}

TEST_F(EngineCut, DecodedValuesReachTheRingUnchanged) {
  const std::string source = SharedFixture("stereo-44100-128k-5s.mp3", {44100, 2, 128, 5.0});
  JobState job;
  job.running = 1;
  CConversionTask task = engine.Task(source, CutSettings{});
  TaskRun run(job, engine.context, observer, task);
  ASSERT_TRUE(Decode(run));

  // An independent 32-bit decode of the same file.
  mpg123_handle* handle = mpg123_new(nullptr, nullptr);
  mpg123_format_none(handle);
  mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_32);
  ASSERT_EQ(mpg123_open(handle, source.c_str()), MPG123_OK);
  long rate = 0;
  int channels = 0, encoding = 0;
  mpg123_getformat(handle, &rate, &channels, &encoding);
  std::vector<int32_t> expected;
  std::vector<int32_t> block(mpg123_outblock(handle) / sizeof(int32_t));
  for (;;) {
    size_t bytes = 0;
    const int result = mpg123_read(handle, reinterpret_cast<unsigned char*>(block.data()),
                                   block.size() * sizeof(int32_t), &bytes);
    expected.insert(expected.end(), block.begin(), block.begin() + bytes / sizeof(int32_t));
    if (result != MPG123_OK) break;
  }
  mpg123_close(handle);
  mpg123_delete(handle);
  ASSERT_EQ(expected.size(), 5u * 44100 * 2);

  SampleRing& ring = *engine.context.decoderRing;
  ASSERT_EQ(ring.Available(), expected.size());
  std::vector<int32_t> got(expected.size());
  ring.Read(got.data(), static_cast<uint32_t>(got.size()));
  EXPECT_EQ(got, expected);
  // Low bits are there: the values were not cut down to a few bits of resolution.
  EXPECT_TRUE(std::any_of(got.begin(), got.end(), [](int32_t v) { return (v & 0x7FFFFF) != 0; }));
}

TEST_F(EngineCut, ExactLengthGivesNoStrayPiece) {
  // 20.000 s cut every 2 s: exactly ten pieces, every time, never an eleventh.
  const std::string source = SharedFixture("mono-8000-32k-20s.mp3", {8000, 1, 32, 20.0});
  for (int round = 0; round < 3; ++round) {
    TempDir folder;
    RecordingObserver log;
    CutSettings settings = OutputTo(folder.folder());
    settings.Length = 2;
    ASSERT_EQ(engine.Cut({source}, settings, log), JobResult::Finished);
    const auto frames = FrameCounts(FilesIn(folder.path()));
    EXPECT_EQ(frames, std::vector<uint64_t>(10, 16000)) << "round " << round;
  }
}

TEST_F(EngineCut, PiecesCarryTheSourceTags) {
  TagSpec tags;
  tags.kinds = TagID3v2;
  tags.artist = "Artist";
  tags.title = "Title";
  tags.track = "7/12";
  const std::string source =
      SharedFixture("tagged-v2-44100-5s.mp3", {44100, 2, 128, 5.0}, tags);
  CutSettings settings = OutputTo(out.folder());
  settings.Length = 2;
  ASSERT_EQ(engine.Cut({source}, settings, observer), JobResult::Finished);
  const auto files = FilesIn(out.path());
  ASSERT_EQ(files.size(), 3u);
  for (const std::string& path : files) {
    TagLib::MPEG::File file(path.c_str(), false);
    ASSERT_TRUE(file.hasID3v2Tag()) << path;
    EXPECT_FALSE(file.hasID3v1Tag());
    EXPECT_FALSE(file.hasAPETag());
    auto* tag = file.ID3v2Tag();
    EXPECT_EQ(tag->artist().to8Bit(true), "Artist");
    EXPECT_EQ(tag->title().to8Bit(true), "Title");
    EXPECT_EQ(tag->frameListMap()["TRCK"].front()->toString().to8Bit(true), "7/12");
    EXPECT_FALSE(tag->frameListMap()["TENC"].isEmpty());
  }
}

TEST_F(EngineCut, OutputNextToSourceTakesAFreeName) {
  TempDir folder;
  const std::string source = folder / "song.mp3";
  std::filesystem::copy_file(SharedFixture("mono-8000-32k-20s.mp3", {8000, 1, 32, 20.0}), source);
  CutSettings settings;
  settings.SameAsSrc = 1;
  settings.Length = 15;
  ASSERT_EQ(engine.Cut({source}, settings, observer), JobResult::Finished);
  EXPECT_EQ(FilesIn(folder.path()),
            (std::vector<std::string>{folder / "song (2)  Section 1.mp3",
                                      folder / "song (2)  Section 2.mp3", source}));
  ASSERT_FALSE(observer.destinations().empty());
  EXPECT_EQ(observer.destinations().front(), folder / "song (2).mp3");
}

TEST_F(EngineCut, SeveralTasksEndWithTheTotalLine) {
  const std::string a = SharedFixture("mono-8000-32k-20s.mp3", {8000, 1, 32, 20.0});
  const std::string b = SharedFixture("stereo-44100-128k-5s.mp3", {44100, 2, 128, 5.0});
  CutSettings settings = OutputTo(out.folder());
  settings.Length = 60;
  ASSERT_EQ(engine.Cut({a, b}, settings, observer), JobResult::Finished);
  const auto logs = observer.logTexts();
  ASSERT_EQ(logs.size(), 12u);
  EXPECT_EQ(logs[5], std::string(99, '-'));
  EXPECT_EQ(logs[7], "Source:  " + b + ".");
  EXPECT_EQ(logs[10], std::string(99, '-'));
  EXPECT_TRUE(MatchesFigures(logs[11], "Total time elapsed # secs, overall speed #x.")) << logs[11];
  EXPECT_EQ(observer.titles(), (std::vector<std::string>{"Cutting 1/2", "Cutting 2/2"}));
  EXPECT_EQ(FilesIn(out.path()).size(), 2u);
}

TEST(JobState, Percentages) {
  JobState job;
  CConversionTask task;
  task.totalOutSamples = 1'000'000;
  job.tasks = {task};
  job.Reset();
  job.doneTask = 500'000;
  job.doneAll = 500'000;
  EXPECT_FLOAT_EQ(job.TaskPercent(task.totalOutSamples), 50.f);
  EXPECT_FLOAT_EQ(job.JobPercent(), 50.f);

  task.totalOutSamples = 600'000;
  CConversionTask second;
  second.totalOutSamples = 400'000;
  job.tasks = {task, second};
  job.Reset();
  job.doneAll = 800'000;
  job.doneTask = 200'000;
  EXPECT_FLOAT_EQ(job.JobPercent(), 80.f);
  EXPECT_FLOAT_EQ(job.TaskPercent(second.totalOutSamples), 50.f);
}

}  // namespace
}  // namespace snipster
