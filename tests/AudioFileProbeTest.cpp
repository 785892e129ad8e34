#include <fcntl.h>
#include <gtest/gtest.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <unistd.h>

#include <cmath>
#include <ctime>
#include <functional>
#include <utility>
#include <vector>

#include "app/AppGlobals.h"
#include "library/AudioFileProbe.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using test::MakeMp3;
using test::Mp3Spec;
using test::TagSpec;

// A short, small file: tags and format are what these tests look at.
constexpr Mp3Spec kShort{.sampleRate = 22050, .channels = 2, .bitRate = 64, .seconds = 0.3};

using Texts = std::vector<std::pair<std::string AudioFileInfo::*, std::string>>;
constexpr std::string AudioFileInfo::*kTextFields[] = {
    &AudioFileInfo::artist, &AudioFileInfo::albumArtist, &AudioFileInfo::album,
    &AudioFileInfo::track,  &AudioFileInfo::title,       &AudioFileInfo::genre,
    &AudioFileInfo::date,   &AudioFileInfo::comment};

TagSpec Tags(uint8_t kinds,
             std::initializer_list<std::pair<std::string TagSpec::*, std::string>> texts,
             int id3v2Version = 4) {
  TagSpec spec;
  spec.kinds = kinds;
  spec.id3v2Version = id3v2Version;
  for (const auto& [field, text] : texts) spec.*field = text;
  return spec;
}

TagLib::String Utf8(const char* text) {
  return TagLib::String(text, TagLib::String::UTF8);
}

// Changes a fixture's tags with TagLib, for layouts MakeMp3 does not write itself.
void EditTags(const std::string& path, const std::function<void(TagLib::MPEG::File&)>& edit,
              int kinds) {
  TagLib::MPEG::File file(path.c_str(), false);
  ASSERT_TRUE(file.isValid()) << path;
  edit(file);
  ASSERT_TRUE(
      file.save(kinds, TagLib::File::StripOthers, TagLib::ID3v2::v4, TagLib::File::DoNotDuplicate));
}

void AddTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const TagLib::String& text,
                  TagLib::String::Type encoding = TagLib::String::UTF8) {
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, encoding);
  frame->setText(text);
  tag.addFrame(frame);
}

class AudioFileProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(OpenDecoderLibrary(globals_), "");
    table_ = MakeExtensionTypeTable();
  }
  void TearDown() override { CloseDecoderLibrary(globals_); }

  FileRowFacts Read(const std::string& path) {
    return ReadFileRowFacts(globals_.probeHandle, path, table_);
  }

  AppGlobals globals_;
  ExtensionTypeTable table_;
  test::TempDir dir_;
};

