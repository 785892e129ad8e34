#include "tests/support/FixtureMaker.h"

#include <lame/lame.h>
#include <mpg123.h>
#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tstring.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <vector>

#include "library/AudioFileInfo.h"

namespace snipster::test {
namespace {

struct Tone {
  uint32_t hertz;
  double weight;
};

// Two chords, one per channel; the weights add up to 1 so the peak stays at kPeak.
constexpr Tone kTones[2][3] = {{{220, 0.5}, {330, 0.3}, {554, 0.2}},
                               {{262, 0.5}, {392, 0.3}, {659, 0.2}}};
constexpr double kPeak = 16384.0;  // half of the 16-bit full scale
constexpr uint32_t kEnvelopeSeconds = 4;
constexpr uint32_t kBlockFrames = 16384;

// sin(2*pi*index/period). The index is taken modulo the period in integers, so the value does
// not lose precision far into a long signal, and a table of this function gives the same bits.
double UnitSine(uint64_t index, uint64_t period) {
  return std::sin(2.0 * std::numbers::pi * static_cast<double>(index % period) /
                  static_cast<double>(period));
}

double Envelope(uint64_t frame, uint32_t sampleRate) {
  return 0.65 + 0.35 * UnitSine(frame, uint64_t{kEnvelopeSeconds} * sampleRate);
}

// The sum of the tones from precomputed sines: one table of the rate's length holds every
// phase an integer frequency can reach at that rate.
float Combine(double envelope, const double (&sines)[3], uint32_t channel) {
  double sum = 0.0;
  for (int k = 0; k < 3; ++k) sum += kTones[channel % 2][k].weight * sines[k];
  return static_cast<float>(kPeak * envelope * sum);
}

class SignalTable {
 public:
  explicit SignalTable(uint32_t sampleRate) : rate_(sampleRate), sines_(sampleRate) {
    for (uint32_t i = 0; i < rate_; ++i) sines_[i] = UnitSine(i, rate_);
  }
  float Value(uint64_t frame, uint32_t channel, double envelope) const {
    double sines[3];
    for (int k = 0; k < 3; ++k) sines[k] = sines_[(kTones[channel % 2][k].hertz * frame) % rate_];
    return Combine(envelope, sines, channel);
  }

 private:
  uint32_t rate_;
  std::vector<double> sines_;
};

void Silent(const char*, va_list) {}

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct Mpg123Closer {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};

void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + ": " + path);
}

void WriteBytes(std::FILE* file, const unsigned char* data, size_t size, const std::string& path) {
  if (size != 0 && std::fwrite(data, 1, size, file) != size) Fail("cannot write", path);
}

