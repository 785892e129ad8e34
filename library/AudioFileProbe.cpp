#include "library/AudioFileProbe.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <taglib/apefooter.h>
#include <taglib/apetag.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tstring.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace snipster {

namespace {

// The decimal number at the start of text, low 8 bits; 0 when it starts with no digit. Kept
// modulo 256 while reading, so that a long run of digits cannot overflow.
uint8_t LeadingNumberLow8(const std::string& text) {
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = (value * 10 + static_cast<unsigned>(c - '0')) & 0xFF;
  }
  return static_cast<uint8_t>(value);
}

void FillIfEmpty(std::string& field, const TagLib::String& text) {
  if (field.empty()) field = TagTextToWide(text);
}

// The text of the first frame with the identifier; an empty text when there is none.
TagLib::String FirstFrameText(const TagLib::ID3v2::Tag& tag, const char* id) {
  const auto& frames = tag.frameListMap();
  const auto it = frames.find(id);
  if (it == frames.end() || it->second.isEmpty()) return {};
  return it->second.front()->toString();
}

// The first of the keys whose item has a non-empty text.
TagLib::String FirstApeText(const TagLib::APE::Tag& tag, std::initializer_list<const char*> keys) {
  const auto& items = tag.itemListMap();
  for (const char* key : keys) {
    const auto it = items.find(key);
    if (it == items.end()) continue;
    const TagLib::String text = it->second.toString();
    if (!text.isEmpty()) return text;
  }
  return {};
}

std::string Format(const char* format, auto... values) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), format, values...);
  return buffer;
}

// Only a regular file counts: a folder opens for reading too, and opening a pipe would block
// the loader until some writer appears.
bool CanOpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  ::close(fd);
  return regular;
}

}  // namespace

std::string TagTextToWide(const TagLib::String& text) {
  // TagLib has already decoded Latin-1 texts into their code points, so UTF-8 output keeps
  // characters such as "é" of a Latin-1 tag, which a UTF-8 desktop could not show as bytes.
  return text.to8Bit(true);
}

void ParseTrackNumber(const std::string& track, AudioFileInfo& info) {
  const auto slash = track.find('/');
  if (slash != std::string::npos) {
    info.trackTotal = LeadingNumberLow8(track.substr(slash + 1));
    info.trackNumber = LeadingNumberLow8(track.substr(0, slash));
  } else {
    info.trackNumber = LeadingNumberLow8(track);
  }
}

void ReadID3v2Tag(const TagLib::ID3v2::Tag& tag, AudioFileInfo& info) {
  FillIfEmpty(info.artist, FirstFrameText(tag, "TPE1"));
  FillIfEmpty(info.albumArtist, FirstFrameText(tag, "TPE2"));
  FillIfEmpty(info.album, FirstFrameText(tag, "TALB"));
  if (info.track.empty()) {
    info.track = TagTextToWide(FirstFrameText(tag, "TRCK"));
    if (!info.track.empty()) ParseTrackNumber(info.track, info);
  }
  FillIfEmpty(info.title, FirstFrameText(tag, "TIT2"));
  FillIfEmpty(info.genre, tag.genre());
  FillIfEmpty(info.date, FirstFrameText(tag, "TDRC"));
  FillIfEmpty(info.comment, tag.comment());
}

void ReadApeTag(const TagLib::APE::Tag& tag, AudioFileInfo& info) {
  FillIfEmpty(info.artist, FirstApeText(tag, {"ARTIST"}));
  FillIfEmpty(info.albumArtist, FirstApeText(tag, {"ALBUM ARTIST", "ALBUMARTIST"}));
  FillIfEmpty(info.album, FirstApeText(tag, {"ALBUM"}));
  if (info.track.empty()) {
    info.track = TagTextToWide(FirstApeText(tag, {"TRACK", "TRACKNUMBER"}));
    if (!info.track.empty()) ParseTrackNumber(info.track, info);
  }
  FillIfEmpty(info.title, FirstApeText(tag, {"TITLE"}));
  FillIfEmpty(info.genre, FirstApeText(tag, {"GENRE"}));
  FillIfEmpty(info.date, FirstApeText(tag, {"DATE", "YEAR"}));
  FillIfEmpty(info.comment, FirstApeText(tag, {"COMMENT"}));
}

void ReadID3v1Tag(const TagLib::ID3v1::Tag& tag, AudioFileInfo& info) {
  FillIfEmpty(info.artist, tag.artist());
  FillIfEmpty(info.album, tag.album());
  if (info.track.empty() && tag.track() != 0) {
    info.track = Format("%u", tag.track());
    info.trackNumber = static_cast<uint8_t>(tag.track());
    info.trackTotal = 0;
  }
  FillIfEmpty(info.title, tag.title());
  FillIfEmpty(info.genre, tag.genre());
  if (info.date.empty() && tag.year() != 0) info.date = Format("%u", tag.year());
  FillIfEmpty(info.comment, tag.comment());
}

