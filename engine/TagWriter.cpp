#include "engine/TagWriter.h"

#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tstring.h>

#include <climits>

#include "library/AudioFileInfo.h"

namespace snipster {

// The task's tag kinds are handed to TagLib's save as they are.
static_assert(int{TagID3v1} == int{TagLib::MPEG::File::ID3v1} &&
              int{TagID3v2} == int{TagLib::MPEG::File::ID3v2} &&
              int{TagAPE} == int{TagLib::MPEG::File::APE});

namespace {

TagLib::String Utf8(const std::string& text) {
  return TagLib::String(text, TagLib::String::UTF8);
}

// ID3v1 holds Latin-1 only; a character outside it becomes '?' rather than a wrong byte.
TagLib::String Latin1(const std::string& text) {
  const TagLib::String decoded = Utf8(text);
  std::string bytes;
  bytes.reserve(decoded.size());
  for (wchar_t c : decoded) bytes += static_cast<unsigned>(c) < 256 ? static_cast<char>(c) : '?';
  return TagLib::String(bytes, TagLib::String::Latin1);
}

// An empty text leaves no frame behind: an empty frame is not a tag value.
void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
  tag.removeFrames(id);
  if (text.empty()) return;
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(
      id, TagLib::ID3v2::FrameFactory::instance()->defaultTextEncoding());
  frame->setText(Utf8(text));
  tag.addFrame(frame);
}

void SetApeValue(TagLib::APE::Tag& tag, const char* key, const std::string& text) {
  if (text.empty()) {
    tag.removeItem(key);
    return;
  }
  tag.addValue(key, Utf8(text), true);
}

void FillID3v1(TagLib::ID3v1::Tag& tag, const CConversionTask& task) {
  tag.setArtist(Latin1(task.artist));
  tag.setAlbum(Latin1(task.album));
  tag.setTitle(Latin1(task.title));
  tag.setGenre(Latin1(task.genre));
  tag.setComment(Latin1(task.comment));
  if (!task.track.empty()) tag.setTrack(LeadingNumber(task.track.substr(0, task.track.find('/'))));
  if (!task.date.empty()) tag.setYear(LeadingNumber(task.date));
}

void FillID3v2(TagLib::ID3v2::Tag& tag, const CConversionTask& task) {
  SetTextFrame(tag, "TPE1", task.artist);
  SetTextFrame(tag, "TPE2", task.albumArtist);
  SetTextFrame(tag, "TALB", task.album);
  SetTextFrame(tag, "TRCK", task.track);
  SetTextFrame(tag, "TIT2", task.title);
  SetTextFrame(tag, "TCON", task.genre);
  SetTextFrame(tag, "TDRC", task.date);
  tag.setComment(Utf8(task.comment));  // an empty text removes the comment frames
  SetTextFrame(tag, "TENC", kEncoderText);
}

void FillApe(TagLib::APE::Tag& tag, const CConversionTask& task) {
  SetApeValue(tag, "ARTIST", task.artist);
  SetApeValue(tag, "ALBUM ARTIST", task.albumArtist);
  SetApeValue(tag, "ALBUM", task.album);
  SetApeValue(tag, "TRACK", task.track);
  SetApeValue(tag, "TITLE", task.title);
  SetApeValue(tag, "GENRE", task.genre);
  SetApeValue(tag, "DATE", task.date);
  SetApeValue(tag, "COMMENT", task.comment);
  SetApeValue(tag, "Encoded By", kEncoderText);
}

}  // namespace

unsigned LeadingNumber(const std::string& text) {
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (UINT_MAX - digit) / 10) return UINT_MAX;  // saturate instead of wrapping
    value = value * 10 + digit;
  }
  return value;
}

bool WriteTags(CConversionTask& task, const std::string& path, JobObserver& observer) {
  task.tagKindsToWrite = task.tagKinds & (TagID3v1 | TagID3v2 | TagAPE);
  TagLib::MPEG::File file(path.c_str(), false);
  int written = TagLib::MPEG::File::NoTags;
  if (file.isOpen()) {
    if (task.tagKindsToWrite & TagID3v1) {
      FillID3v1(*file.ID3v1Tag(true), task);
      written |= TagID3v1;
    }
    if (task.tagKindsToWrite & TagID3v2) {
      FillID3v2(*file.ID3v2Tag(true), task);
      written |= TagID3v2;
    }
    if (task.tagKindsToWrite & TagAPE) {
      FillApe(*file.APETag(true), task);
      written |= TagAPE;
    }
  }
  if (!file.isOpen() || !file.save(written, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                                   TagLib::File::DoNotDuplicate)) {
    observer.onLog("Fail to write tag!" + path, LogLevel::Error);
    return false;
  }
  return true;
}

}  // namespace snipster