std::unique_ptr<lame_global_flags, LameCloser> MakeEncoder(const Mp3Spec& spec,
                                                           const std::string& path) {
  std::unique_ptr<lame_global_flags, LameCloser> flags(lame_init());
  if (!flags) Fail("lame_init failed", path);
  lame_global_flags* f = flags.get();
  lame_set_errorf(f, Silent);
  lame_set_debugf(f, Silent);
  lame_set_msgf(f, Silent);
  lame_set_num_channels(f, static_cast<int>(spec.channels));
  lame_set_in_samplerate(f, static_cast<int>(spec.sampleRate));
  lame_set_out_samplerate(f, static_cast<int>(spec.sampleRate));
  lame_set_mode(f, spec.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_VBR(f, vbr_off);
  lame_set_brate(f, static_cast<int>(spec.bitRate));
  lame_set_quality(f, 7);
  lame_set_bWriteVbrTag(f, spec.infoHeader ? 1 : 0);
  lame_set_write_id3tag_automatic(f, 0);
  if (lame_init_params(f) < 0) Fail("lame rejects the fixture's format", path);
  // lame silently picks the nearest bit rate; a fixture must have exactly the one asked for.
  if (lame_get_brate(f) != static_cast<int>(spec.bitRate)) {
    Fail("bit rate not possible at this sample rate", path);
  }
  return flags;
}

void EncodeAudio(const std::string& path, const Mp3Spec& spec) {
  if (spec.sampleRate < 8000 || spec.sampleRate > 48000 || spec.channels < 1 || spec.channels > 2 ||
      !(spec.seconds >= 0.0)) {
    Fail("unsupported fixture format", path);
  }
  auto flags = MakeEncoder(spec, path);
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w+b"));
  if (!file) Fail("cannot create", path);

  const uint64_t frames = std::llround(spec.seconds * spec.sampleRate);
  const SignalTable table(spec.sampleRate);
  std::vector<float> left(kBlockFrames), right(kBlockFrames);
  std::vector<unsigned char> mp3(kBlockFrames + kBlockFrames / 4 + 7200);
  for (uint64_t start = 0; start < frames; start += kBlockFrames) {
    const auto count = static_cast<uint32_t>(std::min<uint64_t>(kBlockFrames, frames - start));
    for (uint32_t i = 0; i < count; ++i) {
      const double envelope = Envelope(start + i, spec.sampleRate);
      left[i] = table.Value(start + i, 0, envelope);
      if (spec.channels == 2) right[i] = table.Value(start + i, 1, envelope);
    }
    const int bytes =
        lame_encode_buffer_float(flags.get(), left.data(), right.data(), static_cast<int>(count),
                                 mp3.data(), static_cast<int>(mp3.size()));
    if (bytes < 0) Fail("lame_encode_buffer_float failed", path);
    WriteBytes(file.get(), mp3.data(), static_cast<size_t>(bytes), path);
  }
  const int bytes = lame_encode_flush(flags.get(), mp3.data(), static_cast<int>(mp3.size()));
  if (bytes < 0) Fail("lame_encode_flush failed", path);
  WriteBytes(file.get(), mp3.data(), static_cast<size_t>(bytes), path);

  if (spec.infoHeader) {
    // The file starts with lame's placeholder frame; the finished header replaces it.
    std::vector<unsigned char> tag(lame_get_lametag_frame(flags.get(), nullptr, 0));
    // lame leaves the header out when it does not fit one frame (low bit rates).
    if (tag.empty() || lame_get_lametag_frame(flags.get(), tag.data(), tag.size()) != tag.size())
      Fail("the Info header does not fit a frame at this bit rate", path);
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) Fail("cannot seek", path);
    WriteBytes(file.get(), tag.data(), tag.size(), path);
  }
  if (std::fclose(file.release()) != 0) Fail("cannot write", path);
}

TagLib::String Text(const std::string& text) {
  return TagLib::String(text, TagLib::String::UTF8);
}

// The number the leading decimal digits of a text spell; 0 when it starts otherwise.
unsigned int LeadingNumber(const std::string& text) {
  unsigned int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    number = number * 10 + static_cast<unsigned int>(c - '0');
  }
  return number;
}

void FillId3v2(TagLib::ID3v2::Tag& tag, const TagSpec& spec) {
  const std::pair<const char*, const std::string*> frames[] = {
      {"TPE1", &spec.artist}, {"TPE2", &spec.albumArtist}, {"TALB", &spec.album},
      {"TRCK", &spec.track},  {"TIT2", &spec.title},       {"TCON", &spec.genre},
      {"TDRC", &spec.date}};
  for (const auto& [id, text] : frames) {
    if (text->empty()) continue;
    // UTF-16 is valid in both ID3v2.3 and 2.4.
    auto frame =
        std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(id, TagLib::String::UTF16);
    frame->setText(Text(*text));
    tag.removeFrames(id);
    tag.addFrame(frame.release());
  }
  if (!spec.comment.empty()) tag.setComment(Text(spec.comment));
}

void FillApe(TagLib::APE::Tag& tag, const TagSpec& spec) {
  const std::pair<const char*, const std::string*> items[] = {
      {"ARTIST", &spec.artist}, {"ALBUM ARTIST", &spec.albumArtist},
      {"ALBUM", &spec.album},   {"TRACK", &spec.track},
      {"TITLE", &spec.title},   {"GENRE", &spec.genre},
      {"DATE", &spec.date},     {"COMMENT", &spec.comment}};
  for (const auto& [key, text] : items) {
    if (!text->empty()) tag.addValue(key, Text(*text), true);
  }
}

