#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace snipster {

// Which tag kinds a file holds; the values are stored bit sets, so they never change.
enum TagFlags : uint8_t {
  TagID3v1 = 1,
  TagID3v2 = 2,
  TagAPE = 4,
};

// Facts about one listed file, computed once when the file is read into the list. The file's
// location is not part of the record: the row's Path and Name cells hold it.
struct AudioFileInfo {
  int32_t invalid = 0;
  uint8_t typeCode = 0;
  uint8_t tagFlags = 0;
  uint8_t trackNumber = 0;
  uint8_t trackTotal = 0;
  uint32_t sampleRate = 0;
  uint32_t channels = 0;
  int64_t totalSamples = 0;  // sample values of all channels together
  int32_t bitRate = 0;       // kbit/s
  double sizeMB = 0.0;
  double duration = 0.0;  // seconds
  std::string artist;
  std::string albumArtist;
  std::string album;
  std::string track;
  std::string title;
  std::string genre;
  std::string date;
  std::string comment;
};

// Upper-case file extension -> type code.
using ExtensionTypeTable = std::map<std::string, uint8_t>;

inline constexpr uint8_t kTypeCodeMp3 = 2;

// The table as the program fills it at start-up.
ExtensionTypeTable MakeExtensionTypeTable();

// The text after the last '.' of a file name (the whole name when it has none), in upper case.
std::string UpperCaseExtension(const std::string& fileName);

// The type code of a file name by its extension; 0 when the extension is not in the table.
uint8_t LookUpTypeCode(const ExtensionTypeTable& table, const std::string& fileName);

}  // namespace snipster
