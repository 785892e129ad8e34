#pragma once

#include <functional>
#include <string>
#include <vector>

namespace snipster {

// Expands the PATH arguments into the list of files to cut, in order: a file stands for itself;
// a folder for its *.mp3 files (any letter case) sorted by name, then, when recursive, for those
// of each sub-folder in name order, depth first. Hidden files and folders count like the others.
// A file reached twice is taken once. Paths that cannot be used are handed to report, one line
// each, and left out.
std::vector<std::string> GatherFiles(const std::vector<std::string>& paths, bool recursive,
                                     const std::function<void(const std::string&)>& report);

}  // namespace snipster
