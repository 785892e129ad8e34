#include "library/AudioFileInfo.h"

#include <gtest/gtest.h>

namespace snipster {
namespace {

TEST(AudioFileInfo, FreshRecordIsZeroAndEmpty) {
  const AudioFileInfo info;
  EXPECT_EQ(info.invalid, 0);
  EXPECT_EQ(info.typeCode, 0);
  EXPECT_EQ(info.tagFlags, 0);
  EXPECT_EQ(info.trackNumber, 0);
  EXPECT_EQ(info.trackTotal, 0);
  EXPECT_EQ(info.sampleRate, 0u);
  EXPECT_EQ(info.channels, 0u);
  EXPECT_EQ(info.totalSamples, 0);
  EXPECT_EQ(info.bitRate, 0);
  EXPECT_EQ(info.sizeMB, 0.0);
  EXPECT_EQ(info.duration, 0.0);
  for (const std::string* text : {&info.artist, &info.albumArtist, &info.album, &info.track,
                                  &info.title, &info.genre, &info.date, &info.comment}) {
    EXPECT_TRUE(text->empty());
  }
}

TEST(AudioFileInfo, TypeCodeByExtensionInAnyCase) {
  const ExtensionTypeTable table = MakeExtensionTypeTable();
  ASSERT_EQ(table.size(), 1u);
  struct Case {
    const char* name;
    const char* extension;
    uint8_t typeCode;
  } cases[] = {
      {"song.mp3", "MP3", 2},     {"song.MP3", "MP3", 2},  {"a.b.Mp3", "MP3", 2},
      {"song.wav", "WAV", 0},     {"README", "README", 0}, {"archive.tar.mP3", "MP3", 2},
      {".hidden.mp3", "MP3", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UpperCaseExtension(c.name), c.extension);
    EXPECT_EQ(LookUpTypeCode(table, c.name), c.typeCode);
  }
}

}  // namespace
}  // namespace snipster
