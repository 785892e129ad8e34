#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "engine/CConversionTask.h"
#include "engine/OutputPaths.h"
#include "library/AudioFileInfo.h"
#include "settings/CutSettings.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using test::TempDir;
using test::WriteFile;

AudioFileInfo Source(uint32_t rate, uint32_t channels, double seconds) {
  AudioFileInfo info;
  info.typeCode = kTypeCodeMp3;
  info.sampleRate = rate;
  info.channels = channels;
  info.totalSamples = static_cast<int64_t>(seconds * rate) * channels;
  info.duration = seconds;
  return info;
}

TEST(AutoSampleRate, PicksTheFirstCommonRateNotBelowTheSource) {
  const std::pair<uint32_t, uint32_t> cases[] = {
      {8000, 8000},   {7999, 8000},   {11025, 11025}, {22050, 22050}, {22051, 24000},
      {44000, 44100}, {44100, 44100}, {48000, 48000}, {96000, 48000}, {0, 8000},
  };
  for (auto [source, expected] : cases) EXPECT_EQ(AutoSampleRate(source), expected) << source;
}

TEST(BuildTask, OutputFormatRatioAndConversion) {
  struct Case {
    uint32_t rate, channels;
    int16_t freq, lameChannel;
    uint32_t outRate, outChannels;
    double ratio;
    bool conversion;
  } cases[] = {
      {44100, 2, 5, Mono, 22050, 1, 0.25, true},
      {44100, 2, 0, Automatic, 44100, 2, 1.0, false},
      {22050, 2, 0, Automatic, 22050, 2, 1.0, false},
      {44000, 2, 0, Automatic, 44100, 2, 44100.0 / 44000.0, true},
      {96000, 2, 0, Automatic, 48000, 2, 0.5, true},
      {44100, 1, 0, Automatic, 44100, 1, 1.0, false},
      {44100, 1, 0, Stereo, 44100, 2, 2.0, true},
      {44100, 1, 0, JointStereo, 44100, 2, 2.0, true},
      {44100, 1, 0, DualChannel, 44100, 2, 2.0, true},
      {48000, 2, 8, Automatic, 44100, 2, 44100.0 / 48000.0, true},
      {44100, 2, 99, Automatic, 44100, 2, 1.0, false},  // index out of the table: automatic
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << "x" << c.channels << " freq " << c.freq
                                    << " channel " << c.lameChannel);
    CutSettings settings;
    settings.Freq = c.freq;
    settings.LameChannel = c.lameChannel;
    const auto task = BuildTask("/m/", "a.mp3", Source(c.rate, c.channels, 10), settings);
    EXPECT_EQ(task.outRate, c.outRate);
    EXPECT_EQ(task.outChannels, c.outChannels);
    EXPECT_DOUBLE_EQ(task.ratio, c.ratio);
    EXPECT_EQ(task.needsConversion != 0, c.conversion);
    EXPECT_EQ(task.sourceRate, c.rate);
    EXPECT_EQ(task.sourceChannels, c.channels);
  }
}

TEST(BuildTask, TotalIsTruncatedToWholeFrames) {
  // 44100 stereo -> 22050 stereo halves the values: 2003.4 / 2 = 1001.7 -> 1000.
  AudioFileInfo info = Source(44100, 2, 0);
  info.totalSamples = 2003;
  CutSettings settings;
  settings.Freq = 5;
  EXPECT_EQ(BuildTask("/m/", "a.mp3", info, settings).totalOutSamples, 1000u);
}

TEST(BuildTask, SectionTotalFollowsTheSection) {
  CutSettings settings;
  settings.Freq = 5;
  settings.LameChannel = Mono;
  const uint64_t start = 441000, length = 882000;
  const auto task = BuildTask("/m/", "a.mp3", Source(44100, 2, 600), settings, length, start);
  EXPECT_EQ(task.sectionStart, start);
  EXPECT_EQ(task.sectionLength, length);
  EXPECT_EQ(task.totalOutSamples, length / 4);
  EXPECT_EQ(SectionLimit(task, settings).samples, task.totalOutSamples);
  EXPECT_EQ(SectionLimit(task, settings).bytes, kNoLimit);
}