TEST_F(AudioFileProbeTest, EarlierTagKindWinsEachNonEmptyField) {
  struct Case {
    const char* name;
    std::function<void(TagLib::MPEG::File&)> edit;
    int kinds;
    Texts expected;  // the texts not named here stay empty
  };
  const Case cases[] = {
      {"id3v2 over id3v1",
       [](TagLib::MPEG::File& f) {
         AddTextFrame(*f.ID3v2Tag(true), "TPE1", "A");
         f.ID3v1Tag(true)->setArtist("B");
       },
       TagLib::MPEG::File::ID3v2 | TagLib::MPEG::File::ID3v1,
       {{&AudioFileInfo::artist, "A"}}},
      {"empty id3v2 frame falls through",
       [](TagLib::MPEG::File& f) {
         AddTextFrame(*f.ID3v2Tag(true), "TPE1", "");
         AddTextFrame(*f.ID3v2Tag(true), "TIT2", "T2");
         f.ID3v1Tag(true)->setArtist("B");
       },
       TagLib::MPEG::File::ID3v2 | TagLib::MPEG::File::ID3v1,
       {{&AudioFileInfo::artist, "B"}, {&AudioFileInfo::title, "T2"}}},
      {"ape alternative keys",
       [](TagLib::MPEG::File& f) {
         f.APETag(true)->addValue("ALBUMARTIST", "Band");
         f.APETag(true)->addValue("YEAR", "1999");
       },
       TagLib::MPEG::File::APE,
       {{&AudioFileInfo::albumArtist, "Band"}, {&AudioFileInfo::date, "1999"}}},
      {"ape first keys before alternatives",
       [](TagLib::MPEG::File& f) {
         f.APETag(true)->addValue("ALBUM ARTIST", "First");
         f.APETag(true)->addValue("ALBUMARTIST", "Second");
         f.APETag(true)->addValue("DATE", "2001");
         f.APETag(true)->addValue("YEAR", "1999");
       },
       TagLib::MPEG::File::APE,
       {{&AudioFileInfo::albumArtist, "First"}, {&AudioFileInfo::date, "2001"}}},
      {"each kind fills what the earlier left empty",
       [](TagLib::MPEG::File& f) {
         AddTextFrame(*f.ID3v2Tag(true), "TIT2", "v2 title");
         f.APETag(true)->addValue("TITLE", "ape title");
         f.APETag(true)->addValue("ALBUM", "ape album");
         f.APETag(true)->addValue("GENRE", "Jazz");
         f.ID3v1Tag(true)->setTitle("v1 title");
         f.ID3v1Tag(true)->setAlbum("v1 album");
         f.ID3v1Tag(true)->setArtist("v1 artist");
         f.ID3v1Tag(true)->setComment("v1 comment");
         f.ID3v1Tag(true)->setYear(1987);
       },
       TagLib::MPEG::File::AllTags,
       {{&AudioFileInfo::artist, "v1 artist"},
        {&AudioFileInfo::album, "ape album"},
        {&AudioFileInfo::title, "v2 title"},
        {&AudioFileInfo::genre, "Jazz"},
        {&AudioFileInfo::date, "1987"},
        {&AudioFileInfo::comment, "v1 comment"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_ / "precedence.mp3";
    MakeMp3(path, kShort);
    EditTags(path, c.edit, c.kinds);
    const FileRowFacts facts = Read(path);
    EXPECT_EQ(facts.info.invalid, 0);
    AudioFileInfo expected;
    for (const auto& [field, text] : c.expected) expected.*field = text;
    for (auto field : kTextFields) EXPECT_EQ(facts.info.*field, expected.*field);
  }
}

TEST_F(AudioFileProbeTest, EmptyFrameFixtureReallyHoldsAnEmptyFrame) {
  // Guards the fall-through case above: TagLib must keep the empty frame on disk.
  const std::string path = dir_ / "empty-frame.mp3";
  MakeMp3(path, kShort);
  EditTags(
      path,
      [](TagLib::MPEG::File& f) {
        AddTextFrame(*f.ID3v2Tag(true), "TPE1", "");
        AddTextFrame(*f.ID3v2Tag(true), "TIT2", "T2");
      },
      TagLib::MPEG::File::ID3v2);
  TagLib::MPEG::File file(path.c_str(), false);
  const auto& frames = file.ID3v2Tag()->frameListMap();
  ASSERT_EQ(frames.contains("TPE1"), true);
  EXPECT_TRUE(frames["TPE1"].front()->toString().isEmpty());
}

TEST_F(AudioFileProbeTest, TrackTextGivesNumberAndTotal) {
  struct Case {
    uint8_t kinds;
    std::string track;
    std::string expectedText;
    uint8_t number, total;
  };
  const Case cases[] = {
      {TagID3v2, "3/12", "3/12", 3, 12}, {TagID3v2, "7", "7", 7, 0},
      {TagID3v2, "300", "300", 44, 0},   {TagID3v2, "2/260", "2/260", 2, 4},
      {TagID3v2, "/5", "/5", 0, 5},      {TagID3v2, "side A", "side A", 0, 0},
      {TagAPE, "3/12", "3/12", 3, 12},   {TagID3v1, "9", "9", 9, 0},
      {TagID3v1, "0", "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kinds) + " " + c.track);
    const std::string path = dir_ / "track.mp3";
    MakeMp3(path, kShort, Tags(c.kinds, {{&TagSpec::track, c.track}, {&TagSpec::title, "t"}}));
    const FileRowFacts facts = Read(path);
    EXPECT_EQ(facts.info.track, c.expectedText);
    EXPECT_EQ(facts.info.trackNumber, c.number);
    EXPECT_EQ(facts.info.trackTotal, c.total);
  }
}

TEST_F(AudioFileProbeTest, TagCellListsTheKindsFound) {
  struct Case {
    uint8_t kinds;
    int version;
    const char* cell;
  };
  const Case cases[] = {
      {TagID3v1 | TagID3v2 | TagAPE, 4, "ID3v2.4  APEv2  ID3v1"},
      {TagID3v2, 3, "ID3v2.3  "},
      {TagAPE, 4, "APEv2  "},
      {TagID3v1, 4, "ID3v1"},
      {0, 4, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    const std::string path = dir_ / "kinds.mp3";
    MakeMp3(path, kShort, Tags(c.kinds, {{&TagSpec::artist, "x"}}, c.version));
    const FileRowFacts facts = Read(path);
    EXPECT_EQ(facts.tag, c.cell);
    EXPECT_EQ(facts.info.tagFlags, c.kinds);
  }
}

TEST_F(AudioFileProbeTest, EmptyID3TagsAreNotListedButAnEmptyApeTagIs) {
  const std::string path = dir_ / "empty-tags.mp3";
  MakeMp3(path, kShort);
  // An APE tag without items, then an ID3v1 tag of empty fields (genre 255 is "no genre").
  std::string bytes = test::ReadFile(path);
  bytes += "APETAGEX";
  const unsigned char footer[24] = {0xD0, 0x07, 0, 0, 32, 0, 0, 0, 0, 0, 0, 0,
                                    0,    0,    0, 0, 0,  0, 0, 0, 0, 0, 0, 0};
  bytes.append(reinterpret_cast<const char*>(footer), sizeof(footer));
  bytes += std::string("TAG") + std::string(124, '\0') + '\xFF';
  test::WriteFile(path, bytes);

  const FileRowFacts facts = Read(path);
  EXPECT_EQ(facts.tag, "APEv2  ");
  EXPECT_EQ(facts.info.tagFlags, TagAPE);
}

TEST_F(AudioFileProbeTest, FormatCells) {
  struct Case {
    Mp3Spec spec;
    const char* duration;
    const char* frequency;
    const char* channel;
  };
  const Case cases[] = {
      {{.sampleRate = 8000, .channels = 1, .bitRate = 24, .seconds = 59.9},
       "00:00:59",
       "8000 Hz",
       "1 (Mono)"},
      {{.sampleRate = 44100, .channels = 2, .bitRate = 128, .seconds = 0.4},
       "",
       "44100 Hz",
       "2 (Stereo)"},
      {{.sampleRate = 22050, .channels = 2, .bitRate = 64, .seconds = 61.25},
       "00:01:01",
       "22050 Hz",
       "2 (Stereo)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frequency);
    const std::string path = dir_ / "format.mp3";
    MakeMp3(path, c.spec);
    const FileRowFacts facts = Read(path);
    EXPECT_EQ(facts.info.invalid, 0);
    EXPECT_EQ(facts.errorText, "");
    EXPECT_EQ(facts.duration, c.duration);
    EXPECT_EQ(facts.frequency, c.frequency);
    EXPECT_EQ(facts.channel, c.channel);
    EXPECT_EQ(facts.info.sampleRate, c.spec.sampleRate);
    EXPECT_EQ(facts.info.channels, c.spec.channels);
    // The Info header makes the decoder report the exact length.
    EXPECT_EQ(facts.info.totalSamples,
              std::llround(c.spec.seconds * c.spec.sampleRate) * c.spec.channels);
    EXPECT_DOUBLE_EQ(facts.info.duration,
                     std::llround(c.spec.seconds * c.spec.sampleRate) / double(c.spec.sampleRate));
    // TagLib reckons the rate from the Info header's byte count, so short files are a bit off.
    EXPECT_NEAR(facts.info.bitRate, c.spec.bitRate, c.spec.bitRate / 10.0);
    EXPECT_EQ(facts.bitrate, std::to_string(facts.info.bitRate) + " kbps");
  }
}

TEST(DurationText, WholeSecondsWithUnwrappedHours) {
  EXPECT_EQ(DurationText(0.0), "");
  EXPECT_EQ(DurationText(0.999), "");
  EXPECT_EQ(DurationText(1.0), "00:00:01");
  EXPECT_EQ(DurationText(3599.99), "00:59:59");
  EXPECT_EQ(DurationText(25 * 3600 + 61.5), "25:01:01");
  EXPECT_EQ(DurationText(150 * 3600.0), "150:00:00");
}

TEST(ChannelText, NamesMonoAndStereo) {
  EXPECT_EQ(ChannelText(1), "1 (Mono)");
  EXPECT_EQ(ChannelText(2), "2 (Stereo)");
  EXPECT_EQ(ChannelText(6), "6");
}

TEST_F(AudioFileProbeTest, FileSystemCells) {
  const std::string path = dir_ / "Song.Mp3";
  MakeMp3(path, {.sampleRate = 44100, .channels = 2, .bitRate = 128, .seconds = 3.0});
  std::tm when{};
  when.tm_year = 2012 - 1900;
  when.tm_mon = 0;
  when.tm_mday = 31;
  when.tm_hour = 17;
  when.tm_min = 48;
  when.tm_sec = 14;
  when.tm_isdst = -1;
  const timespec times[2] = {{std::mktime(&when), 0}, {std::mktime(&when), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  struct stat status {};
  ASSERT_EQ(::stat(path.c_str(), &status), 0);

  const FileRowFacts facts = Read(path);
  EXPECT_EQ(facts.name, "Song.Mp3");
  EXPECT_EQ(facts.folder, dir_.folder());
  EXPECT_EQ(facts.type, "MP3");
  EXPECT_EQ(facts.info.typeCode, kTypeCodeMp3);
  EXPECT_EQ(facts.lastModified, "2012/01/31 17:48:14");
  EXPECT_DOUBLE_EQ(facts.info.sizeMB, status.st_size / 1048576.0);
  char size[32];
  std::snprintf(size, sizeof(size), "%.2f", status.st_size / 1048576.0);
  EXPECT_EQ(facts.sizeMB, size);
  EXPECT_NEAR(facts.info.bitRate, 128, 2);
  EXPECT_EQ(facts.bitrate, std::to_string(facts.info.bitRate) + " kbps");
}

TEST_F(AudioFileProbeTest, NameWithoutDotShowsWholeNameAsType) {
  const std::string path = dir_ / "track01";
  MakeMp3(path, kShort);
  const FileRowFacts facts = Read(path);
  EXPECT_EQ(facts.info.invalid, 0);
  EXPECT_EQ(facts.type, "TRACK01");
  EXPECT_EQ(facts.info.typeCode, 0);
  EXPECT_EQ(facts.channel, "2 (Stereo)");
}

TEST_F(AudioFileProbeTest, UnreadableFileIsInvalidWithoutDecoderMessage) {
  std::vector<std::string> paths = {dir_ / "missing.mp3", dir_ / "folder.mp3", dir_ / "pipe.mp3"};
  ASSERT_EQ(::mkdir(paths[1].c_str(), 0755), 0);
  ASSERT_EQ(::mkfifo(paths[2].c_str(), 0644), 0);  // opening it for reading would wait forever
  const std::string locked = dir_ / "locked.mp3";
  MakeMp3(locked, kShort, Tags(TagID3v2, {{&TagSpec::artist, "hidden"}}));
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  if (::geteuid() != 0) paths.push_back(locked);  // root reads it all the same

  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const FileRowFacts facts = Read(path);
    EXPECT_EQ(facts.info.invalid, 1);
    EXPECT_EQ(facts.type, "Unknown");
    EXPECT_EQ(facts.errorText, "");
    EXPECT_EQ(facts.tag, "");
    EXPECT_EQ(facts.info.artist, "");
    EXPECT_EQ(facts.duration, "");
    EXPECT_EQ(facts.frequency, "");
    EXPECT_EQ(facts.channel, "");
  }
}

TEST_F(AudioFileProbeTest, UndecodableFileGivesDecoderMessageButKeepsTags) {
  const std::string path = dir_ / "notes.mp3";
  // Plain text never holds a frame sync; an ID3v1 tag is appended by hand.
  std::string bytes;
  for (int i = 0; i < 200; ++i) bytes += "this is not audio at all. ";
  std::string id3v1 = "TAG" + std::string(124, '\0') + '\xFF';
  id3v1.replace(3, 5, "Notes");
  test::WriteFile(path, bytes + id3v1);

  const FileRowFacts facts = Read(path);
  EXPECT_EQ(facts.info.invalid, 1);
  EXPECT_EQ(facts.type, "Unknown");
  const std::string prefix = "Trouble with mpg123: ";
  ASSERT_GT(facts.errorText.size(), prefix.size()) << facts.errorText;
  EXPECT_EQ(facts.errorText.substr(0, prefix.size()), prefix);
  EXPECT_EQ(facts.tag, "ID3v1");
  EXPECT_EQ(facts.info.title, "Notes");
  EXPECT_EQ(facts.duration, "");
  EXPECT_EQ(facts.info.duration, 0.0);
}

TEST_F(AudioFileProbeTest, MissingDecoderHandleIsReportedAndTagsStillRead) {
  const std::string path = dir_ / "nohandle.mp3";
  MakeMp3(path, kShort, Tags(TagID3v2, {{&TagSpec::artist, "Someone"}}));
  AudioFileInfo info;
  const ProbeResult result = ProbeAudioFile(nullptr, path, info);
  EXPECT_EQ(result.decoderError,
            std::string("Trouble with mpg123: ") + mpg123_plain_strerror(MPG123_OK));
  EXPECT_EQ(info.invalid, 1);
  EXPECT_EQ(info.artist, "Someone");
  EXPECT_EQ(result.tagCell, "ID3v2.4  ");
}

TEST_F(AudioFileProbeTest, TagTextsComeOutAsUtf8) {
  struct Case {
    const char* name;
    std::function<void(TagLib::MPEG::File&)> edit;
    int kinds;
    const char* rawLatin1;  // bytes the file must hold, so the Latin-1 path is really taken
    std::string expectedArtist;
  };
  const Case cases[] = {
      {"id3v1 latin-1", [](TagLib::MPEG::File& f) { f.ID3v1Tag(true)->setArtist(Utf8("Café")); },
       TagLib::MPEG::File::ID3v1, "Caf\xE9", "Café"},
      {"id3v2 latin-1 frame",
       [](TagLib::MPEG::File& f) {
         AddTextFrame(*f.ID3v2Tag(true), "TPE1", Utf8("Café"), TagLib::String::Latin1);
       },
       TagLib::MPEG::File::ID3v2, "Caf\xE9", "Café"},
      {"id3v2 beyond latin-1",
       [](TagLib::MPEG::File& f) { AddTextFrame(*f.ID3v2Tag(true), "TPE1", Utf8("Ωmega 東")); },
       TagLib::MPEG::File::ID3v2, nullptr, "Ωmega 東"},
      {"ape", [](TagLib::MPEG::File& f) { f.APETag(true)->addValue("ARTIST", Utf8("Zoë")); },
       TagLib::MPEG::File::APE, nullptr, "Zoë"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_ / "text.mp3";
    MakeMp3(path, kShort);
    EditTags(path, c.edit, c.kinds);
    if (c.rawLatin1) {
      ASSERT_NE(test::ReadFile(path).find(c.rawLatin1), std::string::npos);
    }
    EXPECT_EQ(Read(path).info.artist, c.expectedArtist);
  }
}

}  // namespace
}  // namespace snipster
