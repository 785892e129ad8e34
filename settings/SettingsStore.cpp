#include "settings/SettingsStore.h"

// Values are UTF-8 and kept as bytes: no wide-character conversion is needed. The packaged
// header holds its template definitions behind SI_IMPLEMENTATION; this file is its only user.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <fcntl.h>
#include <locale.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <vector>

#include "engine/OutputPaths.h"

namespace snipster {
namespace {

constexpr char kOutputSection[] = "OUTPUT";
constexpr char kMp3Section[] = "MP3";
constexpr char kNoFolderFallback[] = "C/My Music/";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (home.empty()) {
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
      home = found->pw_dir;
  }
  return WithoutTrailingSlashes(home);
}

std::string ConfigHome() {
  const std::string xdg = Environment("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg.front() == '/') return WithoutTrailingSlashes(xdg);
  return HomeFolder() + "/.config";
}

// One entry of user-dirs.dirs (a shell fragment: NAME="$HOME/Folder" or NAME="/abs/path"),
// with $HOME expanded. Empty when absent, unusable, or disabled by naming the home folder.
std::string UserDirEntry(const std::string& dirsFile, const std::string& name,
                         const std::string& home) {
  std::ifstream in(dirsFile);
  std::string line;
  std::string raw;
  bool seen = false;
  while (std::getline(in, line)) {
    size_t p = line.find_first_not_of(" \t");
    if (p == std::string::npos || line[p] == '#') continue;
    if (line.compare(p, name.size(), name) != 0) continue;
    p = line.find_first_not_of(" \t", p + name.size());
    if (p == std::string::npos || line[p] != '=') continue;
    p = line.find_first_not_of(" \t", p + 1);
    std::string value;
    if (p != std::string::npos && line[p] == '"') {
      for (++p; p < line.size() && line[p] != '"'; ++p) {
        if (line[p] == '\\' && p + 1 < line.size()) ++p;
        value += line[p];
      }
    } else if (p != std::string::npos) {
      value = line.substr(p, line.find_first_of(" \t#", p) - p);
    }
    raw = value;  // as in the shell, the last assignment counts
    seen = true;
  }
  if (!seen) return {};
  std::string dir;
  if (raw.compare(0, 5, "$HOME") == 0 && (raw.size() == 5 || raw[5] == '/')) {
    if (home.empty()) return {};
    dir = home + raw.substr(5);
  } else if (!raw.empty() && raw.front() == '/') {
    dir = raw;
  } else {
    return {};
  }
  dir = WithoutTrailingSlashes(dir);
  return dir == home ? std::string() : dir;
}

// Reads a whole regular file. *missing is set when there is no file (no error then).
bool ReadWholeFile(const std::string& path, std::string& data, bool* missing) {
  *missing = false;
  data.clear();
  // O_NONBLOCK: a FIFO put in the file's place must not hang the program; it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *missing = errno == ENOENT;
    return *missing;
  }
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  char buffer[65536];
  while (ok) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      data.append(buffer, static_cast<size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ok = false;
    }
  }
  ::close(fd);
  return ok;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Replaces the file by one holding data: a temporary file beside it is written, flushed and
// renamed over it, so the old file stays whole until the new one is complete. A symbolic link
// keeps pointing where it did; the file it names is replaced.
bool ReplaceFile(const std::string& path, const std::string& data) {
  std::string target = path;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  std::string temp = target + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    ok = ::fchmod(fd, st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, data) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

// Length in bytes of the UTF-8 sequence starting at i; 1 for a byte that starts none.
size_t SequenceLength(const std::string& text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
  }
  if (i + length > text.size()) return 1;
  for (size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  return length;
}

// Keeps at most maxChars characters; a byte that is no valid UTF-8 counts as one character.
std::string CutText(const std::string& text, size_t maxChars) {
  size_t i = 0;
  for (size_t chars = 0; i < text.size() && chars < maxChars; ++chars) i += SequenceLength(text, i);
  return text.substr(0, i);
}

// A decimal integer as the profile functions read it: optional sign, then the leading digits,
// wrapping modulo 2^32; no digits gives 0.
int32_t ProfileInt(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  uint32_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  return static_cast<int32_t>(negative ? 0u - value : value);
}

// The leading decimal number of the text (sign, digits, fraction, exponent); no number gives 0.
// Only decimal forms count, and the C locale is used whatever the user's locale says.
double LeadingNumber(const std::string& text) {
  size_t p = text.find_first_not_of(" \t");
  if (p == std::string::npos) return 0.0;
  const size_t start = p;
  if (text[p] == '+' || text[p] == '-') ++p;
  const size_t mantissa = p;
  while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) ++p;
  size_t digits = p - mantissa;
  if (p < text.size() && text[p] == '.') {
    const size_t fraction = ++p;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) ++p;
    digits += p - fraction;
  }
  if (digits == 0) return 0.0;
  if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
    size_t q = p + 1;
    if (q < text.size() && (text[q] == '+' || text[q] == '-')) ++q;
    const size_t exponent = q;
    while (q < text.size() && std::isdigit(static_cast<unsigned char>(text[q]))) ++q;
    if (q > exponent) p = q;
  }
  static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const std::string number = text.substr(start, p - start);
  return ::strtod_l(number.c_str(), nullptr, cLocale);
}

