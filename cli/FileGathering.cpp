#include "cli/FileGathering.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <utility>

#include "library/AudioFileInfo.h"

namespace snipster {

namespace {

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Names sorted without regard to letter case; names that differ only in case keep a fixed order.
bool NameBefore(const std::string& a, const std::string& b) {
  const std::string la = Lower(a), lb = Lower(b);
  return la != lb ? la < lb : a < b;
}

bool IsMp3Name(const std::string& name) {
  return name.find('.') != std::string::npos && UpperCaseExtension(name) == "MP3";
}

std::string Join(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

class Gatherer {
 public:
  Gatherer(bool recursive, const std::function<void(const std::string&)>& report)
      : recursive_(recursive), report_(report) {}

  void AddPath(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
      report_("cannot read " + path + ": " + std::strerror(errno));
    } else if (S_ISDIR(st.st_mode)) {
      if (folders_.count({st.st_dev, st.st_ino})) return;  // named twice
      const size_t before = files_.size();
      AddFolder(path, st);
      if (files_.size() == before) report_("no MP3 files in " + path);
    } else if (S_ISREG(st.st_mode)) {
      AddFile(path);
    } else {
      // A device or pipe could block the reader for ever.
      report_("skipped " + path + ": not a regular file or folder");
    }
  }

  std::vector<std::string> TakeFiles() { return std::move(files_); }

 private:
  void AddFile(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    const std::string key = resolved ? resolved : path;
    std::free(resolved);
    if (seen_.insert(key).second) files_.push_back(path);
  }

  void AddFolder(const std::string& folder, const struct stat& st) {
    // A link back up the tree must not make the walk endless.
    if (!folders_.insert({st.st_dev, st.st_ino}).second) return;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) {
      report_("cannot read folder " + folder + ": " + std::strerror(errno));
      return;
    }
    std::vector<std::string> files;
    std::vector<std::pair<std::string, struct stat>> subFolders;
    while (const dirent* entry = ::readdir(dir.get())) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string path = Join(folder, name);
      struct stat entryStat;
      if (::stat(path.c_str(), &entryStat) != 0) continue;  // e.g. a dangling link
      if (S_ISREG(entryStat.st_mode) && IsMp3Name(name)) {
        files.push_back(name);
      } else if (recursive_ && S_ISDIR(entryStat.st_mode)) {
        subFolders.emplace_back(name, entryStat);
      }
    }
    std::sort(files.begin(), files.end(), NameBefore);
    std::sort(subFolders.begin(), subFolders.end(),
              [](const auto& a, const auto& b) { return NameBefore(a.first, b.first); });
    for (const std::string& name : files) AddFile(Join(folder, name));
    for (const auto& [name, subStat] : subFolders) AddFolder(Join(folder, name), subStat);
  }

  bool recursive_;
  const std::function<void(const std::string&)>& report_;
  std::vector<std::string> files_;
  std::set<std::string> seen_;
  std::set<std::pair<dev_t, ino_t>> folders_;
};

}  // namespace

std::vector<std::string> GatherFiles(const std::vector<std::string>& paths, bool recursive,
                                     const std::function<void(const std::string&)>& report) {
  Gatherer gatherer(recursive, report);
  for (const std::string& path : paths) gatherer.AddPath(path);
  return gatherer.TakeFiles();
}

}  // namespace snipster