void FillId3v1(TagLib::ID3v1::Tag& tag, const TagSpec& spec) {
  tag.setArtist(Text(spec.artist));
  tag.setAlbum(Text(spec.album));
  tag.setTitle(Text(spec.title));
  tag.setGenre(Text(spec.genre));
  tag.setComment(Text(spec.comment));
  if (!spec.track.empty()) tag.setTrack(LeadingNumber(spec.track));
  if (!spec.date.empty()) tag.setYear(LeadingNumber(spec.date));
}

void WriteTags(const std::string& path, const TagSpec& spec) {
  TagLib::MPEG::File file(path.c_str(), false);
  if (!file.isValid()) Fail("TagLib cannot open", path);
  int kinds = TagLib::MPEG::File::NoTags;
  if (spec.kinds & TagID3v2) {
    FillId3v2(*file.ID3v2Tag(true), spec);
    kinds |= TagLib::MPEG::File::ID3v2;
  }
  if (spec.kinds & TagAPE) {
    FillApe(*file.APETag(true), spec);
    kinds |= TagLib::MPEG::File::APE;
  }
  if (spec.kinds & TagID3v1) {
    FillId3v1(*file.ID3v1Tag(true), spec);
    kinds |= TagLib::MPEG::File::ID3v1;
  }
  const auto version = spec.id3v2Version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
  if (!file.save(kinds, TagLib::File::StripOthers, version, TagLib::File::DoNotDuplicate)) {
    Fail("TagLib cannot save", path);
  }
}

}  // namespace

float SignalValue(uint64_t frame, uint32_t channel, uint32_t sampleRate) {
  double sines[3];
  for (int k = 0; k < 3; ++k) sines[k] = UnitSine(kTones[channel % 2][k].hertz * frame, sampleRate);
  return Combine(Envelope(frame, sampleRate), sines, channel);
}

void MakeMp3(const std::string& path, const Mp3Spec& spec, const TagSpec& tags) {
  if (tags.id3v2Version != 3 && tags.id3v2Version != 4) Fail("ID3v2 version 3 or 4", path);
  EncodeAudio(path, spec);
  if (tags.kinds != 0) WriteTags(path, tags);
}

DecodedAudio DecodeMp3(const std::string& path) {
  mpg123_init();  // harmless when done before; needed by libmpg123 older than 1.27
  int err = MPG123_OK;
  std::unique_ptr<mpg123_handle, Mpg123Closer> handle(mpg123_new(nullptr, &err));
  if (!handle) Fail("mpg123_new failed", path);
  mpg123_handle* h = handle.get();
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  // Every rate at its own channel count in 16-bit signed, so nothing is converted.
  mpg123_format_none(h);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) {
    mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  if (mpg123_open(h, path.c_str()) != MPG123_OK) Fail("mpg123 cannot open", path);
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK) {
    Fail("mpg123 finds no MPEG audio in", path);
  }
  DecodedAudio audio;
  audio.sampleRate = static_cast<uint32_t>(rate);
  audio.channels = static_cast<uint32_t>(channels);
  std::vector<unsigned char> block(64 * 1024);
  for (;;) {
    size_t done = 0;
    const int result = mpg123_read(h, block.data(), block.size(), &done);
    const auto* samples = reinterpret_cast<const int16_t*>(block.data());
    audio.samples.insert(audio.samples.end(), samples, samples + done / sizeof(int16_t));
    if (result == MPG123_DONE) break;
    if (result == MPG123_NEW_FORMAT) {
      long newRate = 0;
      int newChannels = 0;
      mpg123_getformat(h, &newRate, &newChannels, &encoding);
      if (newRate != rate || newChannels != channels) Fail("format changes within", path);
    } else if (result != MPG123_OK) {
      Fail(std::string("mpg123 decode error ") + mpg123_strerror(h) + " in", path);
    }
  }
  return audio;
}

}  // namespace snipster::test
