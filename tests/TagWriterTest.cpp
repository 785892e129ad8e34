#include <gtest/gtest.h>
#include <sys/stat.h>
#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/TagWriter.h"
#include "library/AudioFileInfo.h"
#include "tests/support/FixtureMaker.h"
#include "tests/support/RecordingObserver.h"
#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using test::MakeMp3;
using test::Mp3Spec;
using test::RecordingObserver;
using test::TagSpec;

constexpr Mp3Spec kShort{.sampleRate = 22050, .channels = 2, .bitRate = 64, .seconds = 0.3};

// Tags the output files already hold before WriteTags runs, so that stripping shows.
const TagSpec kStaleTags{.kinds = TagID3v1 | TagID3v2 | TagAPE,
                         .artist = "stale",
                         .albumArtist = "stale",
                         .album = "stale",
                         .track = "99",
                         .title = "stale",
                         .genre = "Rock",
                         .date = "1970",
                         .comment = "stale"};

CConversionTask TaskWithTexts(uint8_t tagKinds) {
  CConversionTask task;
  task.tagKinds = tagKinds;
  task.artist = "Artist";
  task.albumArtist = "Album Artist";
  task.album = "Album";
  task.track = "7/12";
  task.title = "Title";
  task.genre = "Jazz";
  task.date = "2009-05-01";
  task.comment = "Comment";
  return task;
}

std::string Utf8(const TagLib::String& text) {
  return text.to8Bit(true);
}

std::string FrameText(const TagLib::ID3v2::Tag& tag, const char* id) {
  const auto& frames = tag.frameListMap();
  return frames.contains(id) ? Utf8(frames[id].front()->toString()) : "<none>";
}

std::string ApeText(const TagLib::APE::Tag& tag, const char* key) {
  const auto& items = tag.itemListMap();
  // TagLib files items under the upper-case key; the item keeps the key as written.
  const TagLib::String upper = TagLib::String(key).upper();
  return items.contains(upper) ? Utf8(items[upper].toString()) : "<none>";
}

uint8_t KindsOnDisk(const std::string& path) {
  TagLib::MPEG::File file(path.c_str(), false);
  return (file.hasID3v1Tag() ? TagID3v1 : 0) | (file.hasID3v2Tag() ? TagID3v2 : 0) |
         (file.hasAPETag() ? TagAPE : 0);
}

class TagWriterTest : public ::testing::Test {
 protected:
  // A finished output file that still carries all three tag kinds.
  std::string MakeOutput(const std::string& name) {
    const std::string path = dir_ / name;
    MakeMp3(path, kShort, kStaleTags);
    EXPECT_EQ(KindsOnDisk(path), TagID3v1 | TagID3v2 | TagAPE);
    return path;
  }

  test::TempDir dir_;
  test::RecordingObserver observer_;
};

TEST_F(TagWriterTest, WritesExactlyTheSourceKindsAndStripsTheRest) {
  struct Case {
    uint8_t tagKinds;
    uint8_t expected;
  };
  const Case cases[] = {
      {TagID3v2, TagID3v2},
      {TagID3v1 | TagAPE, TagID3v1 | TagAPE},
      {0, 0},
      {TagID3v1 | TagID3v2 | TagAPE, TagID3v1 | TagID3v2 | TagAPE},
      {0xF8 | TagID3v2, TagID3v2},  // bits beyond the three kinds are ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int{c.tagKinds});
    const std::string path = MakeOutput("kinds.mp3");
    const uint64_t framesBefore = test::DecodeMp3(path).frames();
    CConversionTask task = TaskWithTexts(c.tagKinds);

    EXPECT_TRUE(WriteTags(task, path, observer_));
    EXPECT_EQ(task.tagKindsToWrite, c.expected);
    EXPECT_EQ(KindsOnDisk(path), c.expected);
    EXPECT_EQ(test::DecodeMp3(path).frames(), framesBefore);  // the audio is untouched
  }
  EXPECT_TRUE(observer_.logs().empty());
  EXPECT_TRUE(observer_.boxes().empty());
}

