#include "library/AudioFileInfo.h"

#include <algorithm>
#include <cctype>

namespace snipster {

ExtensionTypeTable MakeExtensionTypeTable() { return {{"MP3", kTypeCodeMp3}}; }

std::string UpperCaseExtension(const std::string& fileName) {
  const auto dot = fileName.rfind('.');
  std::string ext = dot == std::string::npos ? fileName : fileName.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return ext;
}

uint8_t LookUpTypeCode(const ExtensionTypeTable& table, const std::string& fileName) {
  const auto it = table.find(UpperCaseExtension(fileName));
  return it == table.end() ? 0 : it->second;
}

}  // namespace snipster
