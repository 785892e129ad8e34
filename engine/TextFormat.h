#pragma once

#include <string>

namespace snipster {

// printf-style formatting into a string, for the fixed texts the program shows and logs.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace snipster