TEST(BuildTask, LongSourcesAndSectionsUseWideCounts) {
  // Ten hours of 48000 Hz stereo hold more sample values than a 32-bit count can.
  CutSettings settings;
  const auto whole = BuildTask("/m/", "a.mp3", Source(48000, 2, 36000), settings);
  EXPECT_EQ(whole.totalOutSamples, 3'456'000'000u);
  const uint64_t section = 7ull * 3600 * 48000 * 2;
  const auto part = BuildTask("/m/", "a.mp3", Source(48000, 2, 36000), settings, section, section);
  EXPECT_EQ(part.sectionStart, section);
  EXPECT_EQ(part.totalOutSamples, section);
  settings.Length = 7 * 3600;
  EXPECT_EQ(SectionLimit(whole, settings).samples, section);
}

TEST(BuildTask, TagsAndRecordFieldsAreCopied) {
  AudioFileInfo info = Source(44100, 2, 1);
  info.tagFlags = TagID3v1 | TagAPE;
  info.artist = "Artist";
  info.albumArtist = "Album Artist";
  info.album = "Album";
  info.track = "3/12";
  info.title = "Title";
  info.genre = "Genre";
  info.date = "2009-05-01";
  info.comment = "Comment";
  const auto task = BuildTask("/m/", "a.mp3", info, CutSettings{});
  EXPECT_EQ(task.fileType, kTypeCodeMp3);
  EXPECT_EQ(task.tagKinds, TagID3v1 | TagAPE);
  EXPECT_EQ(task.tagKindsToWrite, 0);
  EXPECT_EQ(task.tagMode, kTagModeCopy);
  EXPECT_EQ(task.sourcePath, "/m/a.mp3");
  const std::vector<std::string> expected = {"Artist", "Album Artist", "Album",      "3/12",
                                             "Title",  "Genre",        "2009-05-01", "Comment"};
  const std::vector<std::string> got = {task.artist, task.albumArtist, task.album, task.track,
                                        task.title,  task.genre,       task.date,  task.comment};
  EXPECT_EQ(got, expected);
}

TEST(BuildTask, DestinationNextToSourceOrInOutputFolder) {
  struct Case {
    int32_t sameAsSrc;
    std::string desDir, fileName, destPath;
  } cases[] = {
      {1, "/out/", "song.mp3", "/m/song.mp3"},
      {0, "/out/", "song.mp3", "/out/song.mp3"},
      {0, "/out/", "Song.MP3", "/out/Song.mp3"},
      {0, "/out/", "a.b.mp3", "/out/a.b.mp3"},
      {0, "/out/", "noext", "/out/noext.mp3"},
      {0, "", "song.mp3", "song.mp3"},    // an empty output folder is used as it is
  };
  for (const Case& c : cases) {
    CutSettings settings;
    settings.SameAsSrc = c.sameAsSrc;
    settings.DesDir = c.desDir;
    EXPECT_EQ(BuildTask("/m/", c.fileName, Source(44100, 2, 1), settings).destPath, c.destPath)
        << c.fileName;
  }
}

TEST(SectionLimit, EveryMode) {
  CutSettings settings;
  auto task = BuildTask("/m/", "a.mp3", Source(44100, 2, 180), settings);

  settings.Mode = ByLength;
  settings.Length = 60;
  EXPECT_EQ(SectionLimit(task, settings).samples, 5'292'000u);
  EXPECT_EQ(SectionLimit(task, settings).bytes, kNoLimit);

  settings.Length = 0;  // only a hand-edited file holds one: pieces of one second
  EXPECT_EQ(SectionLimit(task, settings).samples, 88'200u);

  settings.Mode = BySize;
  settings.Size = 1.0;
  EXPECT_EQ(SectionLimit(task, settings).samples, kNoLimit);
  EXPECT_EQ(SectionLimit(task, settings).bytes, 1'048'576u);
  settings.Size = 4096;
  EXPECT_EQ(SectionLimit(task, settings).bytes, 4'294'967'296u);
  settings.Size = 0.001;
  EXPECT_EQ(SectionLimit(task, settings).bytes, 1048u);

  settings.Mode = 7;
  EXPECT_EQ(SectionLimit(task, settings).samples, kNoLimit);
  EXPECT_EQ(SectionLimit(task, settings).bytes, kNoLimit);
}

// Splits a total into files by the By Count limit, as the section writer does.
std::vector<uint64_t> CountPieces(uint64_t total, int16_t count, uint32_t channels) {
  CConversionTask task;
  task.totalOutSamples = total;
  task.outChannels = channels;
  CutSettings settings;
  settings.Mode = ByCount;
  settings.Count = count;
  const uint64_t limit = SectionLimit(task, settings).samples;
  std::vector<uint64_t> pieces;
  for (uint64_t left = total; left > 0; left -= std::min(left, limit))
    pieces.push_back(std::min(left, limit));
  return pieces;
}

TEST(SectionLimit, ByCountPieces) {
  EXPECT_EQ(CountPieces(1000, 3, 2), (std::vector<uint64_t>{334, 334, 332}));
  EXPECT_EQ(CountPieces(8, 4, 1), (std::vector<uint64_t>{3, 3, 2}));
  for (int16_t count : {2, 3, 7, 100, 10000}) {
    const uint64_t total = 2ull * 44100 * 3600;
    const auto pieces = CountPieces(total, count, 2);
    EXPECT_EQ(pieces.size(), static_cast<size_t>(count)) << count;
    EXPECT_EQ(std::accumulate(pieces.begin(), pieces.end(), uint64_t{0}), total);
    for (uint64_t p : pieces) EXPECT_EQ(p % 2, 0u);
  }
}

TEST(SectionFileName, TwoSpacesBeforeSection) {
  EXPECT_EQ(SectionFileName("/out/song.mp3", 1), "/out/song  Section 1.mp3");
  EXPECT_EQ(SectionFileName("/out/song (2).mp3", 12), "/out/song (2)  Section 12.mp3");
}

TEST(SectionFileName, NextToTheSourceWithExistingNames) {
  // The runner makes the destination unique first: next to the source, song.mp3 itself exists.
  TempDir dir;
  WriteFile(dir / "song.mp3", "source");
  CutSettings settings;
  settings.SameAsSrc = 1;
  auto task = BuildTask(dir.folder(), "song.mp3", Source(44100, 2, 1), settings);
  task.destPath = MakeUniquePath(task.destPath);
  EXPECT_EQ(task.destPath, dir / "song (2).mp3");
  EXPECT_EQ(SectionFileName(task.destPath, 1), dir / "song (2)  Section 1.mp3");
  WriteFile(dir / "song (2)  Section 1.mp3", "earlier cut");
  EXPECT_EQ(MakeUniquePath(SectionFileName(task.destPath, 1)),
            dir / "song (2)  Section 1 (2).mp3");
  EXPECT_EQ(MakeUniquePath(SectionFileName(task.destPath, 2)), dir / "song (2)  Section 2.mp3");
}

}  // namespace
}  // namespace snipster
