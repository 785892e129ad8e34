#include "engine/OutputPaths.h"

#include <sys/stat.h>

#include <cerrno>

namespace snipster {

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string MakeUniquePath(const std::string& path) { return MakeUniquePath(path, PathExists); }

std::string MakeUniquePath(const std::string& path,
                           const std::function<bool(const std::string&)>& isTaken) {
  if (!isTaken(path)) return path;
  // The extension starts at the last '.' of the file name, not of a folder name.
  const auto slash = path.rfind('/');
  auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
  const std::string stem = path.substr(0, dot);
  const std::string ext = path.substr(dot);
  for (unsigned long n = 2;; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (!isTaken(candidate)) return candidate;
  }
}

bool CreateFolderPath(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (p.empty()) return false;
  if (::mkdir(p.c_str(), 0777) == 0) return true;
  if (errno == EEXIST) return IsFolder(p);
  if (errno != ENOENT) return false;
  // A parent is missing: create it first, then this folder.
  const std::string parent = FolderOf(p);
  if (parent.empty() || parent == p || !CreateFolderPath(parent)) return false;
  if (::mkdir(p.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsFolder(p);
}

}  // namespace snipster
