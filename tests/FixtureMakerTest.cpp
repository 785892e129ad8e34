// The fixture maker is the ground truth of many tests: its files must have exactly the length,
// format and tags asked for, checked here with the decoder and TagLib directly.

#include <gtest/gtest.h>
#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "library/AudioFileInfo.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/TempDir.h"

namespace snipster::test {
namespace {

TEST(FixtureMakerTest, SignalIsDeterministicMusicAtHalfScale) {
  for (uint32_t rate : {8000u, 44100u}) {
    float peak = 0.0f;
    int differing = 0;
    for (uint64_t f = 0; f < 8ull * rate; ++f) {
      const float left = SignalValue(f, 0, rate);
      peak = std::max(peak, std::fabs(left));
      if (std::fabs(left - SignalValue(f, 1, rate)) > 100.0f) ++differing;
    }
    EXPECT_GT(peak, 0.4f * 32768) << rate;
    EXPECT_LE(peak, 0.5f * 32768) << rate;
    EXPECT_GT(differing, 4 * static_cast<int>(rate)) << "the channels carry different tones";
  }
  // Far into a long signal the value is still computed exactly, not drifted.
  EXPECT_EQ(SignalValue(26'460'000 + 123, 1, 44100), SignalValue(26'460'000 + 123, 1, 44100));
}

struct FormatCase {
  uint32_t rate;
  uint32_t channels;
  uint32_t kbps;
};

class FixtureFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FixtureFormatTest, DecodesToExactlyTheRequestedAudio) {
  const FormatCase c = GetParam();
  TempDir dir;
  const Mp3Spec spec{
      .sampleRate = c.rate, .channels = c.channels, .bitRate = c.kbps, .seconds = 1.3};
  MakeMp3(dir / "a.mp3", spec);
  const DecodedAudio audio = DecodeMp3(dir / "a.mp3");
  EXPECT_EQ(audio.sampleRate, c.rate);
  EXPECT_EQ(audio.channels, c.channels);
  ASSERT_EQ(audio.frames(), static_cast<uint64_t>(std::llround(1.3 * c.rate)));
  // The decoded audio follows the signal, so other tests may compare against SignalValue.
  for (uint32_t ch = 0; ch < c.channels; ++ch) {
    double xy = 0, xx = 0, yy = 0;
    for (uint64_t f = 0; f < audio.frames(); ++f) {
      const double x = SignalValue(f, ch, c.rate), y = audio.samples[f * c.channels + ch];
      xy += x * y;
      xx += x * x;
      yy += y * y;
    }
    EXPECT_GT(xy / std::sqrt(xx * yy), 0.9) << "channel " << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, FixtureFormatTest,
                         ::testing::Values(FormatCase{8000, 1, 24}, FormatCase{8000, 2, 24},
                                           FormatCase{22050, 1, 56}, FormatCase{22050, 2, 64},
                                           FormatCase{44100, 1, 96}, FormatCase{44100, 2, 128},
                                           FormatCase{48000, 1, 320}, FormatCase{48000, 2, 192}),
                         [](const auto& info) {
                           return std::to_string(info.param.rate) + "Hz_" +
                                  std::to_string(info.param.channels) + "ch_" +
                                  std::to_string(info.param.kbps) + "kbps";
                         });

TEST(FixtureMakerTest, LongFixtureKeepsItsExactLength) {
  TempDir dir;
  MakeMp3(dir / "long.mp3", {.sampleRate = 44100, .channels = 2, .bitRate = 128, .seconds = 180});
  EXPECT_EQ(DecodeMp3(dir / "long.mp3").frames(), 7'938'000u);
}

TEST(FixtureMakerTest, WithoutInfoHeaderTheDecoderReturnsEncoderDelayToo) {
  TempDir dir;
  MakeMp3(dir / "raw.mp3", {.sampleRate = 44100, .channels = 1, .seconds = 1, .infoHeader = false});
  EXPECT_GT(DecodeMp3(dir / "raw.mp3").frames(), 44100u);
}

TEST(FixtureMakerTest, RefusesWhatItCannotMake) {
  TempDir dir;
  // MPEG-2 rates stop at 160 kbit/s; lame would quietly pick another rate.
  EXPECT_THROW(MakeMp3(dir / "a.mp3", {.sampleRate = 22050, .bitRate = 320}), std::runtime_error);
  // At low bit rates a frame is too small for the Info header, so the length cannot be exact.
  EXPECT_THROW(MakeMp3(dir / "low.mp3", {.sampleRate = 22050, .channels = 1, .bitRate = 48}),
               std::runtime_error);
  MakeMp3(dir / "low.mp3",
          {.sampleRate = 22050, .channels = 1, .bitRate = 48, .infoHeader = false});
  EXPECT_GT(DecodeMp3(dir / "low.mp3").frames(), 22050u);
  EXPECT_THROW(MakeMp3(dir / "b.mp3", {.sampleRate = 96000}), std::runtime_error);
  EXPECT_THROW(MakeMp3(dir / "c.mp3", {.channels = 3}), std::runtime_error);
  EXPECT_THROW(DecodeMp3(dir / "missing.mp3"), std::runtime_error);
}

struct TagCase {
  uint8_t kinds;
  int id3v2Version;
};

class FixtureTagTest : public ::testing::TestWithParam<TagCase> {};

std::string FrameText(TagLib::ID3v2::Tag* tag, const char* id) {
  const auto& frames = tag->frameListMap()[id];
  return frames.isEmpty() ? std::string("<none>") : frames.front()->toString().to8Bit(true);
}

std::string ApeText(TagLib::APE::Tag* tag, const char* key) {
  const auto& items = tag->itemListMap();
  return items.contains(key) ? items[key].toString().to8Bit(true) : std::string("<none>");
}

TEST_P(FixtureTagTest, WritesOnlyTheChosenKindsWithEveryField) {
  const TagCase c = GetParam();
  TagSpec tags{.kinds = c.kinds, .id3v2Version = c.id3v2Version};
  tags.artist = "Ärtist";
  tags.albumArtist = "Album Artist";
  tags.album = "Album";
  tags.track = "7/12";
  tags.title = "Title";
  tags.genre = "Rock";
  tags.date = "2009";
  tags.comment = "Comment";
  TempDir dir;
  const std::string path = dir / "t.mp3";
  MakeMp3(path, {.sampleRate = 22050, .channels = 1, .bitRate = 64, .seconds = 0.5}, tags);

  {
    TagLib::MPEG::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    ASSERT_EQ(file.hasID3v2Tag(), (c.kinds & TagID3v2) != 0);
    ASSERT_EQ(file.hasAPETag(), (c.kinds & TagAPE) != 0);
    ASSERT_EQ(file.hasID3v1Tag(), (c.kinds & TagID3v1) != 0);
    if (file.hasID3v2Tag()) {
      TagLib::ID3v2::Tag* v2 = file.ID3v2Tag();
      EXPECT_EQ(v2->header()->majorVersion(), static_cast<unsigned>(c.id3v2Version));
      EXPECT_EQ(FrameText(v2, "TPE1"), "Ärtist");
      EXPECT_EQ(FrameText(v2, "TPE2"), "Album Artist");
      EXPECT_EQ(FrameText(v2, "TALB"), "Album");
      EXPECT_EQ(FrameText(v2, "TRCK"), "7/12");
      EXPECT_EQ(FrameText(v2, "TIT2"), "Title");
      EXPECT_EQ(FrameText(v2, "TCON"), "Rock");
      EXPECT_EQ(FrameText(v2, "TDRC"), "2009");
      EXPECT_EQ(v2->comment().to8Bit(true), "Comment");
    }
    if (file.hasAPETag()) {
      TagLib::APE::Tag* ape = file.APETag();
      EXPECT_EQ(ApeText(ape, "ARTIST"), "Ärtist");
      EXPECT_EQ(ApeText(ape, "ALBUM ARTIST"), "Album Artist");
      EXPECT_EQ(ApeText(ape, "ALBUM"), "Album");
      EXPECT_EQ(ApeText(ape, "TRACK"), "7/12");
      EXPECT_EQ(ApeText(ape, "TITLE"), "Title");
      EXPECT_EQ(ApeText(ape, "GENRE"), "Rock");
      EXPECT_EQ(ApeText(ape, "DATE"), "2009");
      EXPECT_EQ(ApeText(ape, "COMMENT"), "Comment");
    }
    if (file.hasID3v1Tag()) {
      TagLib::ID3v1::Tag* v1 = file.ID3v1Tag();
      EXPECT_EQ(v1->artist().to8Bit(true), "Ärtist");
      EXPECT_EQ(v1->album().to8Bit(true), "Album");
      EXPECT_EQ(v1->title().to8Bit(true), "Title");
      EXPECT_EQ(v1->genre().to8Bit(true), "Rock");
      EXPECT_EQ(v1->comment().to8Bit(true), "Comment");
      EXPECT_EQ(v1->track(), 7u);
      EXPECT_EQ(v1->year(), 2009u);
    }
  }
  // Tags around the audio leave its gapless length alone.
  EXPECT_EQ(DecodeMp3(path).frames(), 11025u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FixtureTagTest,
                         ::testing::Values(TagCase{TagID3v2, 3}, TagCase{TagID3v2, 4},
                                           TagCase{TagAPE, 4}, TagCase{TagID3v1, 4},
                                           TagCase{TagID3v1 | TagAPE, 4},
                                           TagCase{TagID3v1 | TagID3v2 | TagAPE, 3}),
                         [](const auto& info) {
                           return "kinds" + std::to_string(info.param.kinds) + "_v2" +
                                  std::to_string(info.param.id3v2Version);
                         });

TEST(FixtureMakerTest, DateAndTrackBecomeNumbersInId3v1) {
  TempDir dir;
  const std::string path = dir / "v1.mp3";
  TagSpec tags{.kinds = TagID3v1};
  tags.date = "2009-05-01";
  tags.track = "Side A";
  MakeMp3(path, {.channels = 1, .seconds = 0.2}, tags);
  TagLib::MPEG::File file(path.c_str(), false);
  ASSERT_TRUE(file.hasID3v1Tag());
  EXPECT_EQ(file.ID3v1Tag()->year(), 2009u);
  EXPECT_EQ(file.ID3v1Tag()->track(), 0u);
}

}  // namespace
}  // namespace snipster::test
