#pragma once

#include <functional>
#include <string>

namespace snipster {

// The path itself when nothing exists there, else the first free "stem (n).ext" for n = 2, 3, ...
std::string MakeUniquePath(const std::string& path);

// The same with another notion of a taken name (a plan that has not written its files yet).
std::string MakeUniquePath(const std::string& path,
                           const std::function<bool(const std::string&)>& isTaken);

// Creates the folder and any missing parents, parents first. An existing folder succeeds.
bool CreateFolderPath(const std::string& path);

// The path up to (not including) its last '/'; empty when it has none.
std::string FolderOf(const std::string& path);

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);

}  // namespace snipster