std::string SizeText(double size) {
  char buffer[512];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, size, std::chars_format::fixed, 6);
  return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("1.000000");
}

int32_t ReadInt(const CSimpleIniA& ini, const char* section, const char* key, int32_t fallback) {
  const char* value = ini.GetValue(section, key, nullptr);
  return value ? ProfileInt(value) : fallback;
}

int16_t ReadInt16(const CSimpleIniA& ini, const char* section, const char* key, int16_t fallback) {
  return static_cast<int16_t>(ReadInt(ini, section, key, fallback));
}

std::string ReadText(const CSimpleIniA& ini, const char* section, const char* key,
                     const std::string& fallback) {
  const char* value = ini.GetValue(section, key, nullptr);
  return CutText(value ? std::string(value) : fallback, CutSettings::kMaxText);
}

// Profile semantics: section and key names ignore case (CSimpleIniA; the "Case" variant compares
// them exactly), a value ends with its line, and a pair of quotes around it is removed (which
// lets a value keep spaces at its ends).
void ConfigureIni(CSimpleIniA& ini) {
  ini.SetUnicode(true);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetQuotes(true);
  ini.SetSpaces(false);
}

bool Fail(std::string* errorText, const char* message) {
  if (errorText) *errorText = message;
  return false;
}

bool WriteValue(CSimpleIniA& ini, const char* section, const char* key, const std::string& value) {
  return ini.SetValue(section, key, value.c_str()) >= 0;
}

// A text with a line break cannot live on one line without breaking the lines after it; such
// a text is left out so that reading gives the key's default.
bool WriteText(CSimpleIniA& ini, const char* section, const char* key, const std::string& text) {
  if (text.find_first_of("\r\n") != std::string::npos) {
    ini.Delete(section, key);
    return true;
  }
  return WriteValue(ini, section, key, text);
}

}  // namespace

std::string SettingsFolder() {
  return ConfigHome() + "/Snipster";
}

std::string SettingsFilePath() {
  return SettingsFolder() + "/" + kSettingsFileName;
}

std::string DefaultOutputFolder() {
  const std::string home = HomeFolder();
  const std::string dirsFile = ConfigHome() + "/user-dirs.dirs";
  const std::pair<const char*, const char*> kinds[] = {{"XDG_MUSIC_DIR", "Music"},
                                                       {"XDG_DESKTOP_DIR", "Desktop"}};
  for (const auto& [entry, usual] : kinds) {
    std::string dir = UserDirEntry(dirsFile, entry, home);
    if (dir.empty() && !home.empty() && IsFolder(home + "/" + usual)) dir = home + "/" + usual;
    if (!dir.empty()) return dir.back() == '/' ? dir : dir + "/";
  }
  return kNoFolderFallback;
}