TEST_F(TagWriterTest, FieldsLandInEveryKind) {
  const std::string path = MakeOutput("fields.mp3");
  CConversionTask task = TaskWithTexts(TagID3v1 | TagID3v2 | TagAPE);
  ASSERT_TRUE(WriteTags(task, path, observer_));

  TagLib::MPEG::File file(path.c_str(), false);
  ASSERT_TRUE(file.hasID3v2Tag() && file.hasAPETag() && file.hasID3v1Tag());
  const TagLib::ID3v2::Tag& v2 = *file.ID3v2Tag();
  const TagLib::APE::Tag& ape = *file.APETag();
  const TagLib::ID3v1::Tag& v1 = *file.ID3v1Tag();
  EXPECT_EQ(v2.header()->majorVersion(), 4u);

  const std::tuple<const char*, const char*, std::string> fields[] = {
      {"TPE1", "ARTIST", "Artist"},
      {"TPE2", "ALBUM ARTIST", "Album Artist"},
      {"TALB", "ALBUM", "Album"},
      {"TRCK", "TRACK", "7/12"},
      {"TIT2", "TITLE", "Title"},
      {"TCON", "GENRE", "Jazz"},
      {"TDRC", "DATE", "2009-05-01"},
      {"TENC", "Encoded By", "Snipster\r\nhttps://snipster.quorbin.com"},
  };
  for (const auto& [frame, key, text] : fields) {
    EXPECT_EQ(FrameText(v2, frame), text) << frame;
    EXPECT_EQ(ApeText(ape, key), text) << key;
  }
  EXPECT_EQ(Utf8(v2.comment()), "Comment");
  EXPECT_EQ(ApeText(ape, "COMMENT"), "Comment");
  // The stale values were replaced, not added to.
  EXPECT_EQ(ape.itemListMap()["ARTIST"].values().size(), 1u);
  EXPECT_EQ(v2.frameListMap()["TPE1"].size(), 1u);

  EXPECT_EQ(Utf8(v1.artist()), "Artist");
  EXPECT_EQ(Utf8(v1.album()), "Album");
  EXPECT_EQ(Utf8(v1.title()), "Title");
  EXPECT_EQ(Utf8(v1.genre()), "Jazz");
  EXPECT_EQ(Utf8(v1.comment()), "Comment");
  EXPECT_EQ(v1.track(), 7u);
  EXPECT_EQ(v1.year(), 2009u);
}

TEST_F(TagWriterTest, TrackAndDateNumbersForID3v1) {
  struct Case {
    std::string track, date;
    unsigned v1Track, v1Year;
  };
  const Case cases[] = {
      {"7/12", "2009-05-01", 7, 2009},
      {"B-side", "circa 1990", 0, 0},
      {"12", "1999", 12, 1999},
      {"", "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.track + " | " + c.date);
    const std::string path = dir_ / "numbers.mp3";
    MakeMp3(path, kShort);
    CConversionTask task = TaskWithTexts(TagID3v1 | TagID3v2 | TagAPE);
    task.track = c.track;
    task.date = c.date;
    ASSERT_TRUE(WriteTags(task, path, observer_));

    TagLib::MPEG::File file(path.c_str(), false);
    EXPECT_EQ(file.ID3v1Tag()->track(), c.v1Track);
    EXPECT_EQ(file.ID3v1Tag()->year(), c.v1Year);
    const std::string written = c.track.empty() ? "<none>" : c.track;
    EXPECT_EQ(FrameText(*file.ID3v2Tag(), "TRCK"), written);
    EXPECT_EQ(ApeText(*file.APETag(), "TRACK"), written);
  }
}

TEST_F(TagWriterTest, EmptyTextsLeaveNoEmptyFramesOrItems) {
  const std::string path = dir_ / "sparse.mp3";
  MakeMp3(path, kShort);
  CConversionTask task;
  task.tagKinds = TagID3v2 | TagAPE;
  task.title = "Only a title";
  ASSERT_TRUE(WriteTags(task, path, observer_));

  TagLib::MPEG::File file(path.c_str(), false);
  std::vector<std::string> frameIds;
  for (const auto* frame : file.ID3v2Tag()->frameList()) {
    frameIds.emplace_back(frame->frameID().data(), frame->frameID().size());
  }
  EXPECT_EQ(frameIds, (std::vector<std::string>{"TIT2", "TENC"}));
  std::vector<std::string> keys;
  for (const auto& item : file.APETag()->itemListMap()) keys.push_back(Utf8(item.second.key()));
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"Encoded By", "TITLE"}));
}