ProbeResult ProbeAudioFile(Mpg123Handle* probeHandle, const std::string& path,
                           AudioFileInfo& info) {
  ProbeResult result;

  bool formatKnown = false;
  if (probeHandle && mpg123_open(probeHandle, path.c_str()) == MPG123_OK) {
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(probeHandle, &rate, &channels, &encoding) == MPG123_OK) {
      formatKnown = true;
      const off_t length = mpg123_length(probeHandle);
      // A length the library cannot tell (-1) counts as no samples, so the file is not planned
      // with a negative length.
      info.totalSamples = length > 0 ? int64_t{length} * channels : 0;
      info.channels = static_cast<uint32_t>(channels);
      info.sampleRate = static_cast<uint32_t>(rate);
      if (rate > 0 && channels > 0) {
        info.duration = double(info.totalSamples) / (double(rate) * double(channels));
      }
    }
  }
  if (!formatKnown) {
    const char* reason =
        probeHandle ? mpg123_strerror(probeHandle) : mpg123_plain_strerror(MPG123_OK);
    result.decoderError = std::string("Trouble with mpg123: ") + reason;
    info.invalid = 1;
  }
  if (probeHandle) mpg123_close(probeHandle);

  TagLib::MPEG::File file(path.c_str(), false);
  const TagLib::ID3v2::Tag* id3v2 = nullptr;
  const TagLib::APE::Tag* ape = nullptr;
  const TagLib::ID3v1::Tag* id3v1 = nullptr;
  if (file.hasID3v2Tag() && !file.ID3v2Tag()->isEmpty()) {
    id3v2 = file.ID3v2Tag();
    result.tagCell += Format("ID3v2.%u  ", id3v2->header()->majorVersion());
    info.tagFlags |= TagID3v2;
  }
  if (file.hasAPETag()) {
    ape = file.APETag();
    result.tagCell += Format("APEv%u  ", ape->footer()->version() / 1000);
    info.tagFlags |= TagAPE;
  }
  if (file.hasID3v1Tag() && !file.ID3v1Tag()->isEmpty()) {
    id3v1 = file.ID3v1Tag();
    result.tagCell += "ID3v1";
    info.tagFlags |= TagID3v1;
  }
  if (id3v2) ReadID3v2Tag(*id3v2, info);
  if (ape) ReadApeTag(*ape, info);
  if (id3v1) ReadID3v1Tag(*id3v1, info);
  return result;
}

std::string DurationText(double seconds) {
  const auto whole = static_cast<long long>(seconds);
  if (whole <= 0) return {};
  return Format("%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
}

std::string ChannelText(uint32_t channels) {
  if (channels == 1) return "1 (Mono)";
  if (channels == 2) return "2 (Stereo)";
  return Format("%u", channels);
}

void FillFileDetails(Mpg123Handle* probeHandle, const std::string& path, FileRowFacts& facts) {
  AudioFileInfo& info = facts.info;
  if (!CanOpenForReading(path)) {
    info.invalid = 1;
  } else {
    ProbeResult probe = ProbeAudioFile(probeHandle, path, info);
    facts.tag = std::move(probe.tagCell);
    facts.errorText = std::move(probe.decoderError);
    if (info.channels == 0 || info.sampleRate == 0 || info.totalSamples == 0) info.invalid = 1;
  }
  if (info.invalid) {
    facts.type = "Unknown";
    return;
  }
  facts.duration = DurationText(info.duration);
  facts.channel = ChannelText(info.channels);
  if (info.sampleRate != 0) facts.frequency = Format("%u Hz", info.sampleRate);
}

FileRowFacts ReadFileRowFacts(Mpg123Handle* probeHandle, const std::string& path,
                              const ExtensionTypeTable& extensionTypes) {
  FileRowFacts facts;
  const auto slash = path.rfind('/');
  facts.name = slash == std::string::npos ? path : path.substr(slash + 1);
  facts.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);

  struct stat status {};
  const bool found = ::stat(path.c_str(), &status) == 0;
  if (found) {
    facts.info.sizeMB = double(status.st_size) / 1048576.0;
    std::tm local{};
    if (localtime_r(&status.st_mtime, &local)) {
      char buffer[32];
      if (std::strftime(buffer, sizeof(buffer), "%Y/%m/%d %H:%M:%S", &local) > 0) {
        facts.lastModified = buffer;
      }
    }
  }
  facts.sizeMB = Format("%.2f", facts.info.sizeMB);
  facts.type = UpperCaseExtension(facts.name);
  facts.info.typeCode = LookUpTypeCode(extensionTypes, facts.name);

  FillFileDetails(probeHandle, path, facts);

  if (!found || !S_ISREG(status.st_mode)) return facts;  // TagLib would block on a pipe
  const TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Fast);
  if (!ref.isNull() && ref.audioProperties() && ref.audioProperties()->bitrate() != 0) {
    facts.info.bitRate = ref.audioProperties()->bitrate();
    facts.bitrate = Format("%d kbps", facts.info.bitRate);
  }
  return facts;
}

}  // namespace snipster