bool LoadSettings(CutSettings& settings, const std::string& file, std::string* errorText) {
  try {
    std::string data;
    bool missing = false;
    if (!ReadWholeFile(file, data, &missing)) return Fail(errorText, kLoadSettingsError);
    CSimpleIniA ini;
    ConfigureIni(ini);
    if (ini.LoadData(data) < 0) return Fail(errorText, kLoadSettingsError);

    settings.SameAsSrc = ReadInt(ini, kOutputSection, "SameAsSrc", 0);
    settings.Mode = ReadInt16(ini, kOutputSection, "Mode", ByLength);
    settings.Length = ReadInt(ini, kOutputSection, "Length", 60);
    settings.Count = std::clamp(ReadInt16(ini, kOutputSection, "Count", 2), CutSettings::kMinCount,
                                CutSettings::kMaxCount);
    settings.TickFreq = ReadInt16(ini, kOutputSection, "TickFreq", 10);
    settings.LameBits = ReadInt16(ini, kMp3Section, "LameBits", 11);
    settings.LameChannel = ReadInt16(ini, kMp3Section, "LameChannel", Automatic);
    settings.Freq = ReadInt16(ini, kMp3Section, "Freq", 0);
    settings.DesDir = ReadText(ini, kOutputSection, "DesDir", DefaultOutputFolder());
    settings.LastDir = ReadText(ini, kOutputSection, "LastDir", "");
    settings.Size = std::clamp(LeadingNumber(ReadText(ini, kOutputSection, "Size", "1.0")),
                               CutSettings::kMinSize, CutSettings::kMaxSize);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(errorText, kLoadSettingsError);
  }
}

bool SaveSettings(const CutSettings& settings, const std::string& file, std::string* errorText) {
  try {
    // Keys and sections of the file that are not ours stay as they are.
    std::string data;
    bool missing = false;
    if (!ReadWholeFile(file, data, &missing)) return Fail(errorText, kSaveSettingsError);
    CSimpleIniA ini;
    ConfigureIni(ini);
    if (ini.LoadData(data) < 0) return Fail(errorText, kSaveSettingsError);

    const auto number = [](int32_t value) { return std::to_string(value); };
    const bool written =
        WriteValue(ini, kOutputSection, "SameAsSrc", number(settings.SameAsSrc)) &&
        WriteValue(ini, kOutputSection, "Mode", number(settings.Mode)) &&
        WriteValue(ini, kOutputSection, "Length", number(settings.Length)) &&
        WriteValue(ini, kOutputSection, "Count", number(settings.Count)) &&
        WriteValue(ini, kOutputSection, "TickFreq", number(settings.TickFreq)) &&
        WriteValue(ini, kOutputSection, "Size", SizeText(settings.Size)) &&
        WriteText(ini, kOutputSection, "DesDir", settings.DesDir) &&
        WriteText(ini, kOutputSection, "LastDir", settings.LastDir) &&
        WriteValue(ini, kMp3Section, "LameBits", number(settings.LameBits)) &&
        WriteValue(ini, kMp3Section, "LameChannel", number(settings.LameChannel)) &&
        WriteValue(ini, kMp3Section, "Freq", number(settings.Freq));
    std::string text;
    if (!written || ini.Save(text, false) < 0 || !ReplaceFile(file, text))
      return Fail(errorText, kSaveSettingsError);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail(errorText, kSaveSettingsError);
  }
}

SettingsStartup PrepareSettings(CutSettings& settings, const std::string& folder) {
  SettingsStartup result;
  settings.DesDir = DefaultOutputFolder();
  if (!CreateFolderPath(folder)) result.folderError = "Fail to create folder " + folder + " !!";
  const std::string file = folder + "/" + kSettingsFileName;
  if (PathExists(file)) {
    LoadSettings(settings, file, &result.loadError);
  } else {
    // An empty file; the first save fills it. Failing here is harmless: saving reports.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) ::close(fd);
  }
  return result;
}

std::string EncoderSummaryText(const CutSettings& settings) {
  char rates[64];
  const uint32_t bitrate = BitrateAt(settings.LameBits);
  const uint32_t sampleRate = SampleRateAt(settings.Freq);
  // An index outside the table means automatic, as it does for the encoder.
  if (sampleRate == 0) {
    std::snprintf(rates, sizeof rates, "CBR %3u kbps; Automatic Frequency;", bitrate);
  } else {
    std::snprintf(rates, sizeof rates, "CBR %3u kbps; %5u Hz;", bitrate, sampleRate);
  }
  static constexpr const char* kChannels[] = {" Automatic Channel;", " Mono;", " Stereo;",
                                              " Joint Stereo;", " Dual Channel;"};
  const int channel = settings.LameChannel;
  const char* channelText = channel >= 0 && channel < 5 ? kChannels[channel] : "";
  return std::string("  MP3:  ") + rates + channelText;
}

}  // namespace snipster