TEST_F(TagWriterTest, ID3v1GetsLatin1AndMarksWhatItCannotHold) {
  const std::string path = dir_ / "latin1.mp3";
  MakeMp3(path, kShort);
  CConversionTask task;
  task.tagKinds = TagID3v1 | TagID3v2;
  task.artist = "Café Ω";
  ASSERT_TRUE(WriteTags(task, path, observer_));

  TagLib::MPEG::File file(path.c_str(), false);
  EXPECT_EQ(Utf8(file.ID3v1Tag()->artist()), "Café ?");
  EXPECT_EQ(FrameText(*file.ID3v2Tag(), "TPE1"), "Café Ω");
  const std::string bytes = test::ReadFile(path);
  // The ID3v1 tag is the last 128 bytes; its artist field starts at byte 33.
  ASSERT_EQ(bytes.substr(bytes.size() - 128, 3), "TAG");
  EXPECT_EQ(bytes.substr(bytes.size() - 128 + 33, 6), "Caf\xE9 ?");
}

TEST_F(TagWriterTest, SaveFailureIsLoggedAndReported) {
  std::vector<std::string> paths;
  const std::string folderInstead = dir_ / "a folder.mp3";
  std::filesystem::create_directory(folderInstead);
  paths.push_back(folderInstead);
  paths.push_back(dir_ / "gone/out.mp3");
  if (::geteuid() != 0) {
    const std::string readOnly = MakeOutput("read-only.mp3");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    paths.push_back(readOnly);
  }
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    RecordingObserver observer;
    CConversionTask task = TaskWithTexts(TagID3v2 | TagAPE);
    EXPECT_FALSE(WriteTags(task, path, observer));
    const auto logs = observer.logs();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].text, "Fail to write tag!" + path);
    EXPECT_EQ(static_cast<int>(logs[0].level), 2);
    EXPECT_TRUE(observer.boxes().empty());
  }
}

TEST_F(TagWriterTest, EveryFileOfATaskGetsTheSameTags) {
  CConversionTask task = TaskWithTexts(TagID3v2);
  for (const char* name : {"part 1.mp3", "part 2.mp3"}) {
    const std::string path = MakeOutput(name);
    ASSERT_TRUE(WriteTags(task, path, observer_));
    TagLib::MPEG::File file(path.c_str(), false);
    EXPECT_EQ(FrameText(*file.ID3v2Tag(), "TRCK"), "7/12") << name;
    EXPECT_EQ(FrameText(*file.ID3v2Tag(), "TIT2"), "Title") << name;
  }
}

TEST(LeadingNumber, ReadsLeadingDigitsOnly) {
  EXPECT_EQ(LeadingNumber("2009-05-01"), 2009u);
  EXPECT_EQ(LeadingNumber("07"), 7u);
  EXPECT_EQ(LeadingNumber(" 7"), 0u);
  EXPECT_EQ(LeadingNumber(""), 0u);
  EXPECT_EQ(LeadingNumber("99999999999999999999"), 4294967295u);
}

}  // namespace
}  // namespace snipster
