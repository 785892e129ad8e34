#include "settings/SettingsStore.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace snipster {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

// Changes environment variables for one test and puts the previous values back afterwards.
class ScopedEnv {
 public:
  ScopedEnv() = default;
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }
  void Set(const std::string& name, const std::string& value) {
    Save(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void Unset(const std::string& name) {
    Save(name);
    ::unsetenv(name.c_str());
  }

 private:
  void Save(const std::string& name) {
    if (saved_.count(name)) return;
    const char* value = std::getenv(name.c_str());
    saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

// A private home folder (with a Music folder) and configuration folder for every test, so the
// default output folder is known and nothing touches the real user's files.
class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest() {
    env_.Set("HOME", home_.path());
    env_.Set("XDG_CONFIG_HOME", home_ / ".config");
    fs::create_directories(home_ / "Music");
  }

  std::string File() const { return home_ / "Config.ini"; }
  std::string MusicFolder() const { return home_ / "Music/"; }

  // The record as start-up holds it before reading: built-in values, default output folder.
  CutSettings BuiltIn() const {
    CutSettings settings;
    settings.DesDir = MusicFolder();
    return settings;
  }

  // A record whose every field differs from the built-in values.
  static CutSettings Changed() {
    CutSettings s;
    s.SameAsSrc = 1;
    s.Mode = ByCount;
    s.Length = 3725;
    s.Size = 2.5;
    s.Count = 17;
    s.TickFreq = 30;
    s.LameBits = 13;
    s.LameChannel = JointStereo;
    s.Freq = 8;
    s.DesDir = "/music/out/";
    s.LastDir = "/home/u/Mp3 files";
    return s;
  }

  // Loads the given file text into a record that starts with every field changed, so that a
  // default shows as written by the load rather than left over.
  CutSettings LoadText(const std::string& text) {
    WriteFile(File(), text);
    CutSettings settings = Changed();
    std::string error;
    EXPECT_TRUE(LoadSettings(settings, File(), &error)) << error;
    EXPECT_EQ(error, "");
    return settings;
  }

  TempDir home_;
  ScopedEnv env_;
};

void ExpectSame(const CutSettings& actual, const CutSettings& expected) {
  EXPECT_EQ(actual.SameAsSrc, expected.SameAsSrc);
  EXPECT_EQ(actual.Mode, expected.Mode);
  EXPECT_EQ(actual.Length, expected.Length);
  EXPECT_DOUBLE_EQ(actual.Size, expected.Size);
  EXPECT_EQ(actual.Count, expected.Count);
  EXPECT_EQ(actual.TickFreq, expected.TickFreq);
  EXPECT_EQ(actual.LameBits, expected.LameBits);
  EXPECT_EQ(actual.LameChannel, expected.LameChannel);
  EXPECT_EQ(actual.Freq, expected.Freq);
  EXPECT_EQ(actual.DesDir, expected.DesDir);
  EXPECT_EQ(actual.LastDir, expected.LastDir);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(SettingsStoreTest, WritesEveryKeyInOrderWithItsFormat) {
  CutSettings settings = Changed();
  settings.Mode = -1;  // 16-bit fields are widened with their sign
  std::string error;
  ASSERT_TRUE(SaveSettings(settings, File(), &error)) << error;
  EXPECT_EQ(ReadFile(File()),
            "[OUTPUT]\n"
            "SameAsSrc=1\n"
            "Mode=-1\n"
            "Length=3725\n"
            "Count=17\n"
            "TickFreq=30\n"
            "Size=2.500000\n"
            "DesDir=/music/out/\n"
            "LastDir=/home/u/Mp3 files\n"
            "\n"
            "\n"
            "[MP3]\n"
            "LameBits=13\n"
            "LameChannel=3\n"
            "Freq=8\n");
}

TEST_F(SettingsStoreTest, BuiltInValuesAreWrittenAsDocumented) {
  ASSERT_TRUE(SaveSettings(BuiltIn(), File(), nullptr));
  const std::string text = ReadFile(File());
  EXPECT_NE(text.find("Length=60\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Size=1.000000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("LameBits=11\n"), std::string::npos) << text;
  EXPECT_NE(text.find("LastDir=\n"), std::string::npos) << text;
}

TEST_F(SettingsStoreTest, EveryFieldSurvivesSaveAndLoad) {
  CutSettings changed = Changed();
  CutSettings limits = BuiltIn();
  limits.SameAsSrc = -7;
  limits.Length = 0;  // lengths are not limited in the file
  limits.Size = 0.001;
  limits.Count = 10000;
  limits.TickFreq = -32768;
  limits.LameChannel = 32767;
  limits.DesDir = "/home/u/M\xC3\xBCsik/\xE6\x97\xA5\xE6\x9C\xAC/";  // UTF-8 names
  limits.LastDir = " /spaces at both ends ";
  CutSettings large = Changed();
  large.Size = 4096;
  large.Length = 2147483647;
  large.DesDir = "";
  large.LastDir = "/a=b;c#d [e]/\"quoted\"";
  for (const CutSettings& saved : {BuiltIn(), changed, limits, large}) {
    SCOPED_TRACE(saved.DesDir);
    ASSERT_TRUE(SaveSettings(saved, File(), nullptr));
    CutSettings loaded;
    std::string error;
    ASSERT_TRUE(LoadSettings(loaded, File(), &error)) << error;
    ExpectSame(loaded, saved);
  }
}

TEST_F(SettingsStoreTest, MissingKeysGetTheirDefaults) {
  const CutSettings defaults = BuiltIn();
  for (const char* text : {"", "[OUTPUT]\n", "[OTHER]\nLength=5\n", "; only a comment\n"}) {
    SCOPED_TRACE(text);
    ExpectSame(LoadText(text), defaults);
  }
  CutSettings expected = defaults;
  expected.Length = 90;
  expected.Freq = 2;
  ExpectSame(LoadText("[OUTPUT]\nLength=90\n[MP3]\nFreq=2\n"), expected);
}

TEST_F(SettingsStoreTest, MissingFileLoadsDefaults) {
  CutSettings settings = Changed();
  std::string error;
  EXPECT_TRUE(LoadSettings(settings, home_ / "absent.ini", &error));
  EXPECT_EQ(error, "");
  ExpectSame(settings, BuiltIn());
}

struct ValueCase {
  const char* line;  // below [OUTPUT] or [MP3] as the key needs
  double expected;
  double (*field)(const CutSettings&);
};

double CountOf(const CutSettings& s) {
  return s.Count;
}
double SizeOf(const CutSettings& s) {
  return s.Size;
}
double LengthOf(const CutSettings& s) {
  return s.Length;
}
double ModeOf(const CutSettings& s) {
  return s.Mode;
}
double TickFreqOf(const CutSettings& s) {
  return s.TickFreq;
}
double SameAsSrcOf(const CutSettings& s) {
  return s.SameAsSrc;
}
double LameBitsOf(const CutSettings& s) {
  return s.LameBits;
}
double FreqOf(const CutSettings& s) {
  return s.Freq;
}

TEST_F(SettingsStoreTest, ValuesAreReadWithTruncationsAndLimits) {
  const ValueCase cases[] = {
      {"Count=1", 2, CountOf},
      {"Count=20000", 10000, CountOf},
      {"Count=65538", 2, CountOf},  // low 16 bits: 2
      {"Count=65636", 100, CountOf},
      {"Count=40000", 2, CountOf},  // low 16 bits are negative
      {"Count=-5", 2, CountOf},
      {"Count=abc", 2, CountOf},
      {"Count=", 2, CountOf},
      {"Count=12abc", 12, CountOf},
      {"Count=+7", 7, CountOf},
      {"Count =  9  ", 9, CountOf},
      {"Size=0", 0.001, SizeOf},
      {"Size=5000", 4096, SizeOf},
      {"Size=abc", 0.001, SizeOf},
      {"Size=", 0.001, SizeOf},
      {"Size=2.5MB", 2.5, SizeOf},
      {"Size=.5", 0.5, SizeOf},
      {"Size=1,5", 1, SizeOf},
      {"Size=1e3", 1000, SizeOf},
      {"Size=-3", 0.001, SizeOf},
      {"Size=1e999", 4096, SizeOf},
      {"Size=nan", 0.001, SizeOf},
      {"Size=inf", 0.001, SizeOf},
      {"Size=0x10", 0.001, SizeOf},
      {"Length=100000", 100000, LengthOf},
      {"Length=-7", -7, LengthOf},
      {"Length=0", 0, LengthOf},
      {"Length=4294967297", 1, LengthOf},  // wraps at 32 bits
      {"Length=x", 0, LengthOf},
      {"Mode=65537", 1, ModeOf},
      {"TickFreq=70000", 4464, TickFreqOf},
      {"SameAsSrc=2", 2, SameAsSrcOf},
      {"LameBits=-1", -1, LameBitsOf},
      {"Freq=65544", 8, FreqOf},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string line = c.line;
    const bool mp3 = line.rfind("LameBits", 0) == 0 || line.rfind("Freq", 0) == 0;
    const CutSettings loaded = LoadText((mp3 ? "[MP3]\n" : "[OUTPUT]\n") + line + "\n");
    EXPECT_DOUBLE_EQ(c.field(loaded), c.expected);
  }
}

TEST_F(SettingsStoreTest, SectionsAndKeysIgnoreCase) {
  const CutSettings loaded =
      LoadText("[output]\nsameassrc=1\nLENGTH=77\ndesDIR=/x/\n[Mp3]\nlamebits=5\n");
  EXPECT_EQ(loaded.SameAsSrc, 1);
  EXPECT_EQ(loaded.Length, 77);
  EXPECT_EQ(loaded.DesDir, "/x/");
  EXPECT_EQ(loaded.LameBits, 5);
}

TEST_F(SettingsStoreTest, SavingUpdatesExistingKeysAndKeepsOtherContent) {
  WriteFile(File(), "[other]\nkeep=me\n\n[output]\n; a note\nlength=5\n");
  ASSERT_TRUE(SaveSettings(Changed(), File(), nullptr));
  const std::string text = ReadFile(File());
  EXPECT_NE(text.find("[other]\nkeep=me\n"), std::string::npos) << text;
  EXPECT_NE(text.find("; a note\nlength=3725\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Length"), std::string::npos) << text;  // updated in place, not added
  CutSettings loaded;
  ASSERT_TRUE(LoadSettings(loaded, File(), nullptr));
  ExpectSame(loaded, Changed());
}

TEST_F(SettingsStoreTest, PresentButEmptyTextsStayEmpty) {
  const CutSettings loaded = LoadText("[OUTPUT]\nDesDir=\nLastDir=\n");
  EXPECT_EQ(loaded.DesDir, "");
  EXPECT_EQ(loaded.LastDir, "");
}

TEST_F(SettingsStoreTest, TextsAreCutAt1023Characters) {
  const std::string eAcute = "\xC3\xA9";
  const std::string kanji = "\xE6\x97\xA5";
  std::string manyAcutes;
  for (int i = 0; i < 1500; ++i) manyAcutes += eAcute;
  std::string expectedAcutes;
  for (int i = 0; i < 1023; ++i) expectedAcutes += eAcute;
  struct {
    std::string value, expected;
  } const cases[] = {
      {std::string(2000, 'a'), std::string(1023, 'a')},
      {std::string(1023, 'a'), std::string(1023, 'a')},
      {manyAcutes, expectedAcutes},
      {std::string(1022, 'a') + kanji + "b", std::string(1022, 'a') + kanji},
      {std::string(1022, 'a') + "\xE6\x97" + "bc", std::string(1022, 'a') + "\xE6"},
      {std::string(2000, '\xFF'), std::string(1023, '\xFF')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.size());
    const CutSettings loaded =
        LoadText("[OUTPUT]\nDesDir=" + c.value + "\nLastDir=" + c.value + "\n");
    EXPECT_EQ(loaded.DesDir, c.expected);
    EXPECT_EQ(loaded.LastDir, c.expected);
  }
  // Size is read as text first: a digit beyond the 1023rd character is not seen.
  EXPECT_DOUBLE_EQ(LoadText("[OUTPUT]\nSize=" + std::string(1022, '0') + "5\n").Size, 5);
  EXPECT_DOUBLE_EQ(LoadText("[OUTPUT]\nSize=" + std::string(1023, '0') + "5\n").Size, 0.001);
}

TEST_F(SettingsStoreTest, MalformedFilesLoadWithoutHarm) {
  std::mt19937 random(1234);
  std::string garbage(1 << 16, '\0');
  for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
  const std::string hugeLine(10 * 1024 * 1024, 'x');
  const CutSettings defaults = BuiltIn();

  ExpectSame(LoadText(garbage), defaults);
  ExpectSame(LoadText("SameAsSrc=1\nLength=5\n"), defaults);  // keys outside any section

  CutSettings expected = defaults;
  expected.DesDir = std::string(1023, 'x');
  expected.Length = 5;
  ExpectSame(LoadText("[OUTPUT]\nDesDir=" + hugeLine + "\nLength=5\n"), expected);
  expected.DesDir = defaults.DesDir;
  ExpectSame(LoadText("[OUTPUT]\n" + hugeLine + "\nLength=5\n"), expected);
  ExpectSame(LoadText(std::string("[OUTPUT]\n\0Length=7\n", 19)), defaults);  // stops at NUL
  ExpectSame(LoadText("\xEF\xBB\xBF[OUTPUT]\r\nLength=5\r\n"), expected);
  ExpectSame(LoadText("[OUTPUT\nLength=9\n[OUTPUT]\n=3\nLength=5\n"), expected);

  // A value ends with its line, even one that looks like the start of a block.
  expected.DesDir = "<<<END";
  ExpectSame(LoadText("[OUTPUT]\nDesDir=<<<END\nLength=5\nEND\n"), expected);

  // The later of two equal keys counts; repeated sections are merged.
  const CutSettings duplicates =
      LoadText("[OUTPUT]\nLength=5\nLength=7\n[MP3]\nFreq=3\n[output]\nCount=9\n");
  EXPECT_EQ(duplicates.Length, 7);
  EXPECT_EQ(duplicates.Freq, 3);
  EXPECT_EQ(duplicates.Count, 9);
}

TEST_F(SettingsStoreTest, UnreadableFileIsALoadErrorAndChangesNothing) {
  fs::create_directory(home_ / "folder.ini");
  ASSERT_EQ(::mkfifo((home_ / "fifo.ini").c_str(), 0600), 0);
  for (const std::string& path : {home_ / "folder.ini", home_ / "fifo.ini"}) {
    SCOPED_TRACE(path);
    CutSettings settings = Changed();
    std::string error;
    EXPECT_FALSE(LoadSettings(settings, path, &error));
    EXPECT_EQ(error, "An Error Occurred while loading settings!");
    ExpectSame(settings, Changed());
  }
}

TEST_F(SettingsStoreTest, FailedSaveKeepsThePreviousFile) {
  std::string error;
  EXPECT_FALSE(SaveSettings(Changed(), home_ / "no/such/folder/Config.ini", &error));
  EXPECT_EQ(error, "An error occurred while saving settings!");

  // A file size limit makes the write itself fail, whoever runs the test.
  WriteFile(File(), "[OUTPUT]\nLength=5\n");
  CutSettings settings = Changed();
  settings.DesDir = "/" + std::string(1000, 'd') + "/";
  rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = old;
  limited.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  error.clear();
  const bool saved = SaveSettings(settings, File(), &error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved);
  EXPECT_EQ(error, "An error occurred while saving settings!");
  EXPECT_EQ(ReadFile(File()), "[OUTPUT]\nLength=5\n");
  EXPECT_EQ(FolderEntries(home_.path()), (std::vector<std::string>{"Config.ini", "Music"}));
}

TEST_F(SettingsStoreTest, SavingKeepsPermissionsAndSymbolicLinks) {
  fs::create_directory(home_ / "dotfiles");
  WriteFile(home_ / "dotfiles/Config.ini", "");
  ASSERT_EQ(::chmod((home_ / "dotfiles/Config.ini").c_str(), 0640), 0);
  fs::create_symlink("dotfiles/Config.ini", File());
  ASSERT_TRUE(SaveSettings(Changed(), File(), nullptr));
  EXPECT_TRUE(fs::is_symlink(File()));
  EXPECT_NE(ReadFile(home_ / "dotfiles/Config.ini").find("Length=3725\n"), std::string::npos);
  struct stat st;
  ASSERT_EQ(::stat((home_ / "dotfiles/Config.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FolderEntries(home_ / "dotfiles"), std::vector<std::string>{"Config.ini"});
}

TEST_F(SettingsStoreTest, TextsWithLineBreaksAreLeftOutRatherThanBreakingTheFile) {
  CutSettings settings = Changed();
  settings.DesDir = "/a\n[MP3]\nFreq=9\n";
  settings.LastDir = "/b\rLength=1";
  ASSERT_TRUE(SaveSettings(settings, File(), nullptr));
  CutSettings loaded;
  ASSERT_TRUE(LoadSettings(loaded, File(), nullptr));
  CutSettings expected = Changed();
  expected.DesDir = MusicFolder();
  expected.LastDir = "";
  ExpectSame(loaded, expected);
}

TEST_F(SettingsStoreTest, FirstStartCreatesTheFolderAndAnEmptyFile) {
  const std::string folder = home_ / "deep/er/Snipster";
  CutSettings settings;
  const SettingsStartup result = PrepareSettings(settings, folder);
  EXPECT_EQ(result.folderError, "");
  EXPECT_EQ(result.loadError, "");
  ASSERT_TRUE(fs::is_regular_file(folder + "/Config.ini"));
  EXPECT_EQ(fs::file_size(folder + "/Config.ini"), 0u);
  ExpectSame(settings, BuiltIn());
  EXPECT_EQ(EncoderSummaryText(settings),
            "  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;");
}

TEST_F(SettingsStoreTest, StartupReadsAnExistingFile) {
  fs::create_directories(home_ / ".config/Snipster");
  WriteFile(home_ / ".config/Snipster/Config.ini", "[OUTPUT]\nLength=90\nDesDir=/kept/\n");
  CutSettings settings;
  const SettingsStartup result = PrepareSettings(settings);
  EXPECT_EQ(result.folderError, "");
  EXPECT_EQ(result.loadError, "");
  EXPECT_EQ(settings.Length, 90);
  EXPECT_EQ(settings.DesDir, "/kept/");
}

TEST_F(SettingsStoreTest, StartupReportsFolderAndLoadFailures) {
  WriteFile(home_ / "blocker", "a file where a folder should be");
  const std::string folder = home_ / "blocker/Snipster";
  CutSettings settings;
  SettingsStartup result = PrepareSettings(settings, folder);
  EXPECT_EQ(result.folderError, "Fail to create folder " + folder + " !!");
  EXPECT_EQ(result.loadError, "");
  ExpectSame(settings, BuiltIn());

  fs::create_directories(home_ / "cfg/Config.ini");  // a folder in the file's place
  result = PrepareSettings(settings, home_ / "cfg");
  EXPECT_EQ(result.folderError, "");
  EXPECT_EQ(result.loadError, "An Error Occurred while loading settings!");
}

TEST_F(SettingsStoreTest, SettingsFolderFollowsXdgConfigHome) {
  const std::string home = home_.path();
  struct {
    std::optional<std::string> xdg;
    std::string expected;
  } const cases[] = {
      {"/etc/xdg-test", "/etc/xdg-test/Snipster"},
      {"/etc/xdg-test/", "/etc/xdg-test/Snipster"},
      {"", home + "/.config/Snipster"},
      {"relative/cfg", home + "/.config/Snipster"},
      {std::nullopt, home + "/.config/Snipster"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    if (c.xdg) {
      env_.Set("XDG_CONFIG_HOME", *c.xdg);
    } else {
      env_.Unset("XDG_CONFIG_HOME");
    }
    EXPECT_EQ(SettingsFolder(), c.expected);
    EXPECT_EQ(SettingsFilePath(), c.expected + "/Config.ini");
  }
}

TEST(DefaultOutputFolderTest, FollowsUserDirsThenUsualFoldersThenFixedText) {
  struct {
    const char* userDirs;  // nullptr: no user-dirs.dirs
    std::vector<std::string> folders;
    std::string expected;  // '~' stands for the home folder
  } const cases[] = {
      {nullptr, {}, "C/My Music/"},
      {nullptr, {"Music", "Desktop"}, "~/Music/"},
      {nullptr, {"Desktop"}, "~/Desktop/"},
      {"XDG_MUSIC_DIR=\"$HOME/Musik\"\n", {"Music"}, "~/Musik/"},
      {"# XDG_MUSIC_DIR=\"$HOME/No\"\n  XDG_MUSIC_DIR = \"$HOME/Yes/\"\n", {}, "~/Yes/"},
      {"XDG_MUSIC_DIR=\"/srv/music\"\n", {}, "/srv/music/"},
      {"XDG_MUSIC_DIR=\"$HOME/\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", {}, "~/Schreibtisch/"},
      {"XDG_MUSIC_DIR=\"$HOME\"\n", {"Music"}, "~/Music/"},
      {"XDG_MUSIC_DIR=\"Music\"\nXDG_DESKTOP_DIR=\"$HOME\"\n", {"Desktop"}, "~/Desktop/"},
      {"XDG_MUSIC_DIR=\"$HOMEWORK\"\nXDG_DESKTOP_DIR=\"$HOME\"\n", {}, "C/My Music/"},
      {"XDG_DESKTOP_DIR=\"$HOME/My \\\"Desk\\\"\"\n", {}, "~/My \"Desk\"/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.userDirs ? c.userDirs : "(no user-dirs.dirs)");
    TempDir home;
    TempDir config;
    ScopedEnv env;
    env.Set("HOME", home.path());
    env.Set("XDG_CONFIG_HOME", config.path());
    if (c.userDirs) WriteFile(config / "user-dirs.dirs", c.userDirs);
    for (const std::string& folder : c.folders) fs::create_directory(home / folder);
    std::string expected = c.expected;
    if (expected[0] == '~') expected = home.path() + expected.substr(1);
    EXPECT_EQ(DefaultOutputFolder(), expected);
  }
}

TEST(EncoderSummaryTextTest, DescribesBitRateFrequencyAndChannels) {
  struct {
    int16_t lameBits, freq, channel;
    const char* expected;
  } const cases[] = {
      {11, 0, 0, "  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"},
      {13, 8, 3, "  MP3:  CBR 192 kbps; 44100 Hz; Joint Stereo;"},
      {0, 1, 1, "  MP3:  CBR   8 kbps;  8000 Hz; Mono;"},
      {16, 9, 2, "  MP3:  CBR 320 kbps; 48000 Hz; Stereo;"},
      {4, 2, 4, "  MP3:  CBR  40 kbps; 11025 Hz; Dual Channel;"},
      // Indices only a hand-edited file holds: the encoder's fallbacks, no channel text.
      {40, 12, 7, "  MP3:  CBR 128 kbps; Automatic Frequency;"},
      {-1, -1, -1, "  MP3:  CBR 128 kbps; Automatic Frequency;"},
  };
  for (const auto& c : cases) {
    CutSettings settings;
    settings.LameBits = c.lameBits;
    settings.Freq = c.freq;
    settings.LameChannel = c.channel;
    EXPECT_EQ(EncoderSummaryText(settings), c.expected);
  }
}

}  // namespace
}  // namespace snipster
