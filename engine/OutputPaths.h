#pragma once

#include <string>

namespace snipster {

// The path itself when nothing exists there, else the first free "stem (n).ext" for n = 2, 3, ...
std::string MakeUniquePath(const std::string& path);

// Creates the folder and any missing parents, parents first. An existing folder succeeds.
bool CreateFolderPath(const std::string& path);

// The path up to (not including) its last '/'; empty when it has none.
std::string FolderOf(const std::string& path);

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);

}  // namespace snipster
