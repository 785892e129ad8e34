#pragma once

#include <string>

#include "settings/CutSettings.h"

namespace snipster {

inline constexpr char kLoadSettingsError[] = "An Error Occurred while loading settings!";
inline constexpr char kSaveSettingsError[] = "An error occurred while saving settings!";
inline constexpr char kSettingsFileName[] = "Config.ini";

// $XDG_CONFIG_HOME/Snipster, or $HOME/.config/Snipster when XDG_CONFIG_HOME is unset, empty or
// relative. No trailing '/'.
std::string SettingsFolder();
std::string SettingsFilePath();

// The user's music folder, else the desktop folder, with a trailing '/'; the relative text
// "C/My Music/" when neither exists.
std::string DefaultOutputFolder();

// Reads every key of the file into the record; a missing file or key gives the key's default.
// On failure the fields read so far keep their new values, *errorText gets the message to show.
// LastDir is read like the other fields; choosing a folder from it is the caller's business.
bool LoadSettings(CutSettings& settings, const std::string& file, std::string* errorText);

// Writes every field into the file, keeping any other content of it. The file is replaced
// whole, so a failed save leaves the previous file as it was.
bool SaveSettings(const CutSettings& settings, const std::string& file, std::string* errorText);

// The messages start-up has to show; an empty text means nothing to show.
struct SettingsStartup {
  std::string folderError;  // plain box, OK button
  std::string loadError;    // error icon, OK button
};

// The settings part of start-up: DesDir gets the default output folder, the folder is created
// when missing, then Config.ini inside it is read, or created empty when absent.
SettingsStartup PrepareSettings(CutSettings& settings, const std::string& folder);
inline SettingsStartup PrepareSettings(CutSettings& settings) {
  return PrepareSettings(settings, SettingsFolder());
}

// The encoder line of the status bar, e.g. "  MP3:  CBR 128 kbps; 44100 Hz; Joint Stereo;".
std::string EncoderSummaryText(const CutSettings& settings);

}  // namespace snipster
