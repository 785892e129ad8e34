#pragma once

#include <cstdint>
#include <string>

#include "library/AudioFileInfo.h"

struct mpg123_handle_struct;

namespace TagLib {
class String;
namespace ID3v1 {
class Tag;
}
namespace ID3v2 {
class Tag;
}
namespace APE {
class Tag;
}
}  // namespace TagLib

namespace snipster {

using Mpg123Handle = mpg123_handle_struct;

struct ProbeResult {
  std::string tagCell;       // the tag kinds found, e.g. "ID3v2.4  APEv2  ID3v1"
  std::string decoderError;  // "Trouble with mpg123: ..." for the caller to show; empty when none
};

// Reads the format from the decoder library (sets invalid when it cannot tell it) and the tags
// from the tag library into info. The handle is only opened on the file and closed again.
ProbeResult ProbeAudioFile(Mpg123Handle* probeHandle, const std::string& path, AudioFileInfo& info);

// The tag readers fill only the fields that are still empty, so that the first of ID3v2, APE
// and ID3v1 with a non-empty text wins. Run them in that order.
void ReadID3v2Tag(const TagLib::ID3v2::Tag& tag, AudioFileInfo& info);
void ReadApeTag(const TagLib::APE::Tag& tag, AudioFileInfo& info);
void ReadID3v1Tag(const TagLib::ID3v1::Tag& tag, AudioFileInfo& info);

// Sets trackNumber and trackTotal from a track text such as "3/12" (low 8 bits of each).
void ParseTrackNumber(const std::string& track, AudioFileInfo& info);

// A tag text as UTF-8.
std::string TagTextToWide(const TagLib::String& text);

// Everything a list row shows about one file, computed away from any window.
struct FileRowFacts {
  AudioFileInfo info;
  std::string name;    // file name with extension
  std::string folder;  // folder of the file, ending with '/'
  std::string type;    // upper-case extension, or "Unknown" when invalid
  std::string tag;
  std::string sizeMB;
  std::string lastModified;
  std::string duration;
  std::string frequency;
  std::string channel;
  std::string bitrate;
  std::string errorText;  // a message the user should see (decoder trouble); empty when none
};

// Fills invalid, the format fields, duration, tags and the Tag, Type, Duration, Frequency and
// Channel cells. A file that cannot be opened for reading is invalid and is not probed.
void FillFileDetails(Mpg123Handle* probeHandle, const std::string& path, FileRowFacts& facts);

// All facts of a row for the file at path: the file-system facts, FillFileDetails and the bit
// rate.
FileRowFacts ReadFileRowFacts(Mpg123Handle* probeHandle, const std::string& path,
                              const ExtensionTypeTable& extensionTypes);

// The Duration cell text of a duration in seconds; empty when its whole seconds are 0.
std::string DurationText(double seconds);

// The Channel cell text.
std::string ChannelText(uint32_t channels);

}  // namespace snipster
